#include "ui/shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>
#include <cstring>
#include <string>
#include <vector>

#include "gdi/qt_text.h"
#include "ui/drop.h"
#include "win/live_set.h"
#include "win/text.h"

namespace movanta::ui {
namespace {

LiveSet<Drop>& Drops() {
    static LiveSet<Drop> drops;
    return drops;
}

}  // namespace

HDROP MakeDrop(std::vector<std::wstring> files, POINT point) {
    auto* drop = new Drop {std::move(files), point};
    Drops().Add(drop);
    return reinterpret_cast<HDROP>(drop);
}

}  // namespace movanta::ui

using namespace movanta::ui;

void DragAcceptFiles(HWND window, BOOL accept) {
    const auto exStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
    SetWindowLongW(window, GWL_EXSTYLE,
                   static_cast<LONG>(accept ? exStyle | WS_EX_ACCEPTFILES : exStyle & ~WS_EX_ACCEPTFILES));
}

UINT DragQueryFileW(HDROP handle, UINT index, LPWSTR buffer, UINT capacity) {
    const Drop* drop = Drops().Find(handle);
    if (drop == nullptr) return 0;
    if (index == 0xFFFFFFFF) return static_cast<UINT>(drop->files.size());
    if (index >= drop->files.size()) return 0;
    const std::wstring& file = drop->files[index];
    if (buffer == nullptr) return static_cast<UINT>(file.size());
    return capacity == 0 ? 0 : static_cast<UINT>(movanta::CopyToBuffer(file, buffer, capacity));
}

void DragFinish(HDROP handle) {
    if (Drops().Remove(handle)) delete reinterpret_cast<Drop*>(handle);
}

HINSTANCE ShellExecuteW(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR, LPCWSTR, int) {
    constexpr ULONG_PTR kFileNotFound = 2;
    constexpr ULONG_PTR kNoAssociation = 31;
    constexpr ULONG_PTR kDone = 42;
    const auto answer = [](ULONG_PTR value) { return reinterpret_cast<HINSTANCE>(value); };
    if (file == nullptr || (verb != nullptr && std::wstring_view(verb) != L"open")) return answer(kNoAssociation);
    const QString target = QString::fromStdWString(file);
    QUrl url(target);
    if (url.scheme().isEmpty() || url.scheme().size() == 1) {  // a path, or a drive letter
        if (!QFileInfo::exists(target)) return answer(kFileNotFound);
        url = QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
    }
    movanta::gdi::EnsureGui();
    return answer(QDesktopServices::openUrl(url) ? kDone : kNoAssociation);
}

HWND HtmlHelpW(HWND owner, LPCWSTR file, UINT command, DWORD_PTR) {
    if (command != HH_DISPLAY_TOPIC || file == nullptr) return nullptr;
    QString page = QString::fromWCharArray(file);
    if (page.endsWith(QLatin1String(".chm"), Qt::CaseInsensitive) && !QFileInfo::exists(page)) {
        const QString stem = page.left(page.size() - 4);
        for (const char* extension : {".html", ".htm"}) {
            if (QFileInfo::exists(stem + QLatin1String(extension))) page = stem + QLatin1String(extension);
        }
    }
    const std::wstring wide = page.toStdWString();
    if (reinterpret_cast<ULONG_PTR>(ShellExecuteW(owner, L"open", wide.c_str(), nullptr, nullptr, 1)) <= 32) {
        return nullptr;
    }
    // The browser has no window of ours; any non-null answer says it opened.
    return owner != nullptr ? owner : reinterpret_cast<HWND>(static_cast<ULONG_PTR>(1));
}

BOOL GetVersionExW(OSVERSIONINFOW* info) {
    constexpr size_t kFixedFields = 5 * sizeof(DWORD);
    if (info == nullptr || info->dwOSVersionInfoSize < kFixedFields) return FALSE;
    const DWORD size = info->dwOSVersionInfoSize;
    const OSVERSIONINFOW version {sizeof(OSVERSIONINFOW), 5, 1, 2600, 2, {}};
    std::memcpy(info, &version, std::min<size_t>(size, sizeof(OSVERSIONINFOW)));
    info->dwOSVersionInfoSize = size;
    return TRUE;
}
