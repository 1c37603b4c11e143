// Command targets: objects that take commands through their message maps,
// and the command-UI objects that let handlers enable, check or retitle
// what shows a command.
#pragma once

#include "afx/object.h"
#include "afxwin/msgmap.h"

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    // Runs the handler of command `id` with notification `code` (CN_COMMAND,
    // CN_UPDATE_COMMAND_UI with the CCmdUI in `extra`, or a control's
    // notification). With `handlerInfo` only answers whether one exists.
    virtual BOOL OnCmdMsg(UINT id, int code, void* extra, void* handlerInfo);

    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

protected:
    // The first entry for the message (and command code and identifier) in
    // the map or its bases' maps.
    static const AFX_MSGMAP_ENTRY* FindEntry(const AFX_MSGMAP* map, UINT message, UINT code, UINT id);
};

class CCmdUI {
public:
    virtual ~CCmdUI() = default;
    virtual void Enable(BOOL on = TRUE);
    virtual void SetCheck(int check = 1);
    virtual void SetRadio(BOOL on = TRUE) { SetCheck(on ? 1 : 0); }
    virtual void SetText(LPCWSTR text);
    // Asks the target's update handler; with `disableIfNoHandler`, a command
    // nobody handles is disabled. TRUE when a handler ran.
    BOOL DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler);

    UINT m_nID = 0;
    UINT m_nIndex = 0;
    CWnd* m_pOther = nullptr;  // the control that shows the command, when there is one
    BOOL m_bEnableChanged = FALSE;
    BOOL m_bContinueRouting = FALSE;
};
