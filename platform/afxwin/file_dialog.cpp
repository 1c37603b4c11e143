#include "afxwin/file_dialog.h"

#include <algorithm>
#include <cwchar>

#include "afxwin/app.h"

IMPLEMENT_DYNAMIC(CFileDialog, CDialog)

namespace {

constexpr size_t kPathCapacity = 4096;

}  // namespace

CFileDialog::CFileDialog(BOOL openFileDialog, LPCWSTR defaultExtension, LPCWSTR fileName, DWORD flags, LPCWSTR filter,
                         CWnd* parent)
    : m_bOpenFileDialog(openFileDialog), m_file(kPathCapacity, L'\0'), m_defaultExtension(defaultExtension) {
    m_pParentWnd = parent;
    if (filter != nullptr) {
        // "|" separates; the platform's form has zeros there.
        m_filter.assign(filter, filter + std::wcslen(filter));
        std::replace(m_filter.begin(), m_filter.end(), L'|', L'\0');
        m_filter.push_back(L'\0');
        m_filter.push_back(L'\0');
    }
    if (fileName != nullptr) {
        const size_t length = std::min(std::wcslen(fileName), kPathCapacity - 1);
        std::copy(fileName, fileName + length, m_file.begin());
    }
    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.data();
    m_ofn.nFilterIndex = 1;
    m_ofn.lpstrFile = m_file.data();
    m_ofn.nMaxFile = static_cast<DWORD>(m_file.size());
    m_ofn.Flags = flags | OFN_EXPLORER;
    m_ofn.lpstrDefExt = m_defaultExtension.IsEmpty() ? nullptr : m_defaultExtension.GetString();
}

INT_PTR CFileDialog::DoModal() {
    CWnd* parent = m_pParentWnd != nullptr ? m_pParentWnd : AfxGetMainWnd();
    m_ofn.hwndOwner = parent != nullptr ? parent->GetSafeHwnd() : nullptr;
    const BOOL chosen = m_bOpenFileDialog ? GetOpenFileNameW(&m_ofn) : GetSaveFileNameW(&m_ofn);
    return chosen ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const {
    return CString(m_file.data());
}

CString CFileDialog::GetFileName() const {
    return CString(m_file.data() + std::min<size_t>(m_ofn.nFileOffset, std::wcslen(m_file.data())));
}

CString CFileDialog::GetFileExt() const {
    const size_t length = std::wcslen(m_file.data());
    return m_ofn.nFileExtension == 0 || m_ofn.nFileExtension >= length ? CString()
                                                                       : CString(m_file.data() + m_ofn.nFileExtension);
}

int AfxMessageBox(LPCWSTR text, UINT type) {
    CWnd* main = AfxGetMainWnd();
    CWinApp* app = AfxGetApp();
    return MessageBoxW(main != nullptr ? main->GetSafeHwnd() : nullptr, text,
                       app != nullptr ? app->m_pszAppName.GetString() : nullptr, type);
}
