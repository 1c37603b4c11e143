// Applying a section to a canvas window: the Canvas key makes its picture,
// Btn, Text, Image and Icon keys its items, each registered as a master key.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gdi/gdi_objects.h"
#include "packages.h"
#include "pictures.h"
#include "skin/canvas/canvas_dlg.h"
#include "skin/canvas/canvas_registry.h"
#include "skin/canvas/canvas_wnd.h"
#include "skin/package/parser_exception.h"
#include "skin/package/skin_package.h"
#include "testing/testing.h"
#include "win/text.h"

namespace {

class CLabelCanvas : public CzCanvasWnd {
public:
    LPCWSTR fnAcquireString(int id) override { return id == 40 ? L"Length" : nullptr; }
};

class ApplyTest : public ::testing::Test {
protected:
    void SetUp() override { CzSkinParser::fnGetPackage().fnRemoveAll(); }
    void TearDown() override { CzSkinParser::fnGetPackage().fnRemoveAll(); }

    std::wstring Package(const std::string& script) {
        return MakePackage(dir_, script,
                           {{"back.bmp", 160, 90, 24, 0x30},
                            {"mask.bmp", 160, 90, 8, 0xFF},
                            {"play.bmp", 80, 20, 24, 0x90},
                            {"logo.bmp", 16, 16, 24, 0xC0}});
    }

    movanta::testing::TempDir dir_;
};

TEST_F(ApplyTest, ASectionBuildsTheCanvasAndItsItems) {
    const std::wstring path = Package(
        "[Main]\n"
        "Canvas=POS:0,0,0,0;IMAGE:back.bmp,1;MASK:mask.bmp,1;ALPHA:255;STYLE:0x2;\n"
        "BtnPlay=POS:10,10,0,0;IMAGE:play.bmp,4;ID:32785;\n"
        "TextLength=POS:10,40,150,60;ID:40;FORMAT:0x25;COLOR:255,255,255;ALIGN:BtnPlay,0x00;\n"
        "ImageLogo=POS:120,5,136,21;ID:41;IMAGE:logo.bmp,1;\n"
        "Title=Movanta\n");
    auto* canvas = new CLabelCanvas;
    ASSERT_TRUE(canvas->CreateEx(0, nullptr, L"skin", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    CzSkinParser parser;
    parser.fnParse(path.c_str(), L"Main", canvas);

    CRect rect;
    canvas->GetWindowRect(&rect);
    EXPECT_EQ(rect.Size(), CSize(160, 90)) << "the canvas picture's size";
    EXPECT_NE(canvas->GetStyle() & WS_THICKFRAME, 0u) << "STYLE bit 2: resizable";
    EXPECT_EQ(parser.fnGetMasterKey(L"CanvasMain"), canvas->fnGetPtrLocate(LOCATION_CANVAS, 0));
    EXPECT_EQ(canvas->fnGetBtnPos(32785), CRect(10, 10, 30, 30)) << "one frame of four";
    EXPECT_EQ(parser.fnGetMasterKey(L"BtnPlay"), canvas->fnGetPtrLocate(LOCATION_BUTTON, 32785));
    EXPECT_NE(parser.fnGetMasterKey(L"TextLength"), nullptr);
    EXPECT_NE(parser.fnGetMasterKey(L"ImageLogo"), nullptr);
    EXPECT_STREQ(parser.fnGetCustomKey(L"Title").GetString(), L"Movanta");

    const movanta::gdi::Bitmap* composition = CompositionOf(canvas->GetSafeHwnd());
    ASSERT_NE(composition, nullptr);
    EXPECT_EQ(composition->Read(15, 15), 0xFF909090u) << "the button's first frame";
    EXPECT_EQ(composition->Read(125, 10), 0xFFC0C0C0u) << "the image";
    EXPECT_EQ(composition->Read(80, 80), 0xFF303030u) << "the canvas picture with the mask's alpha";
    int ink = 0;
    for (int y = 40; y < 60; ++y) {
        for (int x = 10; x < 150; ++x) ink += (composition->Read(x, y) & 0xFF) > 0x80;
    }
    EXPECT_GT(ink, 10) << "the text the canvas supplied";
    canvas->DestroyWindow();
}

TEST_F(ApplyTest, KeysWithoutWhatTheyNeedBuildNothing) {
    const std::wstring path = Package(
        "[Main]\n"
        "Canvas=POS:0,0,0,0;IMAGE:back.bmp,1;\n"
        "BtnNoId=POS:10,10,0,0;IMAGE:play.bmp,4;\n"
        "TextUnknown=POS:10,40,150,60;ID:99;\n"
        "BtnMissing=POS:10,10,0,0;IMAGE:nothere.bmp,4;ID:5;\n");
    auto* canvas = new CLabelCanvas;
    ASSERT_TRUE(canvas->CreateEx(0, nullptr, L"skin", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    CzSkinParser parser;
    bool missing = false;
    try {
        parser.fnParse(path.c_str(), L"Main", canvas);
    } catch (CzSkinParserException* error) {
        missing = error->fnGetCause() == CzSkinParserException::resourceNotFound;
    }
    EXPECT_TRUE(missing) << "a picture that is not in the package";
    EXPECT_EQ(parser.fnGetMasterKey(L"BtnNoId"), nullptr);
    EXPECT_EQ(parser.fnGetMasterKey(L"TextUnknown"), nullptr) << "the canvas has no string for it";
    canvas->DestroyWindow();
}

}  // namespace

namespace {

class CLabelDialog : public CzCanvasDlg {
public:
    LPCWSTR fnAcquireString(int id) override { return id == 40 ? L"Length" : nullptr; }
};

TEST_F(ApplyTest, AFrameCanvasAndADialogCanvasShowTheSameComposition) {
    const std::wstring path = Package(
        "[Main]\n"
        "Canvas=POS:0,0,0,0;IMAGE:back.bmp,1;MASK:mask.bmp,1;\n"
        "BtnPlay=POS:10,10,0,0;IMAGE:play.bmp,4;ID:32785;\n"
        "TextLength=POS:10,40,150,60;ID:40;COLOR:255,255,255;\n");
    auto* window = new CLabelCanvas;
    ASSERT_TRUE(window->CreateEx(0, nullptr, L"frame", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    window->fnParseScript(path.c_str(), L"Main");
    CLabelDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr, 0));
    dialog.fnParseScript(path.c_str(), L"Main");

    const movanta::gdi::Bitmap* framed = CompositionOf(window->GetSafeHwnd());
    const movanta::gdi::Bitmap* dialogs = CompositionOf(dialog.GetSafeHwnd());
    ASSERT_NE(framed, nullptr);
    ASSERT_NE(dialogs, nullptr);
    ASSERT_EQ(framed->width, dialogs->width);
    ASSERT_EQ(framed->height, dialogs->height);
    int different = 0;
    for (int y = 0; y < framed->height; ++y) {
        for (int x = 0; x < framed->width; ++x) different += framed->Read(x, y) != dialogs->Read(x, y);
    }
    EXPECT_EQ(different, 0);
    dialog.DestroyWindow();
    window->DestroyWindow();
}

}  // namespace
