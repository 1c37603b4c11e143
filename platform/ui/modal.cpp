#include "ui/modal.h"

#include <QWindow>

#include "ui/control.h"
#include "ui/dialogs.h"

namespace movanta::ui {
namespace {

void (*gShownObserver)(void*) = nullptr;

}  // namespace

void OnCommonDialogShown(void (*observer)(void* dialog)) {
    gShownObserver = observer;
}

int RunDialog(QDialog& dialog, HWND owner) {
    // Kept above the owner without becoming its child, which the owner's
    // disabling would disable too.
    QWidget* parent = HostWidget(owner);
    if (parent != nullptr && parent->window()->windowHandle() != nullptr) {
        dialog.winId();
        dialog.windowHandle()->setTransientParent(parent->window()->windowHandle());
    }
    const bool disableOwner = owner != nullptr && IsWindowEnabled(owner);
    if (disableOwner) EnableWindow(owner, FALSE);
    bool closed = false;
    QObject::connect(&dialog, &QDialog::finished, &dialog, [&closed] {
        closed = true;
        PostMessageW(nullptr, WM_NULL, 0, 0);  // ends the wait for a message
    });
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    if (gShownObserver != nullptr) gShownObserver(&dialog);
    MSG msg {};
    int result = QDialog::Rejected;
    while (!closed) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            dialog.reject();
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (closed) result = dialog.result();
    dialog.hide();
    if (disableOwner) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
    return result;
}

}  // namespace movanta::ui
