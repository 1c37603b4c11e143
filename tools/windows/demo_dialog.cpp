#include "demo_dialog.h"

#include "afxwin/resources.h"

namespace {

constexpr UINT kTemplate = 200;
constexpr UINT kNameEdit = 201;
constexpr UINT kPhoneCombo = 202;
constexpr UINT kPhoneLabel = 203;

}  // namespace

BEGIN_MESSAGE_MAP(CDemoDialog, CDialog)
ON_CBN_SELCHANGE(kPhoneCombo, OnPhoneChanged)
END_MESSAGE_MAP()

CDemoDialog::CDemoDialog(CWnd* parent) : CDialog(kTemplate, parent) {}

void CDemoDialog::RegisterTemplate() {
    DialogTemplate dialog;
    dialog.title = L"Options";
    dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    dialog.rect = {0, 0, 190, 96};
    dialog.items = {
        {L"STATIC", L"Output name:", 0, SS_LEFT, 0, {8, 10, 60, 20}},
        {L"EDIT", L"", kNameEdit, WS_TABSTOP | ES_AUTOHSCROLL, 0, {64, 8, 182, 21}},
        {L"STATIC", L"Phone:", kPhoneLabel, SS_LEFT, 0, {8, 32, 60, 42}},
        {L"ComboBox", L"", kPhoneCombo, CBS_DROPDOWNLIST | WS_TABSTOP, 0, {64, 30, 182, 43}},
        {L"BUTTON", L"OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, {76, 72, 126, 88}},
        {L"BUTTON", L"Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 0, {132, 72, 182, 88}},
    };
    RegisterDialogTemplate(nullptr, kTemplate, dialog);
}

BOOL CDemoDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    m_phones.SubclassDlgItem(kPhoneCombo, this);
    for (LPCWSTR phone : {L"Nokia 6230 (176 x 144, H.263)", L"Sony Ericsson K750i (176 x 144, MPEG-4)",
                          L"Motorola RAZR V3 (176 x 144, H.263)"}) {
        m_phones.AddString(phone);
    }
    m_phones.SetCurSel(0);
    SetDlgItemText(kNameEdit, m_name.IsEmpty() ? L"holiday" : m_name.GetString());
    return TRUE;
}

void CDemoDialog::OnPhoneChanged() {
    CString phone;
    m_phones.GetLBText(m_phones.GetCurSel(), phone);
    SetDlgItemText(kPhoneLabel, L"Phone: *");
}

void CDemoDialog::OnOK() {
    GetDlgItemText(kNameEdit, m_name);
    m_phones.GetLBText(m_phones.GetCurSel(), m_phone);
    CDialog::OnOK();
}
