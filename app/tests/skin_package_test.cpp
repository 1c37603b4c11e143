// "Movanta.zsp" read back as the application reads it: every section, key,
// named rectangle, picture and font the windows ask for, and pictures whose
// cells and frames fit what draws them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "gdi/wingdi.h"
#include "langtext/langtext.h"
#include "skin/package/skin_package.h"
#include "skin/package/skin_parser.h"
#include "win/text.h"

namespace {

// The tags of one item key.
struct Item {
    KEY_TYPE kind = KEY_NONE;
    CString name;
    CRect pos;
    int id = 0;
    CString image;
    int frames = 0;
    CString mask;
    CString windowClass;
    int font = -1;
};

class TagReader : public CzSkinParser {
public:
    static Item Read(const CzItemKey& key) {
        Item item;
        item.kind = key.m_kind;
        item.name = key.m_key;
        std::wstring text(key.m_value.Wide());
        WCHAR* p = text.data();
        while (*p != 0) {
            int ignored = 0;
            if (fnIsTagPOS(p)) {
                fnParseTag(p, item.pos);
            } else if (fnIsTagIMAGE(p)) {
                fnParseTag(p, item.image, item.frames);
            } else if (fnIsTagMASK(p)) {
                fnParseTag(p, item.mask, ignored);
            } else if (fnIsTagID(p)) {
                fnParseTag(p, item.id);
            } else if (fnIsTagCLASS(p)) {
                fnParseTag(p, item.windowClass);
            } else if (fnIsTagFONT(p)) {
                fnParseTag(p, item.font);
            } else {
                fnSkipTag(p);
            }
        }
        return item;
    }
};

struct Picture {
    int width = 0;
    int height = 0;
    int bits = 0;
};

// A section of the package as the application's windows parse it.
class Section {
public:
    explicit Section(const char* name) {
        parser_.fnParse(movanta::Utf8ToWide(SKIN_PACKAGE).c_str(), movanta::Utf8ToWide(name).c_str(), nullptr);
        for (const CzItemKey& key : parser_.fnGetItemKeys()) items_.push_back(TagReader::Read(key));
    }

    std::set<int> Ids(KEY_TYPE kind) const {
        std::set<int> ids;
        for (const Item& item : items_) {
            if (item.kind == kind) ids.insert(item.id);
        }
        return ids;
    }
    const std::vector<Item>& Items() const { return items_; }
    const Item& Of(KEY_TYPE kind, int id) const {
        for (const Item& item : items_) {
            if (item.kind == kind && item.id == id) return item;
        }
        static const Item none;
        return none;
    }

