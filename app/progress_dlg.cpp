#include "progress_dlg.h"

#include "afxwin/app.h"
#include "app_messages.h"
#include "app_texts.h"
#include "progress_time.h"
#include "skin_places.h"
#include "win/thread.h"

namespace movanta::app {
namespace {

constexpr UINT kStop = 32797;
constexpr int kButtonFont = 4;
constexpr int kTimeFont = 5;
constexpr int kStopQuestion = 23;

}  // namespace

BEGIN_MESSAGE_MAP(CProgressDlg, CAppCanvasDlg)
ON_COMMAND(kStop, OnStopButton)
ON_MESSAGE(WM_CHILDDLG_CLOSED, OnQuestionAnswered)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CProgressDlg::CProgressDlg(CWnd* parent) : CAppCanvasDlg(parent) {}

CProgressDlg::~CProgressDlg() {
    if (m_picture != nullptr) DeleteObject(m_picture);
}

BOOL CProgressDlg::Create(CWnd* parent) { return CzCanvasDlg::Create(parent, 0); }

BOOL CProgressDlg::OnInitDialog() {
    CAppCanvasDlg::OnInitDialog();
    if (!ParseSection(L"ProgressDlg")) return FALSE;
    fnDrawBtnFace(kStop, CaptionOf(9).c_str(), kWhite, fnGetFont(kButtonFont));
    m_timeRect = NamedRect(fnGetParser(), L"PosRMTime");
    m_timeFont = fnGetFont(kTimeFont);
    m_picture = NamedPicture(fnGetParser(), L"ProgBar");
    m_bar.SetUp(this, m_picture);
    m_bar.Create(nullptr, L"Progress Bar", WS_CHILD | WS_VISIBLE, NamedRect(fnGetParser(), L"ProgBarPos"), this, 0);
    m_bar.SetPercent(0);
    m_bar.ShowWindow(SW_SHOW);
    return TRUE;
}

void CProgressDlg::Start(std::int64_t length) {
    m_startTick = GetTickCount();
    m_length = length;
}

void CProgressDlg::Update(std::int64_t position) {
    const ConversionProgress progress = ProgressOf(m_length, position, GetTickCount() - m_startTick);
    m_bar.SetPercent(progress.percent);
    fnClearCanvas(&m_timeRect, false);
    fnDrawCanvas(progress.remaining.c_str(), m_timeRect, 0, kBlack, m_timeFont, true, nullptr, true);
}

void CProgressDlg::OnStopButton() {
    fnEnableWindow(FALSE);
    if (!m_question) m_question = std::make_unique<CMessageDlg>(this, nullptr, CMessageDlg::kStopQuestion);
    m_question->SetMessage(TextOf(kStopQuestion), CMessageDlg::kStopQuestion);
    if (m_question->GetSafeHwnd() == nullptr) m_question->Create(this, 0);
    m_question->ShowWindow(SW_SHOW);
}

LRESULT CProgressDlg::OnQuestionAnswered(WPARAM, LPARAM) {
    fnEnableWindow(TRUE);
    if (m_question && m_question->GetSafeHwnd() != nullptr) m_question->DestroyWindow();
    if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_PROGRESS_STOP, 0, 0);
    return 0;
}

void CProgressDlg::OnDestroy() {
    CAppCanvasDlg::OnDestroy();
    if (m_bar.GetSafeHwnd() != nullptr) m_bar.DestroyWindow();
    if (m_question && m_question->GetSafeHwnd() != nullptr) m_question->DestroyWindow();
}

}  // namespace movanta::app
