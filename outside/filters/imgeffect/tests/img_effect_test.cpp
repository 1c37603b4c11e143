// "ImgEffect" on small pictures: nothing changes until values are set, and
// each value does what its documentation says in every picture format.
#include <gtest/gtest.h>

#include "com/comapi.h"
#include "com/server_file.h"
#include "dshow/testing/harness.h"
#include "img_effect_filter.h"
#include "testing/testing.h"

namespace movanta::outside {
namespace {

CMediaType Picture(const GUID& subtype, int width, int height, WORD bits) {
    CMediaType type(&MEDIATYPE_Video);
    type.SetSubtype(&subtype);
    type.SetFormatType(&FORMAT_VideoInfo);
    auto* header = reinterpret_cast<VIDEOINFOHEADER*>(type.AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    *header = VIDEOINFOHEADER {};
    header->bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, bits, 0, 0, 0, 0, 0, 0};
    return type;
}

// Runs one picture through a new effect with `values` (none: unconfigured).
std::vector<std::uint8_t> Adjusted(const CMediaType& type, const std::vector<std::uint8_t>& picture,
                                   const std::vector<LONG>& values = {}, CImgEffect** kept = nullptr) {
    auto* effect = new CImgEffect(nullptr);
    if (kept != nullptr) *kept = effect;
    ComPtr<IBaseFilter> filter;
    effect->NonDelegatingQueryInterface(IID_IBaseFilter, filter.ReceiveVoid());
    if (!values.empty()) {
        auto settings = filter.As<IImgEffectValues>(IID_IImgEffectValues);
        EXPECT_EQ(settings->SetCount(static_cast<LONG>(values.size())), S_OK);
        EXPECT_EQ(settings->SetValues(values.data()), S_OK);
    }
    testing::TransformHarness harness(filter.Get(), type, static_cast<LONG>(picture.size()));
    EXPECT_EQ(harness.ConnectInput(), S_OK);
    EXPECT_EQ(harness.ConnectOutput(), S_OK);
    EXPECT_EQ(harness.Run(), S_OK);
    harness.Source().Send(picture.data(), picture.size(), 0, 400000);
    const auto samples = harness.Sink().Samples();
    return samples.empty() ? std::vector<std::uint8_t> {} : samples[0].data;
}

// 8x8 YV12: luma 128, V 90, U 160.
std::vector<std::uint8_t> Yv12() {
    std::vector<std::uint8_t> picture(96, 128);
    std::fill(picture.begin() + 64, picture.begin() + 80, 90);
    std::fill(picture.begin() + 80, picture.end(), 160);
    return picture;
}

std::vector<LONG> Ten(LONG brightness, LONG contrast, LONG saturation, LONG grey, LONG negative) {
    return {brightness, contrast, saturation, grey, negative, 0, 0, 0, 0, 0};
}

TEST(ImgEffect, UnconfiguredOrAllZeroChangesNothing) {
    const CMediaType yv12 = Picture(MEDIASUBTYPE_YV12, 8, 8, 12);
    EXPECT_EQ(Adjusted(yv12, Yv12()), Yv12());
    EXPECT_EQ(Adjusted(yv12, Yv12(), Ten(0, 0, 0, 0, 0)), Yv12());
}

TEST(ImgEffect, EachValueDoesWhatItsDocumentationSays) {
    const CMediaType yv12 = Picture(MEDIASUBTYPE_YV12, 8, 8, 12);
    auto brighter = Adjusted(yv12, Yv12(), Ten(50, 0, 0, 0, 0));
    EXPECT_EQ(brighter[0], 192);  // +50 * 1.28
    EXPECT_EQ(brighter[64], 90);  // colour untouched
    auto grey = Adjusted(yv12, Yv12(), Ten(0, 0, 0, 1, 0));
    EXPECT_EQ(grey[0], 128);
    EXPECT_EQ(grey[64], 128);
    EXPECT_EQ(grey[95], 128);
    auto paler = Adjusted(yv12, Yv12(), Ten(0, 0, -50, 0, 0));
    EXPECT_EQ(paler[64], 109);  // 128 - 38 / 2
    auto negative = Adjusted(yv12, Yv12(), Ten(0, 0, 0, 0, 1));
    EXPECT_EQ(negative[0], 127);
    EXPECT_EQ(negative[64], 166);
    auto flatter = Adjusted(yv12, std::vector<std::uint8_t>(96, 28), Ten(0, -50, 0, 0, 0));
    EXPECT_EQ(flatter[0], 78);  // half as far from 128

    const CMediaType yuy2 = Picture(MEDIASUBTYPE_YUY2, 4, 2, 16);
    const std::vector<std::uint8_t> pixels = {100, 90, 100, 160, 100, 90, 100, 160,
                                              100, 90, 100, 160, 100, 90, 100, 160};
    auto yuy2Brighter = Adjusted(yuy2, pixels, Ten(10, 0, 0, 0, 0));
    EXPECT_EQ(yuy2Brighter[0], 113);
    EXPECT_EQ(yuy2Brighter[1], 90);

    const CMediaType rgb = Picture(MEDIASUBTYPE_RGB24, 4, 2, 24);
    std::vector<std::uint8_t> red(24);
    for (size_t i = 0; i < red.size(); i += 3) red[i + 2] = 200;
    auto rgbGrey = Adjusted(rgb, red, Ten(0, 0, 0, 1, 0));
    EXPECT_EQ(rgbGrey[0], rgbGrey[1]);
    EXPECT_EQ(rgbGrey[1], rgbGrey[2]);
    EXPECT_NEAR(rgbGrey[2], 60, 1);  // 0.299 * 200
}

TEST(ImgEffect, InterfacesAndTypes) {
    auto* effect = new CImgEffect(nullptr);
    ComPtr<IBaseFilter> filter;
    effect->NonDelegatingQueryInterface(IID_IBaseFilter, filter.ReceiveVoid());
    auto target = filter.As<IImgEffectTarget>(IID_IImgEffectTarget);
    auto values = filter.As<IImgEffectValues>(IID_IImgEffectValues);
    ASSERT_TRUE(target && values);
    const CLSID mixer = {0xCD8743A1, 0x3736, 0x11D0, {0x9E, 0x69, 0x00, 0xC0, 0x4F, 0xD7, 0xC1, 0x5B}};
    EXPECT_EQ(target->SetReplacedFilter(&mixer), S_OK);
    EXPECT_EQ(effect->ReplacedFilter(), mixer);
    EXPECT_EQ(values->SetCount(11), E_INVALIDARG);
    EXPECT_EQ(values->SetValues(nullptr), E_POINTER);
    CMediaType mpeg4 = Picture(FourCCGuid(MakeFourCC('X', 'V', 'I', 'D')), 8, 8, 12);
    EXPECT_EQ(effect->CheckInputType(&mpeg4), VFW_E_TYPE_NOT_ACCEPTED);
}

TEST(ImgEffectPlugin, IsCreatedByClass) {
    testing::ScopedRegistry registry;
    std::string error;
    ASSERT_EQ(RegisterServerFile(IMGEFFECT_PATH, true, error), ServerFileResult::Done) << error;
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(CoCreateInstance(CLSID_ImgEffect, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.ReceiveVoid()),
              S_OK);
    EXPECT_TRUE(filter.As<IImgEffectValues>(IID_IImgEffectValues));
}

}  // namespace
}  // namespace movanta::outside
