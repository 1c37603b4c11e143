#include "static_text_table.h"

namespace movanta::app {

void CStaticTextTable::Bind(CWnd* window) {
    m_relay = std::make_unique<CzFActionRelay>(window);
    m_texts.clear();
}

void CStaticTextTable::SetText(UINT id, LPCWSTR text) {
    m_texts[id] = text != nullptr ? text : L"";
    if (m_relay) m_relay->fnDrawStatic(id, true);
}

LPCWSTR CStaticTextTable::Lookup(UINT id) const {
    const auto found = m_texts.find(id);
    return found == m_texts.end() ? nullptr : found->second.c_str();
}

}  // namespace movanta::app
