// CFrameWnd: a main or child window made from a resource identifier (its
// title string). When idle it brings the command UI of its child controls
// up to date through their ON_UPDATE_COMMAND_UI handlers. Frame objects are
// made with new and delete themselves when their window is gone.
#pragma once

#include "afxwin/wnd.h"

class CFrameWnd : public CWnd {
    DECLARE_DYNCREATE(CFrameWnd)
public:
    // The title is the resource string `resourceId` up to its first line feed.
    virtual BOOL LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW, CWnd* parent = nullptr,
                           void* context = nullptr);
    // The frames' shared window class unless the frame names one of its
    // own; either is registered on first use.
    BOOL PreCreateWindow(CREATESTRUCTW& create) override;

protected:
    DECLARE_MESSAGE_MAP()
    void PostNcDestroy() override;
    afx_msg LRESULT OnIdleUpdateCmdUI(WPARAM, LPARAM);

    UINT m_nIDHelp = 0;
};
