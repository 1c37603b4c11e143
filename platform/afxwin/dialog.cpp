#include "afxwin/dialog.h"

#include "afxwin/app.h"
#include "afxwin/resources.h"
#include "gdi/metrics.h"
#include "ui/controls.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
END_MESSAGE_MAP()

namespace {

constexpr LPCWSTR kDialogClass = L"#32770";
constexpr WPARAM kReturnKey = 0x0D;
constexpr WPARAM kEscapeKey = 0x1B;

// The platform's dialog procedure: the close box cancels.
LRESULT DefDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void RegisterDialogClass() {
    WNDCLASSW windowClass {};
    if (::GetClassInfoW(nullptr, kDialogClass, &windowClass)) return;
    windowClass.style = CS_DBLCLKS | CS_SAVEBITS;
    windowClass.lpfnWndProc = DefDlgProc;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<ULONG_PTR>(16));  // the face colour
    windowClass.lpszClassName = kDialogClass;
    ::RegisterClassW(&windowClass);
}

HFONT MakeDialogFont(const DialogTemplate& dialog) {
    LOGFONTW font {};
    font.lfHeight = -(dialog.fontPoints * 96 / 72);
    font.lfWeight = 400;
    const size_t length = std::min(dialog.fontFace.size(), static_cast<size_t>(LF_FACESIZE - 1));
    dialog.fontFace.copy(font.lfFaceName, length);
    return ::CreateFontIndirectW(&font);
}

// Top-level dialogs placed at the template's origin (0, 0) are centred over
// their owner, or the work area.
POINT Placement(const RECT& pixels, DWORD style, HWND owner) {
    if ((style & WS_CHILD) != 0 || pixels.left != 0 || pixels.top != 0) return {pixels.left, pixels.top};
    RECT area {};
    if (owner == nullptr || !::GetWindowRect(owner, &area)) ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const LONG width = pixels.right - pixels.left;
    const LONG height = pixels.bottom - pixels.top;
    return {area.left + (area.right - area.left - width) / 2, area.top + (area.bottom - area.top - height) / 2};
}

}  // namespace

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    if (m_hWnd != nullptr) DestroyWindow();
    if (m_font != nullptr) ::DeleteObject(m_font);
}

BOOL CDialog::CreateFromTemplate(HWND parent) {
    const DialogTemplate* dialog = FindDialogTemplate(AfxGetResourceHandle(), m_nIDTemplate);
    if (dialog == nullptr) return FALSE;
    RegisterDialogClass();
    const RECT pixels = DialogUnitsToPixels(dialog->rect);
    const POINT at = Placement(pixels, dialog->style, parent);
    if (!CreateEx(dialog->exStyle, kDialogClass, dialog->title.c_str(), dialog->style & ~WS_VISIBLE, at.x, at.y,
                  pixels.right - pixels.left, pixels.bottom - pixels.top, parent, nullptr)) {
        return FALSE;
    }
    if (m_font == nullptr) m_font = MakeDialogFont(*dialog);
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    HWND first = nullptr;
    for (const DialogItemTemplate& item : dialog->items) {
        const RECT place = DialogUnitsToPixels(item.rect);
        HWND control = ::CreateWindowExW(item.exStyle, item.className.c_str(), item.text.c_str(),
                                         item.style | WS_CHILD | WS_VISIBLE, place.left, place.top,
                                         place.right - place.left, place.bottom - place.top, m_hWnd,
                                         reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item.id)), nullptr, nullptr);
        if (control == nullptr) continue;
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
        if (first == nullptr && (item.style & WS_TABSTOP) != 0) first = control;
    }
    if (SendMessage(WM_INITDIALOG, reinterpret_cast<WPARAM>(first), 0) != 0 && first != nullptr) ::SetFocus(first);
    if ((dialog->style & WS_VISIBLE) != 0) ShowWindow(SW_SHOW);
    return TRUE;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    m_nIDTemplate = templateId;
    m_pParentWnd = parent;
    return CreateFromTemplate(parent != nullptr ? parent->m_hWnd : nullptr);
}

INT_PTR CDialog::DoModal() {
    CWnd* parent = m_pParentWnd != nullptr ? m_pParentWnd : AfxGetMainWnd();
    HWND owner = parent != nullptr ? parent->m_hWnd : nullptr;
    const bool disableOwner = owner != nullptr && ::IsWindowEnabled(owner);
    if (disableOwner) ::EnableWindow(owner, FALSE);
    m_nModalResult = -1;
    m_bInModal = true;
    if (!CreateFromTemplate(owner)) {
        m_bInModal = false;
        if (disableOwner) ::EnableWindow(owner, TRUE);
        return -1;
    }
    ShowWindow(SW_SHOW);
    MSG msg {};
    while (ContinueModal()) {
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            // The application is quitting: the loop after this one sees it too.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            m_nModalResult = -1;
            break;
        }
        if (!WalkPreTranslateTree(m_hWnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    m_bInModal = false;
    if (disableOwner) {
        ::EnableWindow(owner, TRUE);
        ::SetActiveWindow(owner);
    }
    DestroyWindow();
    return m_nModalResult;
}

BOOL CDialog::ContinueModal() {
    return m_bInModal ? TRUE : FALSE;
}

void CDialog::EndModalLoop(int result) {
    m_nModalResult = result;
    if (m_bInModal) {
        m_bInModal = false;
        ::PostMessageW(m_hWnd, WM_NULL, 0, 0);  // wakes the loop
    }
}

void CDialog::EndDialog(int result) {
    if (m_bInModal) {
        EndModalLoop(result);
    } else {
        m_nModalResult = result;
    }
    ShowWindow(SW_HIDE);
}

BOOL CDialog::OnInitDialog() {
    return TRUE;
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) {
    return OnInitDialog();
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::PreTranslateMessage(MSG* message) {
    if (message->message != WM_KEYDOWN || (message->hwnd != m_hWnd && !::IsChild(m_hWnd, message->hwnd))) {
        return FALSE;
    }
    if (message->wParam == kReturnKey) {
        const bool multiline = (::GetWindowLongW(message->hwnd, GWL_STYLE) & ES_MULTILINE) != 0;
        wchar_t name[16] {};
        ::GetClassNameW(message->hwnd, name, 16);
        if (multiline && std::wstring_view(name) == L"EDIT") return FALSE;
        SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
        return TRUE;
    }
    if (message->wParam == kEscapeKey) {
        SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
        return TRUE;
    }
    return FALSE;
}
