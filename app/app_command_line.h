// CAppCommandLineInfo: the command line as the application keeps it: every
// parameter, flag or not, with its double quotes removed.
#pragma once

#include <vector>

#include "afxwin/app.h"

namespace movanta::app {

class CAppCommandLineInfo : public CCommandLineInfo {
public:
    void ParseParam(const WCHAR* param, BOOL flag, BOOL last) override;
    int GetCount() const { return static_cast<int>(m_params.size()); }
    // Parameter `index`, or null at or beyond the count.
    LPCWSTR GetItem(int index) const;

private:
    std::vector<CString> m_params;
};

}  // namespace movanta::app
