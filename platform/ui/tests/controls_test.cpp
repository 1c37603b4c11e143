// The standard controls on the offscreen desktop: their messages and state,
// their Qt widgets, and the notifications a user's action sends the parent.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSlider>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ui/controls.h"
#include "ui/desktop.h"
#include "ui/dialogs.h"
#include "win/windows.h"

namespace {

struct Notice {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Notice> gNotices;

LRESULT ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND || message == WM_HSCROLL || message == WM_APP)
        gNotices.push_back({message, wParam, lParam});
    return DefWindowProcW(window, message, wParam, lParam);
}

template <class W>
W* OnlyWidget() {
    W* found = nullptr;
    for (QWidget* widget : QApplication::allWidgets()) {
        if (auto* typed = qobject_cast<W*>(widget); typed != nullptr && typed->isVisible()) found = typed;
    }
    return found;
}

class ControlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ASSERT_TRUE(movanta::ui::StartDesktop());
        WNDCLASSW windowClass {};
        windowClass.lpfnWndProc = ParentProc;
        windowClass.lpszClassName = L"MovantaControlParent";
        ASSERT_NE(RegisterClassW(&windowClass), 0);
    }

    void SetUp() override {
        parent_ = CreateWindowExW(0, L"MovantaControlParent", L"parent", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                  nullptr, nullptr, nullptr);
        gNotices.clear();
    }
    void TearDown() override { DestroyWindow(parent_); }

    HWND Make(LPCWSTR className, DWORD style, int id, LPCWSTR text = L"") const {
        return CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, 10, 10, 150, 24, parent_,
                               reinterpret_cast<HMENU>(static_cast<LONG_PTR>(id)), nullptr, nullptr);
    }

    HWND parent_ = nullptr;
};

TEST_F(ControlsTest, AComboBoxChoiceReachesTheParentWithItsIdentifier) {
    HWND combo = Make(WC_COMBOBOX, CBS_DROPDOWNLIST, 1002);
    for (LPCWSTR phone : {L"Nokia 6230", L"Sony Ericsson K750", L"Motorola V3"}) {
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(phone));
    }
    EXPECT_EQ(SendMessageW(combo, CB_SETITEMDATA, 2, 77), 0);
    EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 1, 0), 1);
    EXPECT_TRUE(gNotices.empty()) << "a selection by message is not notified";
    EXPECT_GT(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(combo, CB_SETDROPPEDWIDTH, 220, 0), 220);
    EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 9, 0), CB_ERR);

    QComboBox* shown = OnlyWidget<QComboBox>();
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->count(), 3);
    EXPECT_EQ(shown->itemText(1), "Sony Ericsson K750");
    emit shown->activated(2);  // what choosing in the drop-down list does
    ASSERT_EQ(gNotices.size(), 1u);
    EXPECT_EQ(gNotices[0].message, WM_COMMAND);
    EXPECT_EQ(gNotices[0].wParam, MAKEWPARAM(1002, CBN_SELCHANGE));
    EXPECT_EQ(reinterpret_cast<HWND>(gNotices[0].lParam), combo);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, 2, 0), 77);
    WCHAR text[32] {};
    EXPECT_EQ(SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text)), 10);
    EXPECT_STREQ(text, L"Nokia 6230");
    SendMessageW(combo, CB_DELETESTRING, 0, 0);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1) << "the selection moves with its item";
}

TEST_F(ControlsTest, EditBoxesAndButtonsKeepTheirStateAndNotify) {
    HWND edit = Make(WC_EDIT, ES_AUTOHSCROLL, 10, L"start");
    QLineEdit* line = OnlyWidget<QLineEdit>();
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), "start");
    SetWindowTextW(edit, L"clip.3gp");
    EXPECT_EQ(line->text(), "clip.3gp");
    QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
    QApplication::sendEvent(line, &key);
    WCHAR text[32] {};
    GetWindowTextW(edit, text, 32);
    EXPECT_STREQ(text, L"clip.3gpx") << "typing reaches the control's text";
    ASSERT_EQ(gNotices.size(), 2u);
    EXPECT_EQ(gNotices[1].wParam, MAKEWPARAM(10, EN_CHANGE));

    gNotices.clear();
    HWND check = Make(WC_BUTTON, BS_AUTOCHECKBOX, 11, L"Associate");
    SendMessageW(check, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_CHECKED));
    HWND first = Make(WC_BUTTON, BS_AUTORADIOBUTTON, 12);
    HWND second = Make(WC_BUTTON, BS_AUTORADIOBUTTON, 13);
    SendMessageW(first, BM_CLICK, 0, 0);
    SendMessageW(second, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(first, BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_UNCHECKED));
    EXPECT_EQ(SendMessageW(second, BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_CHECKED));
    ASSERT_EQ(gNotices.size(), 3u);
    EXPECT_EQ(gNotices[0].wParam, MAKEWPARAM(11, BN_CLICKED));
}

TEST_F(ControlsTest, ABlackRectangleStaticIsBlackAndShowsNoText) {
    Make(WC_STATIC, SS_BLACKRECT, 20, L"hidden");
    QLabel* area = OnlyWidget<QLabel>();
    ASSERT_NE(area, nullptr);
    EXPECT_TRUE(area->text().isEmpty());
    const QImage picture = area->grab().toImage();
    EXPECT_EQ(picture.pixelColor(picture.width() / 2, picture.height() / 2), QColor(Qt::black));
}

