// CStaticTextTable: the texts a skinned window shows in its text statics
// beyond the localised ones: a text set for a static's id is drawn at once
// and given to the window whenever it asks for that id's text.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "skin/buttons/action_relay.h"

namespace movanta::app {

class CStaticTextTable {
public:
    // Empties the table and draws through `window` from now on.
    void Bind(CWnd* window);
    // Stores the text (null: empty) and redraws the static at once.
    void SetText(UINT id, LPCWSTR text);
    // The stored text, or null; valid until the id's text is set again.
    LPCWSTR Lookup(UINT id) const;

private:
    std::map<UINT, std::wstring> m_texts;
    std::unique_ptr<CzFActionRelay> m_relay;
};

}  // namespace movanta::app
