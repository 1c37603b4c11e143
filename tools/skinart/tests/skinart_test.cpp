// The artwork recipe and the pictures made from it: strips of four frames
// on their backdrop, windows with premultiplied colour and an opacity mask.
#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <cstdlib>

#include "art_maker.h"
#include "recipe.h"
#include "testing/testing.h"

namespace {

using movanta::skinart::ArtKind;
using movanta::skinart::MakeArt;
using movanta::skinart::ParseRecipe;

// Faces of 20 x 10 in four colours; an icon that fills its square red.
const char* kFaces = R"(<svg xmlns="http://www.w3.org/2000/svg" width="200" height="20">
  <g id="flat-normal"><rect x="0" width="20" height="10" fill="#102030"/></g>
  <g id="flat-pressed"><rect x="30" width="20" height="10" fill="#203040"/></g>
  <g id="flat-hover"><rect x="60" width="20" height="10" fill="#304050"/></g>
  <g id="flat-disabled"><rect x="90" width="20" height="10" fill="#405060"/></g>
</svg>)";
const char* kIcons = R"(<svg xmlns="http://www.w3.org/2000/svg" width="40" height="10">
  <g id="red"><rect width="10" height="10" fill="#FF0000"/></g>
  <g id="blue"><rect x="20" width="10" height="10" fill="#0000FF"/></g>
</svg>)";
// A window: an opaque left half and a half-transparent white right half.
const char* kWindow = R"(<svg xmlns="http://www.w3.org/2000/svg" width="8" height="4">
  <rect width="4" height="4" fill="#336699"/>
  <rect x="4" width="4" height="4" fill="#FFFFFF" fill-opacity="0.5"/>
</svg>)";

