#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

#include "ui/control.h"
#include "ui/dialogs.h"
#include "ui/modal.h"
#include "win/text.h"

namespace movanta::ui {
namespace {

QMessageBox::Icon IconOf(UINT type) {
    switch (type & 0xF0) {
        case MB_ICONERROR: return QMessageBox::Critical;
        case MB_ICONQUESTION: return QMessageBox::Question;
        case MB_ICONWARNING: return QMessageBox::Warning;
        case MB_ICONINFORMATION: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

}  // namespace
}  // namespace movanta::ui

using namespace movanta::ui;

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    const QString message = QString::fromWCharArray(text != nullptr ? text : L"");
    const QString title = QString::fromWCharArray(caption != nullptr ? caption : L"Error");
    if (!DesktopRuns()) {
        std::fprintf(stderr, "%s: %s\n", title.toUtf8().constData(), message.toUtf8().constData());
        return IDOK;
    }
    const bool withCancel = (type & 0xF) == MB_OKCANCEL;
    QMessageBox box(IconOf(type), title, message, withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok);
    const int answer = RunDialog(box, owner);
    if (!withCancel) return IDOK;
    return box.clickedButton() == box.button(QMessageBox::Ok) && answer != QDialog::Rejected ? IDOK : IDCANCEL;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    const std::wstring wideText = movanta::Utf8ToWide(text != nullptr ? text : "");
    const std::wstring wideCaption = movanta::Utf8ToWide(caption != nullptr ? caption : "Error");
    return MessageBoxW(owner, wideText.c_str(), wideCaption.c_str(), type);
}
