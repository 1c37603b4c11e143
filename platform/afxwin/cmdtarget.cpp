#include "afxwin/cmdtarget.h"

#include "afxwin/wnd.h"
#include "ui/controls.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindEntry(const AFX_MSGMAP* map, UINT message, UINT code, UINT id) {
    for (; map != nullptr; map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->nMessage != 0; ++entry) {
            const bool sameMessage = entry->nMessage == AFX_REGISTERED
                                         ? entry->pRegistered != nullptr && *entry->pRegistered == message
                                         : entry->nMessage == message;
            if (!sameMessage) continue;
            if (message != WM_COMMAND && message != WM_NOTIFY) return entry;
            if (entry->nCode == code && id >= entry->nID && id <= entry->nLastID) return entry;
        }
        if (map->pfnGetBaseMap == nullptr) break;
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT id, int code, void* extra, void* handlerInfo) {
    const AFX_MSGMAP_ENTRY* entry = FindEntry(GetMessageMap(), WM_COMMAND, static_cast<UINT>(code), id);
    if (entry == nullptr) return FALSE;
    if (handlerInfo != nullptr) return TRUE;
    LRESULT result = 0;
    return entry->pfn(this, id, reinterpret_cast<LPARAM>(extra), &result);
}

void CCmdUI::Enable(BOOL on) {
    if (m_pOther != nullptr) {
        if (!on && ::GetFocus() == m_pOther->GetSafeHwnd()) ::SetFocus(::GetParent(m_pOther->GetSafeHwnd()));
        m_pOther->EnableWindow(on);
    }
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int check) {
    if (m_pOther != nullptr) m_pOther->SendMessage(BM_SETCHECK, static_cast<WPARAM>(check), 0);
}

void CCmdUI::SetText(LPCWSTR text) {
    if (m_pOther != nullptr) m_pOther->SetWindowText(text);
}

BOOL CCmdUI::DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler) {
    if (target == nullptr) return FALSE;
    m_bEnableChanged = FALSE;
    if (target->OnCmdMsg(m_nID, static_cast<int>(CN_UPDATE_COMMAND_UI), this, nullptr)) return TRUE;
    if (disableIfNoHandler && !m_bEnableChanged) {
        int info = 0;
        if (!target->OnCmdMsg(m_nID, CN_COMMAND, this, &info)) Enable(FALSE);
    }
    return FALSE;
}