class SkinArt : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "skinart_tests";
        static char* argv[] = {name, nullptr};
        static QGuiApplication application(argc, argv);
    }

    void Write(const char* name, const char* text) const {
        QFile file(QString::fromStdString(dir_.File(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    bool Make(const char* recipeText, QString& error) const {
        const auto recipe = ParseRecipe(QString::fromUtf8(recipeText), error);
        if (!recipe) return false;
        const QDir folder(QString::fromStdString(dir_.Path()));
        return MakeArt(*recipe, folder, folder, error);
    }
    QImage Read(const char* name) const { return QImage(QString::fromStdString(dir_.File(name))); }
    // The bits a pixel the BMP file's header gives.
    int BitsOf(const char* name) const {
        QFile file(QString::fromStdString(dir_.File(name)));
        if (!file.open(QIODevice::ReadOnly)) return 0;
        const QByteArray header = file.read(30);
        return header.size() == 30 ? (uchar(header[28]) | uchar(header[29]) << 8) : 0;
    }

    movanta::testing::TempDir dir_;
};

TEST_F(SkinArt, ARecipeReadsEveryKindAndNamesTheLineOfAFault) {
    QString error;
    const auto recipe = ParseRecipe(QStringLiteral("# pictures\n\nfaces f.svg\nicons i.svg\n"
                                                   "canvas w.bmp w_mask.bmp w.svg\n"
                                                   "picture p.bmp p.svg #1B212B\n"
                                                   "strip s.bmp 44x36 #000000 round play/pause 20\n"
                                                   "png icon.png 48 icon.svg\n"),
                                    error);
    ASSERT_TRUE(recipe) << error.toStdString();
    EXPECT_EQ(recipe->faces, "f.svg");
    ASSERT_EQ(recipe->items.size(), 4u);
    EXPECT_EQ(recipe->items[0].kind, ArtKind::Canvas);
    EXPECT_EQ(recipe->items[0].mask, "w_mask.bmp");
    EXPECT_EQ(recipe->items[1].backdrop, QColor(0x1B, 0x21, 0x2B));
    EXPECT_EQ(recipe->items[2].size, QSize(44, 36));
    EXPECT_EQ(recipe->items[2].icon, "play");
    EXPECT_EQ(recipe->items[2].pressedIcon, "pause");
    EXPECT_EQ(recipe->items[2].line, 7);
    EXPECT_EQ(recipe->items[3].size, QSize(48, 48));

    for (const char* bad : {"strip s.bmp 44x36 #000000 round play\n", "strip s.bmp 0x36 #000000 r - 0\n",
                            "picture p.bmp p.svg 1B212B\n", "canvas w.bmp ../w_mask.bmp w.svg\n", "button b.bmp\n",
                            "png icon.png 99999 icon.svg\n"}) {
        EXPECT_FALSE(ParseRecipe(QStringLiteral("faces f.svg\n") + QString::fromUtf8(bad), error)) << bad;
        EXPECT_TRUE(error.startsWith("line 2: ")) << error.toStdString();
    }
}

TEST_F(SkinArt, AStripHasAFrameForEachStateWithItsIcon) {
    Write("faces.svg", kFaces);
    Write("icons.svg", kIcons);
    QString error;
    ASSERT_TRUE(Make("faces faces.svg\nicons icons.svg\nstrip b.bmp 20x10 #FFFFFF flat red/blue 4\n", error))
        << error.toStdString();
    const QImage strip = Read("b.bmp");
    ASSERT_EQ(strip.size(), QSize(80, 10));
    EXPECT_EQ(strip.pixelColor(1, 1), QColor(0x10, 0x20, 0x30)) << "the normal face";
    EXPECT_EQ(strip.pixelColor(21, 1), QColor(0x20, 0x30, 0x40)) << "the pressed face";
    EXPECT_EQ(strip.pixelColor(41, 1), QColor(0x30, 0x40, 0x50)) << "the hover face";
    EXPECT_EQ(strip.pixelColor(61, 1), QColor(0x40, 0x50, 0x60)) << "the disabled face";
    EXPECT_EQ(strip.pixelColor(10, 5), QColor(Qt::red)) << "the icon in the middle";
    EXPECT_EQ(strip.pixelColor(30, 6), QColor(Qt::blue)) << "the pressed icon, a pixel lower";
    EXPECT_EQ(strip.pixelColor(50, 5), QColor(Qt::red));
    const QColor dimmed = strip.pixelColor(70, 5);
    EXPECT_LT(dimmed.red(), 200) << "the disabled icon is faint";
    EXPECT_GT(dimmed.red(), dimmed.green());

    EXPECT_FALSE(Make("faces faces.svg\nicons icons.svg\nstrip b.bmp 20x10 #FFFFFF round red 4\n", error));
    EXPECT_TRUE(error.contains("round-normal")) << error.toStdString();
    EXPECT_FALSE(Make("faces faces.svg\nicons icons.svg\nstrip b.bmp 20x10 #FFFFFF flat green 4\n", error));
    EXPECT_TRUE(error.contains("green")) << error.toStdString();
}

TEST_F(SkinArt, AWindowKeepsPremultipliedColourAndItsOpacityAsAMask) {
    Write("window.svg", kWindow);
    QString error;
    ASSERT_TRUE(Make("canvas w.bmp w_mask.bmp window.svg\n", error)) << error.toStdString();
    const QImage colour = Read("w.bmp");
    const QImage mask = Read("w_mask.bmp");
    ASSERT_EQ(colour.size(), QSize(8, 4));
    ASSERT_EQ(mask.size(), QSize(8, 4));
    EXPECT_EQ(BitsOf("w.bmp"), 24);
    EXPECT_EQ(BitsOf("w_mask.bmp"), 8);
    EXPECT_EQ(colour.pixelColor(1, 1), QColor(0x33, 0x66, 0x99));
    EXPECT_EQ(mask.pixelIndex(1, 1), 255);
    EXPECT_NEAR(mask.pixelIndex(6, 1), 128, 1);
    EXPECT_NEAR(colour.pixelColor(6, 1).red(), 128, 1) << "white at half opacity, premultiplied";
    EXPECT_EQ(mask.color(128), qRgb(128, 128, 128)) << "index n is grey n";

    EXPECT_FALSE(Make("canvas w.bmp w_mask.bmp missing.svg\n", error));
    EXPECT_TRUE(error.contains("missing.svg")) << error.toStdString();
}

}  // namespace