    // A named rectangle, read as the application reads it.
    CRect Rect(const WCHAR* name) const {
        std::wstring value(parser_.fnGetCustomKey(name).Wide());
        WCHAR* p = value.data();
        CRect rect;
        if (CzSkinParser::fnIsTagPOS(p)) CzSkinParser::fnParseTag(p, rect);
        return rect;
    }
    // A picture named by a custom key, or by its item name.
    Picture Image(const WCHAR* key) const { return Load(parser_.fnGetCustomKey(key)); }
    Picture Load(const CString& name) const {
        HBITMAP bitmap = parser_.fnLoadImage(name.Wide().c_str());
        BITMAP info {};
        GetObjectW(bitmap, sizeof info, &info);
        DeleteObject(bitmap);
        return {info.bmWidth, info.bmHeight, info.bmBitsPixel};
    }

private:
    CzSkinParser parser_;
    std::vector<Item> items_;
};

std::set<int> Range(int first, int last) {
    std::set<int> ids;
    for (int id = first; id <= last; ++id) ids.insert(id);
    return ids;
}

class SkinPackage : public ::testing::Test {
protected:
    static void SetUpTestSuite() { setenv("QT_QPA_PLATFORM", "offscreen", 1); }
};

TEST_F(SkinPackage, EverySectionHasTheButtonsTextsAndControlsOfItsWindow) {
    struct Expected {
        const char* section;
        std::set<int> buttons;
        std::set<int> texts;  // at least these
        std::map<int, const char*> controls;
    };
    std::set<int> optionButtons = Range(32788, 32794);
    optionButtons.insert({1, 2});
    const Expected expected[] = {
        {"MainFrm", Range(32771, 32783), {1}, {{1001, "STATIC"}}},
        {"MessageDlgOK", {1}, {10001}, {}},
        {"MessageDlg", {1, 2}, {10001}, {}},
        {"OptionDlg", optionButtons, {28, 29, 30, 32, 33, 34}, {{1002, "ComboBox"}}},
        {"PreviewDlg", {1, 32785, 32786, 32787}, {}, {{1001, "STATIC"}}},
        {"ProgressDlg", {32797}, {}, {}},
    };
    for (const Expected& window : expected) {
        SCOPED_TRACE(window.section);
        const Section section(window.section);
        EXPECT_EQ(section.Ids(KEY_CANVAS).size(), 1u);
        EXPECT_EQ(section.Ids(KEY_BTN), window.buttons);
        const std::set<int> texts = section.Ids(KEY_TEXT);
        for (int id : window.texts) EXPECT_TRUE(texts.contains(id)) << "no text " << id;
        std::map<int, std::string> controls;
        for (int id : section.Ids(KEY_CTRL)) controls[id] = section.Of(KEY_CTRL, id).windowClass.ToUtf8();
        EXPECT_EQ(controls.size(), window.controls.size());
        for (const auto& [id, windowClass] : window.controls) EXPECT_EQ(controls[id], windowClass) << id;
    }
}

TEST_F(SkinPackage, TheNamedPlacesAndPicturesOfTheBarsFitWhatDrawsThem) {
    const Section main("MainFrm");
    for (const WCHAR* name : {L"PosFileName", L"PosMediaTime", L"PosVideoLen", L"PosVideoSize"}) {
        EXPECT_FALSE(main.Rect(name).IsRectEmpty()) << movanta::WideToUtf8(name);
    }
    // The media bar: three cells whose width leaves room for half a handle
    // either side, handles and marks in four frames, room below the track.
    const CRect mediaBar = main.Rect(L"MediaBarPos");
    const Picture bar = main.Image(L"MediaBar");
    const Picture handle = main.Image(L"MediaCur");
    EXPECT_EQ(bar.width % 3, 0);
    EXPECT_EQ(handle.width % 4, 0);
    EXPECT_LE(bar.width / 3 + handle.width / 4, mediaBar.Width());
    EXPECT_LE(2 + handle.height, mediaBar.Height());
    EXPECT_LE(12 + bar.height, mediaBar.Height());
    for (const WCHAR* mark : {L"MediaStart", L"MediaEnd"}) {
        const Picture picture = main.Image(mark);
        EXPECT_EQ(picture.width % 4, 0);
        EXPECT_LE(26 + picture.height, mediaBar.Height());
    }
    EXPECT_GT(main.Image(L"MediaBkg").width, 0);
    // The volume bar: its track runs from 30 to 107 within it.
    const CRect volumeBar = main.Rect(L"VolBarPos");
    const Picture indicator = main.Image(L"VolInd");
    EXPECT_EQ(indicator.width % 4, 0);
    EXPECT_LE(8 + indicator.width / 4, volumeBar.Width());
    EXPECT_LE(107 + indicator.height / 2, volumeBar.Height());
    EXPECT_GT(main.Image(L"VolBar").width, 0);
    const CRect video = main.Of(KEY_CTRL, 1001).pos;
    EXPECT_GE(video.Width(), 352);
    EXPECT_GE(video.Height(), 288);

    const Section progress("ProgressDlg");
    EXPECT_FALSE(progress.Rect(L"PosRMTime").IsRectEmpty());
    EXPECT_FALSE(progress.Rect(L"ProgBarPos").IsRectEmpty());
    EXPECT_EQ(progress.Image(L"ProgBar").width % 3, 0);
}

TEST_F(SkinPackage, ButtonsHaveFourFramesAndWindowsAnOpacityMask) {
    for (const char* name : {"MainFrm", "MessageDlgOK", "MessageDlg", "OptionDlg", "PreviewDlg", "ProgressDlg"}) {
        SCOPED_TRACE(name);
        const Section section(name);
        for (const Item& item : section.Items()) {
            if (item.kind == KEY_BTN) {
                EXPECT_EQ(item.frames, 4) << item.name.ToUtf8();
                EXPECT_EQ(section.Load(item.image).width % 4, 0) << item.name.ToUtf8();
            }
            if (item.kind == KEY_CANVAS) {
                const Picture picture = section.Load(item.image);
                const Picture mask = section.Load(item.mask);
                EXPECT_EQ(picture.bits, 24);
                EXPECT_EQ(mask.bits, 8);
                EXPECT_EQ(mask.width, picture.width);
                EXPECT_EQ(mask.height, picture.height);
            }
        }
    }
}

TEST_F(SkinPackage, EveryFontAndTextTheSkinNamesExists) {
    ASSERT_TRUE(orkInitMLTran(movanta::Utf8ToWide(LOCALIZATION_DIR).c_str(), 0));
    for (const char* name : {"MainFrm", "MessageDlgOK", "MessageDlg", "OptionDlg", "PreviewDlg", "ProgressDlg"}) {
        SCOPED_TRACE(name);
        const Section section(name);
        for (const Item& item : section.Items()) {
            EXPECT_LT(item.font, CzSkinParser::fnGetPackage().fnGetNumberFonts()) << item.name.ToUtf8();
            // The message text is the one the dialog puts in itself.
            if (item.kind == KEY_TEXT && item.id != 10001) {
                EXPECT_NE(orkMLGetString(item.id), nullptr) << item.name.ToUtf8();
            }
        }
    }
    // The windows draw with fonts 2, 4, 5 and 7 besides those of their texts.
    EXPECT_GE(CzSkinParser::fnGetPackage().fnGetNumberFonts(), 8);
}

// The size `text` takes in package font `font` with DrawText's `format`
// (with DT_WORDBREAK, within `width`).
CSize Measure(const std::wstring& text, int font, UINT format, int width) {
    HDC dc = CreateCompatibleDC(nullptr);
    CFont* chosen = CzSkinParser::fnGetPackage().fnGetFont(font);
    HGDIOBJ previous = SelectObject(dc, static_cast<HFONT>(*chosen));
    RECT box {0, 0, width, 0};
    DrawTextW(dc, text.c_str(), -1, &box, format | DT_CALCRECT);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return {box.right - box.left, box.bottom - box.top};
}

std::wstring CaptionOf(int id) {
    const std::wstring text = orkMLGetString(id);
    return text.substr(0, text.find(L'\n'));
}

TEST_F(SkinPackage, EveryTextFitsItsPlaceInEveryLanguage) {
    const Section main("MainFrm");
    const Section option("OptionDlg");
    const Section message("MessageDlg");
    const Section progress("ProgressDlg");
    const Item& messageText = message.Of(KEY_TEXT, 10001);
    const Item& open = main.Of(KEY_BTN, 32781);
    const int buttonWidth = main.Load(open.image).width / open.frames;
    for (const char* locale : {"C", "de_DE.UTF-8", "fr_FR.UTF-8"}) {
        SCOPED_TRACE(locale);
        setenv("LANG", locale, 1);
        ASSERT_TRUE(orkInitMLTran(movanta::Utf8ToWide(LOCALIZATION_DIR).c_str(), 0));
        for (const Section* section : {&main, &option, &message, &progress}) {
            for (const Item& item : section->Items()) {
                if (item.kind != KEY_TEXT || item.id == 10001) continue;
                const CSize size = Measure(orkMLGetString(item.id), std::max(item.font, 0), DT_SINGLELINE, 0);
                EXPECT_LE(size.cx, item.pos.Width()) << item.name.ToUtf8();
                EXPECT_LE(size.cy, item.pos.Height()) << item.name.ToUtf8();
            }
        }
        std::vector<int> messages = {23};
        for (int id = 1001; id <= 1011; ++id) messages.push_back(id);
        for (int id : messages) {
            const CSize size = Measure(orkMLGetString(id), messageText.font, DT_WORDBREAK, messageText.pos.Width());
            EXPECT_LE(size.cy, messageText.pos.Height()) << "message " << id;
        }
        // Captions the windows draw on their buttons: the main window's in
        // font 2, the dialogs' in font 4, all on buttons of the same width.
        for (int id : {4, 5, 6}) EXPECT_LE(Measure(CaptionOf(id), 2, DT_SINGLELINE, 0).cx + 8, buttonWidth) << id;
        for (int id : {9, 14, 15, 16, 17}) EXPECT_LE(Measure(CaptionOf(id), 4, DT_SINGLELINE, 0).cx + 8, buttonWidth) << id;
        for (int phone = 101; phone <= 105; ++phone) {
            EXPECT_LE(Measure(orkMLGetString(phone), 1, DT_SINGLELINE, 0).cx + 24, option.Of(KEY_CTRL, 1002).pos.Width())
                << "phone " << phone;
        }
    }
}

}  // namespace
