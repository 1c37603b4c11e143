// CAppCanvasDlg: what every dialog of the application shares: a skinned
// canvas dialog whose texts come from its own text table, else from
// langtext, else the empty string.
#pragma once

#include "skin/canvas/canvas_dlg.h"
#include "static_text_table.h"

namespace movanta::app {

class CAppCanvasDlg : public CzCanvasDlg {
public:
    // Modal use on the library's blank template; Create makes it modeless.
    explicit CAppCanvasDlg(CWnd* parent);

    LPCWSTR fnAcquireString(int id) override;

protected:
    BOOL OnInitDialog() override;
    // Applies a section of "Movanta.zsp"; when the skin fails the dialog
    // is abandoned and false is answered.
    bool ParseSection(LPCWSTR section);
    // Ends a modal dialog with -1, destroys a modeless one.
    void Abandon();
    // Puts the dialog over the middle of its owner (the main window when it
    // has none).
    void CentreOverOwner();

    CStaticTextTable m_texts;
};

}  // namespace movanta::app
