#include "app_command_line.h"

namespace movanta::app {

void CAppCommandLineInfo::ParseParam(const WCHAR* param, BOOL flag, BOOL last) {
    CString text(param != nullptr ? param : L"");
    text.Remove(L'"');
    m_params.push_back(text);
    CCommandLineInfo::ParseParam(param, flag, last);
}

LPCWSTR CAppCommandLineInfo::GetItem(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_params[static_cast<size_t>(index)].GetString();
}

}  // namespace movanta::app
