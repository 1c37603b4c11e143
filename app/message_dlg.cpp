#include "message_dlg.h"

#include "app_messages.h"
#include "app_texts.h"

namespace movanta::app {
namespace {

constexpr UINT kMessageText = 10001;
constexpr int kButtonFont = 4;

struct Layout {
    LPCWSTR section;
    int first;   // caption of button 1
    int second;  // caption of button 2, 0 for none
};

// The look of each type; null for a type there is none for.
const Layout* LayoutOf(int type) {
    static const Layout kInformationLayout {L"MessageDlgOK", 16, 0};
    static const Layout kOkCancelLayout {L"MessageDlg", 16, 17};
    static const Layout kStopLayout {L"MessageDlg", 14, 15};
    switch (type) {
        case CMessageDlg::kInformation: return &kInformationLayout;
        case CMessageDlg::kOkCancel: return &kOkCancelLayout;
        case CMessageDlg::kStopQuestion: return &kStopLayout;
        default: return nullptr;
    }
}

}  // namespace

CMessageDlg::CMessageDlg(CWnd* parent, LPCWSTR text, int type)
    : CAppCanvasDlg(parent), m_text(text != nullptr ? text : L""), m_type(type) {}

void CMessageDlg::SetMessage(LPCWSTR text, int type) {
    m_text = text != nullptr ? text : L"";
    m_type = type;
}

BOOL CMessageDlg::OnInitDialog() {
    CAppCanvasDlg::OnInitDialog();
    const Layout* layout = LayoutOf(m_type);
    if (layout == nullptr) {
        // A type without a look shows nothing.
        Abandon();
        return FALSE;
    }
    if (!ParseSection(layout->section)) return FALSE;
    CFont* font = fnGetFont(kButtonFont);
    fnDrawBtnFace(IDOK, CaptionOf(layout->first).c_str(), kWhite, font);
    if (layout->second != 0) fnDrawBtnFace(IDCANCEL, CaptionOf(layout->second).c_str(), kWhite, font);
    m_texts.SetText(kMessageText, m_text.c_str());
    return TRUE;
}

void CMessageDlg::OnCancel() {
    if (!m_bInModal) {
        if (auto* parent = dynamic_cast<CzCanvasDlg*>(m_pParentWnd)) parent->fnEnableWindow(TRUE);
    }
    CAppCanvasDlg::OnCancel();
}

void CMessageDlg::OnOK() {
    if (m_pParentWnd != nullptr) m_pParentWnd->PostMessage(WM_CHILDDLG_CLOSED, 0, 0);
    CAppCanvasDlg::OnOK();
}

}  // namespace movanta::app
