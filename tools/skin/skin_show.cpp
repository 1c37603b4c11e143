#include "skin_show.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <map>

#include "afxwin/app.h"
#include "langtext/langtext.h"
#include "skin/canvas/canvas_dlg.h"
#include "skin/canvas/canvas_wnd.h"
#include "skin/package/parser_exception.h"
#include "ui/desktop.h"
#include "win/text.h"

namespace movanta::skintool {
namespace {

constexpr UINT_PTR kEndTimer = 1;
constexpr UINT_PTR kShotTimer = 2;
constexpr WPARAM kEscape = 0x1B;

const char* CauseOf(const CzSkinParserException& error) {
    switch (error.fnGetCause()) {
        case CzSkinParserException::sectionNotFound: return "the section is not in the package";
        case CzSkinParserException::resourceNotFound: return "a picture the section names is not in the package";
        case CzSkinParserException::packageUnreadable: return "the package cannot be read";
        default: return "the section cannot be applied";
    }
}

// What both window kinds do for the show: texts named by their identifier,
// commands written out, Escape, a right click or the timer ending it.
template <class Canvas>
class CShow : public Canvas {
public:
    CShow(std::ostream& out, const ShowOptions& options) : m_out(out), m_options(options) {}

    LPCWSTR fnAcquireString(int id) override {
        if (!m_options.texts.empty()) {
            if (LPCWSTR text = orkMLGetString(id)) return text;
        }
        std::wstring& text = m_texts[id];
        if (text.empty()) text = L"Text " + std::to_wstring(id);
        return text.c_str();
    }

    void Start() {
        if (m_options.seconds > 0) this->SetTimer(kEndTimer, m_options.seconds * 1000);
        if (!m_options.screenshot.empty()) this->SetTimer(kShotTimer, 1000);
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case WM_COMMAND: m_out << "command " << LOWORD(wParam) << std::endl; return 0;
            case WM_KEYDOWN:
                if (wParam == kEscape) this->DestroyWindow();
                return 0;
            case WM_NCRBUTTONDOWN:
            case WM_RBUTTONDOWN: this->DestroyWindow(); return 0;
            case WM_TIMER:
                if (wParam == kShotTimer) {
                    this->KillTimer(kShotTimer);
                    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
                    m_out << (shot.save(QString::fromStdString(m_options.screenshot)) ? "screenshot: "
                                                                                      : "cannot write ")
                          << m_options.screenshot << std::endl;
                    return 0;
                }
                if (wParam == kEndTimer) {
                    this->DestroyWindow();
                    return 0;
                }
                break;
            case WM_NCDESTROY: PostQuitMessage(0); break;
            default: break;
        }
        return Canvas::WindowProc(message, wParam, lParam);
    }

private:
    std::ostream& m_out;
    const ShowOptions& m_options;
    std::map<int, std::wstring> m_texts;
};

class CShowWnd : public CShow<CzCanvasWnd> {
public:
    using CShow::CShow;
};

class CShowDlg : public CShow<CzCanvasDlg> {
public:
    using CShow::CShow;
};

// A canvas window inside the shown one, from its own section; it goes
// with its parent.
class CEmbedded : public CzCanvasWnd {
public:
    LPCWSTR fnAcquireString(int id) override {
        m_text = L"Text " + std::to_wstring(id);
        return m_text.c_str();
    }

private:
    std::wstring m_text;
};

template <class Window>
int Run(Window& window, const std::wstring& package, const std::wstring& section, const ShowOptions& options,
        std::ostream& err) {
    try {
        window.fnParseScript(package.c_str(), section.c_str());
        for (const std::string& name : options.embedded) {
            auto* embedded = new CEmbedded;  // deletes itself with its window
            if (!embedded->CreateEx(0, nullptr, L"", WS_CHILD, 0, 0, 0, 0, window.GetSafeHwnd(), nullptr)) {
                err << "movanta-skin: the canvas for " << name << " could not be made" << std::endl;
                window.DestroyWindow();
                return 2;
            }
            embedded->fnParseScript(package.c_str(), Utf8ToWide(name).c_str());
        }
    } catch (CzSkinParserException* error) {
        err << "movanta-skin: " << CauseOf(*error) << std::endl;
        window.DestroyWindow();
        return 2;
    }
    if (options.width > 0 && options.height > 0) {
        window.SetWindowPos(nullptr, 0, 0, options.width, options.height, SWP_NOMOVE | SWP_NOZORDER);
    }
    window.ShowWindow(SW_SHOW);
    window.Start();
    MSG msg {};
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        if (!CWnd::WalkPreTranslateTree(nullptr, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return 0;
}

}  // namespace

int Show(const std::string& package, const std::string& section, const ShowOptions& options, std::ostream& out,
         std::ostream& err) {
    if (!movanta::ui::StartDesktop()) {
        err << "movanta-skin: no display to show the section on" << std::endl;
        return 2;
    }
    if (!options.texts.empty() && !orkInitMLTran(Utf8ToWide(options.texts).c_str(), 0)) {
        err << "movanta-skin: no texts in " << options.texts << std::endl;
        return 2;
    }
    const std::wstring widePackage = Utf8ToWide(package);
    const std::wstring wideSection = Utf8ToWide(section);
    if (options.dialog) {
        auto* dialog = new CShowDlg(out, options);
        if (!dialog->Create(nullptr, 0)) {
            err << "movanta-skin: the canvas dialog could not be made" << std::endl;
            delete dialog;
            return 2;
        }
        const int status = Run(*dialog, widePackage, wideSection, options, err);
        delete dialog;
        return status;
    }
    auto* window = new CShowWnd(out, options);  // deletes itself with its window
    if (!window->CreateEx(0, nullptr, wideSection.c_str(), WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, nullptr, nullptr)) {
        err << "movanta-skin: the canvas window could not be made" << std::endl;
        return 2;
    }
    return Run(*window, widePackage, wideSection, options, err);
}

}  // namespace movanta::skintool
