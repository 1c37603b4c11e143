// The open and save file dialogs on Qt's file dialog.
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>
#include <string>

#include "ui/control.h"
#include "ui/dialogs.h"
#include "ui/modal.h"
#include "win/text.h"

namespace movanta::ui {
namespace {

// "Name\0*.a;*.b\0...\0\0" as Qt's "Name (*.a *.b)" filters.
QStringList FiltersOf(LPCWSTR filter) {
    QStringList filters;
    if (filter == nullptr) return filters;
    for (const WCHAR* at = filter; *at != L'\0';) {
        const QString name = QString::fromWCharArray(at);
        at += name.size() + 1;
        if (*at == L'\0') break;
        const QString patterns = QString::fromWCharArray(at);
        at += patterns.size() + 1;
        filters << QStringLiteral("%1 (%2)").arg(name, QString(patterns).replace(QLatin1Char(';'), QLatin1Char(' ')));
    }
    return filters;
}

BOOL RunFileDialog(OPENFILENAMEW* request, bool save) {
    if (request == nullptr || request->lpstrFile == nullptr || request->nMaxFile == 0 || !DesktopRuns()) return FALSE;
    QFileDialog dialog;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save || (request->Flags & OFN_FILEMUSTEXIST) == 0 ? QFileDialog::AnyFile
                                                                         : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, (request->Flags & OFN_OVERWRITEPROMPT) == 0);
    if (request->lpstrTitle != nullptr) dialog.setWindowTitle(QString::fromWCharArray(request->lpstrTitle));
    if (request->lpstrInitialDir != nullptr) dialog.setDirectory(QString::fromWCharArray(request->lpstrInitialDir));
    const QStringList filters = FiltersOf(request->lpstrFilter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int chosen = static_cast<int>(request->nFilterIndex) - 1;
        if (chosen >= 0 && chosen < filters.size()) dialog.selectNameFilter(filters[chosen]);
    }
    if (request->lpstrDefExt != nullptr) dialog.setDefaultSuffix(QString::fromWCharArray(request->lpstrDefExt));
    const QString initial = QString::fromWCharArray(request->lpstrFile);
    if (!initial.isEmpty()) dialog.selectFile(initial);
    if (RunDialog(dialog, request->hwndOwner) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return FALSE;
    const std::wstring path = dialog.selectedFiles().front().toStdWString();
    if (path.size() + 1 > request->nMaxFile) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    CopyToBuffer(path, request->lpstrFile, request->nMaxFile);
    const size_t slash = path.find_last_of(L'/');
    request->nFileOffset = static_cast<WORD>(slash == std::wstring::npos ? 0 : slash + 1);
    const size_t dot = path.find_last_of(L'.');
    request->nFileExtension =
        static_cast<WORD>(dot == std::wstring::npos || dot < request->nFileOffset ? path.size() : dot + 1);
    request->nFilterIndex = static_cast<DWORD>(filters.indexOf(dialog.selectedNameFilter()) + 1);
    return TRUE;
}

}  // namespace
}  // namespace movanta::ui

BOOL GetOpenFileNameW(OPENFILENAMEW* request) {
    return movanta::ui::RunFileDialog(request, false);
}

BOOL GetSaveFileNameW(OPENFILENAMEW* request) {
    return movanta::ui::RunFileDialog(request, true);
}
