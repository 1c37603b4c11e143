// movanta-windows: a frameless window whose every pixel has its own
// opacity, dragged with the mouse anywhere; a double click opens a modal
// dialog with an edit box and a combo box; a right click or Escape ends.
//
//   movanta-windows [--screenshot FILE] [--seconds N]
//
// --screenshot saves what the screen shows after the window came up, and
// with --seconds the program ends by itself (for unattended runs).
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "afxwin/app.h"
#include "demo_dialog.h"
#include "picture.h"
#include "ui/desktop.h"

namespace {

constexpr UINT_PTR kEndTimer = 1;
constexpr UINT_PTR kShotTimer = 2;

class CCardWnd : public CWnd {
public:
    std::string screenshot;
    UINT seconds = 0;

    BOOL Show() {
        if (!CreateEx(WS_EX_LAYERED | WS_EX_TOOLWINDOW, nullptr, L"Movanta", WS_POPUP, 200, 160, kCardWidth,
                      kCardHeight, nullptr, nullptr)) {
            return FALSE;
        }
        Present(L"Movanta\n\nDrag me anywhere.\nDouble-click for options, right-click to close.");
        ShowWindow(SW_SHOW);
        if (seconds > 0) SetTimer(kEndTimer, seconds * 1000);
        if (!screenshot.empty()) SetTimer(kShotTimer, 1000);
        return TRUE;
    }

protected:
    DECLARE_MESSAGE_MAP()

    void Present(const wchar_t* text) {
        HBITMAP picture = MakeCardPicture(text);
        HDC source = CreateCompatibleDC(nullptr);
        HGDIOBJ previous = SelectObject(source, picture);
        POINT origin {0, 0};
        SIZE size {kCardWidth, kCardHeight};
        BLENDFUNCTION blend {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        UpdateLayeredWindow(m_hWnd, nullptr, nullptr, &size, source, &origin, 0, &blend, ULW_ALPHA);
        SelectObject(source, previous);
        DeleteDC(source);
        DeleteObject(picture);
    }

    // Every point of the card drags it.
    afx_msg LRESULT OnNcHitTest(CPoint) { return HTCAPTION; }
    afx_msg void OnNcDoubleClick() {
        CDemoDialog dialog(this);
        dialog.m_name = m_name;
        if (dialog.DoModal() != IDOK) return;
        m_name = dialog.m_name;
        const std::wstring text = L"Movanta\n\n" + std::wstring(m_name.GetString()) + L".3gp\nfor " +
                                  dialog.m_phone.GetString() + L"\n\nDouble-click to change.";
        Present(text.c_str());
    }
    afx_msg LRESULT OnNcDoubleClickMessage(WPARAM, LPARAM) {
        OnNcDoubleClick();
        return 0;
    }
    afx_msg LRESULT OnNcRightButton(WPARAM, LPARAM) {
        DestroyWindow();
        return 0;
    }
    afx_msg void OnKeyDown(UINT key, UINT, UINT) {
        if (key == 0x1B) DestroyWindow();
    }
    afx_msg void OnTimer(UINT_PTR id) {
        if (id == kShotTimer) {
            KillTimer(kShotTimer);
            const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
            const bool saved = shot.save(QString::fromStdString(screenshot));
            std::printf(saved ? "screenshot: %s\n" : "movanta-windows: cannot write %s\n", screenshot.c_str());
        } else {
            DestroyWindow();
        }
    }
    afx_msg void OnDestroy() { PostQuitMessage(0); }

    CString m_name;
};

BEGIN_MESSAGE_MAP(CCardWnd, CWnd)
ON_WM_NCHITTEST()
ON_MESSAGE(WM_NCLBUTTONDBLCLK, OnNcDoubleClickMessage)
ON_MESSAGE(WM_NCRBUTTONDOWN, OnNcRightButton)
ON_WM_KEYDOWN()
ON_WM_TIMER()
ON_WM_DESTROY()
END_MESSAGE_MAP()

class CDemoApp : public CWinApp {
public:
    CDemoApp() : CWinApp(L"Movanta windows") {}

    BOOL InitInstance() override {
        std::string screenshot;
        UINT seconds = 0;
        for (size_t i = 0; i < m_arguments.size(); ++i) {
            const std::wstring argument = m_arguments[i].GetString();
            const bool hasValue = i + 1 < m_arguments.size();
            if (argument == L"--screenshot" && hasValue) {
                const std::wstring value = m_arguments[++i].GetString();
                screenshot.assign(value.begin(), value.end());
            } else if (argument == L"--seconds" && hasValue) {
                seconds = static_cast<UINT>(std::wcstoul(m_arguments[++i].GetString(), nullptr, 10));
            } else {
                std::fprintf(stderr, "usage: movanta-windows [--screenshot FILE] [--seconds N]\n");
                return FALSE;
            }
        }
        if (!movanta::ui::StartDesktop()) return FALSE;
        if (!movanta::ui::DesktopComposites()) {
            std::fprintf(stderr,
                         "movanta-windows: no compositing manager runs: the card is cut to its opaque pixels\n");
        }
        CDemoDialog::RegisterTemplate();
        m_card.screenshot = screenshot;
        m_card.seconds = seconds;
        if (!m_card.Show()) {
            std::fprintf(stderr, "movanta-windows: the window could not be made\n");
            return FALSE;
        }
        m_pMainWnd = &m_card;
        return TRUE;
    }

private:
    CCardWnd m_card;
};

CDemoApp theApp;

}  // namespace

int main(int argc, char** argv) {
    return AfxWinMain(argc, argv);
}
