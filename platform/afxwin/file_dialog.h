// CFileDialog: the open or save dialog with the framework's filter string
// ("Text|pattern;pattern|...||"), a default extension and an initial name.
#pragma once

#include <vector>

#include "afxwin/dialog.h"
#include "ui/dialogs.h"

class CFileDialog : public CDialog {
    DECLARE_DYNAMIC(CFileDialog)
public:
    CFileDialog(BOOL openFileDialog, LPCWSTR defaultExtension = nullptr, LPCWSTR fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCWSTR filter = nullptr, CWnd* parent = nullptr);
    // IDOK with the chosen path, IDCANCEL otherwise.
    INT_PTR DoModal() override;
    CString GetPathName() const;
    CString GetFileName() const;
    CString GetFileExt() const;

    OPENFILENAMEW m_ofn {};

private:
    BOOL m_bOpenFileDialog;
    std::vector<WCHAR> m_filter;
    std::vector<WCHAR> m_file;
    CString m_defaultExtension;
};

// The platform message box over the main window, titled with the
// application's name.
int AfxMessageBox(LPCWSTR text, UINT type = MB_OK);