TEST_F(ControlsTest, RangesListsAndTrees) {
    HWND progress = Make(PROGRESS_CLASS, 0, 20);
    SendMessageW(progress, PBM_SETRANGE32, 0, 1000);
    EXPECT_EQ(SendMessageW(progress, PBM_SETPOS, 1500, 0), 0);
    EXPECT_EQ(SendMessageW(progress, PBM_GETPOS, 0, 0), 1000) << "clamped to the range";

    HWND track = Make(TRACKBAR_CLASS, 0, 21);
    SendMessageW(track, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    SendMessageW(track, TBM_SETPOS, TRUE, 40);
    QSlider* slider = OnlyWidget<QSlider>();
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->value(), 40);
    EXPECT_TRUE(gNotices.empty());
    emit slider->sliderMoved(55);
    ASSERT_EQ(gNotices.size(), 1u);
    EXPECT_EQ(gNotices[0].message, WM_HSCROLL);
    EXPECT_EQ(HIWORD(gNotices[0].wParam), 55);
    EXPECT_EQ(SendMessageW(track, TBM_GETPOS, 0, 0), 55);

    HWND buddy = Make(WC_EDIT, 0, 22);
    HWND spin = CreateWindowExW(0, UPDOWN_CLASS, L"", WS_CHILD | WS_VISIBLE | UDS_ALIGNLEFT | UDS_SETBUDDYINT, 0, 0, 16,
                                10, parent_, nullptr, nullptr, nullptr);
    SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
    SendMessageW(spin, UDM_SETRANGE, 0, MAKELPARAM(10, 0));
    SendMessageW(spin, UDM_SETPOS, 0, MAKELPARAM(4, 0));
    WCHAR text[16] {};
    GetWindowTextW(buddy, text, 16);
    EXPECT_STREQ(text, L"4");
    RECT spinRect {};
    RECT buddyRect {};
    GetWindowRect(spin, &spinRect);
    GetWindowRect(buddy, &buddyRect);
    EXPECT_EQ(spinRect.right, buddyRect.left) << "the arrows sit at the buddy's left edge";

    HWND list = Make(WC_LISTVIEW, 0, 23);
    WCHAR row[] = L"first";
    LVITEMW item {LVIF_TEXT, 0, 0, 0, 0, row, 0, 0, 0};
    EXPECT_EQ(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)), 0);
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);

    HWND tree = Make(WC_TREEVIEW, 0, 24);
    WCHAR node[] = L"node";
    TVINSERTSTRUCTW insert {TVI_ROOT, TVI_LAST, {TVIF_TEXT, nullptr, 0, 0, node, 0, 0, 0, 0, 0}};
    const LRESULT root = SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
    insert.hParent = reinterpret_cast<HTREEITEM>(root);
    SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
    EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 2);
    SendMessageW(tree, TVM_DELETEITEM, 0, root);
    EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 0) << "children go with their parent";
}

QMessageBox* gBox = nullptr;

// Answers the box shown, once the message posted when it came up arrived.
LRESULT AnsweringProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP && gBox != nullptr) {
        QAbstractButton* button = gBox->button(QMessageBox::Cancel) != nullptr ? gBox->button(QMessageBox::Cancel)
                                                                               : gBox->button(QMessageBox::Ok);
        QMetaObject::invokeMethod(
            button, [button] { button->click(); }, Qt::QueuedConnection);
        gBox = nullptr;
    }
    return ParentProc(window, message, wParam, lParam);
}

TEST_F(ControlsTest, AMessageBoxKeepsTheLoopRunningAndAnswersItsButton) {
    SetWindowLongPtrW(parent_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AnsweringProc));
    movanta::ui::OnCommonDialogShown([](void* dialog) {
        gBox = static_cast<QMessageBox*>(static_cast<QDialog*>(dialog));
        PostMessageW(FindWindowW(L"MovantaControlParent", nullptr), WM_APP, 0, 0);
    });
    EXPECT_EQ(MessageBoxW(parent_, L"The file could not be opened.", L"Movanta", MB_OK | MB_ICONERROR), IDOK);
    EXPECT_EQ(MessageBoxW(parent_, L"Stop the conversion?", L"Movanta", MB_OKCANCEL), IDCANCEL);
    movanta::ui::OnCommonDialogShown(nullptr);
    EXPECT_EQ(gNotices.size(), 2u) << "posted messages were handled while the box was up";
    EXPECT_TRUE(IsWindowEnabled(parent_)) << "the owner is enabled again";
}

TEST_F(ControlsTest, TheSaveDialogAddsTheDefaultExtension) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    static std::string s_choice;
    s_choice = (folder / "movanta-output").string();
    movanta::ui::OnCommonDialogShown([](void* dialog) {
        auto* files = static_cast<QFileDialog*>(static_cast<QDialog*>(dialog));
        QMetaObject::invokeMethod(
            files,
            [files] {
                files->selectFile(QString::fromStdString(s_choice));
                static_cast<QDialog*>(files)->accept();
            },
            Qt::QueuedConnection);
    });
    WCHAR path[512] = L"";
    const WCHAR filter[] = L"3GP video\0*.3gp\0MPEG-4 video\0*.mp4\0\0";
    OPENFILENAMEW request {};
    request.lStructSize = sizeof(request);
    request.hwndOwner = parent_;
    request.lpstrFilter = filter;
    request.nFilterIndex = 1;
    request.lpstrFile = path;
    request.nMaxFile = 512;
    request.lpstrDefExt = L"3gp";
    ASSERT_TRUE(GetSaveFileNameW(&request));
    movanta::ui::OnCommonDialogShown(nullptr);
    EXPECT_EQ(std::wstring(path), (folder / "movanta-output.3gp").wstring());
    EXPECT_EQ(std::wstring(path + request.nFileExtension), L"3gp");
}

}  // namespace
