#include "option_dlg.h"

#include "app_texts.h"
#include "phone_profiles.h"
#include "skin/library.h"

namespace movanta::app {
namespace {

constexpr UINT kPhoneList = 1002;
constexpr UINT kVideoHigh = 32788;  // then medium and low
constexpr UINT kAudioHigh = 32791;
constexpr UINT kAssociate = 32794;
constexpr UINT kQualityLabels[] = {28, 29, 30, 32, 33, 34};
constexpr int kButtonFont = 2;
constexpr int kFirstPhoneName = 101;
constexpr std::uint32_t kHighest = 2;

// The button of a quality in its group (high first).
UINT ButtonOf(UINT high, std::uint32_t quality) { return high + kHighest - std::min(quality, kHighest); }

// The quality of the group's checked button; `fallback` when none is.
template <class Dialog>
std::uint32_t CheckedQuality(Dialog& dialog, UINT high, std::uint32_t fallback) {
    for (std::uint32_t quality = 0; quality <= kHighest; ++quality) {
        if (dialog.fnIsBtnChecked(ButtonOf(high, quality))) return quality;
    }
    return fallback;
}

}  // namespace

BEGIN_MESSAGE_MAP(COptionDlg, CAppCanvasDlg)
ON_CONTROL(CBN_SELCHANGE, kPhoneList, OnPhoneChanged)
END_MESSAGE_MAP()

COptionDlg::COptionDlg(CWnd* parent) : CAppCanvasDlg(parent) {}

BOOL COptionDlg::OnInitDialog() {
    CAppCanvasDlg::OnInitDialog();
    if (!ParseSection(L"OptionDlg")) return FALSE;
    CFont* font = fnGetFont(kButtonFont);
    fnDrawBtnFace(IDOK, CaptionOf(16).c_str(), kWhite, font);
    fnDrawBtnFace(IDCANCEL, CaptionOf(17).c_str(), kWhite, font);
    ZDDX_Control(this, kPhoneList, m_phones);

    fnSetRadioBtn(kVideoHigh, kVideoHigh + kHighest);
    fnSetRadioBtn(kAudioHigh, kAudioHigh + kHighest);
    fnCheckBtn(ButtonOf(kVideoHigh, m_videoQuality), true);
    fnCheckBtn(ButtonOf(kAudioHigh, m_audioQuality), true);
    fnCheckBtn(kAssociate, m_associate);

    for (int phone = 0; phone < kPhoneCount; ++phone) {
        const int item = m_phones.AddString(TextOf(kFirstPhoneName + phone));
        m_phones.SetItemData(item, static_cast<DWORD_PTR>(phone));
    }
    m_phones.SetCurSel(static_cast<int>(std::min<std::uint32_t>(m_phone, kPhoneCount - 1)));
    ShowQualityChoice(m_phone, false);
    return TRUE;
}

void COptionDlg::ShowQualityChoice(std::uint32_t phone, bool redraw) {
    const bool selectable = phone < static_cast<std::uint32_t>(kPhoneCount) &&
                            PhoneProfile(static_cast<int>(phone)).bQualitySelectable == 1;
    for (UINT high : {kVideoHigh, kAudioHigh}) {
        for (UINT button = high; button <= high + kHighest; ++button) fnEnableBtn(button, selectable);
    }
    for (UINT label : kQualityLabels) {
        fnSetStaticColor(label, selectable ? kBlack : kGrey);
        if (redraw) fnDrawStatic(label, true);
    }
}

void COptionDlg::OnPhoneChanged() {
    const int selected = m_phones.GetCurSel();
    if (selected < 0) return;
    ShowQualityChoice(static_cast<std::uint32_t>(m_phones.GetItemData(selected)), true);
}

void COptionDlg::OnOK() {
    m_videoQuality = CheckedQuality(*this, kVideoHigh, m_videoQuality);
    m_audioQuality = CheckedQuality(*this, kAudioHigh, m_audioQuality);
    m_associate = fnIsBtnChecked(kAssociate);
    if (const int selected = m_phones.GetCurSel(); selected >= 0) {
        m_phone = static_cast<std::uint32_t>(m_phones.GetItemData(selected));
    }
    CAppCanvasDlg::OnOK();
}

}  // namespace movanta::app
