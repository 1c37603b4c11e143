// "Xvid Encoder" alone: pictures in, MPEG-4 Part 2 out that libavcodec's
// own decoder reads back at the size given, the first picture a key
// picture with the stream headers, at about the bit rate asked for.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "dshow/media_subtypes.h"
#include "dshow/testing/harness.h"
#include "testing/media.h"
#include "xvid_encoder_filter.h"

namespace movanta::outside {
namespace {

using movanta::testing::TransformHarness;

CMediaType PictureType(int width, int height, REFERENCE_TIME interval) {
    CMediaType type;
    type.SetType(&MEDIATYPE_Video);
    type.SetSubtype(&MEDIASUBTYPE_YV12);
    type.SetFormatType(&FORMAT_VideoInfo);
    auto* header = reinterpret_cast<VIDEOINFOHEADER*>(type.AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    std::memset(header, 0, sizeof(VIDEOINFOHEADER));
    header->AvgTimePerFrame = interval;
    header->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header->bmiHeader.biWidth = width;
    header->bmiHeader.biHeight = height;
    header->bmiHeader.biBitCount = 12;
    header->bmiHeader.biCompression = MakeFourCC('Y', 'V', '1', '2');
    header->bmiHeader.biSizeImage = static_cast<DWORD>(width * height * 3 / 2);
    type.SetSampleSize(header->bmiHeader.biSizeImage);
    return type;
}

// Noise over a moving gradient, so the coder has more work on every picture
// than the bit rate pays for.
std::vector<std::uint8_t> Picture(int width, int height, int index) {
    std::vector<std::uint8_t> picture(static_cast<size_t>(width * height * 3 / 2), 128);
    std::uint32_t seed = 12345u + static_cast<std::uint32_t>(index);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            picture[static_cast<size_t>(y * width + x)] =
                static_cast<std::uint8_t>(x * 3 + y + index * 4 + (seed >> 30));
        }
    }
    return picture;
}

struct Decoded {
    int pictures = 0;
    int errors = 0;
    int width = 0;
    int height = 0;
};

Decoded Decode(const std::vector<movanta::testing::CollectingSink::Sample>& samples) {
    movanta::testing::PictureDecoder decoder("mpeg4");
    Decoded result;
    for (const auto& sample : samples) {
        const auto picture = decoder.Decode(sample.data);
        if (picture.width == 0 || picture.damaged) ++result.errors;
        if (picture.width == 0) continue;
        ++result.pictures;
        result.width = picture.width;
        result.height = picture.height;
    }
    return result;
}

TEST(XvidEncoder, CodesDecodablePicturesAtTheBitRateAsked) {
    std::vector<double> rates;
    for (const LONG bitrate : {128000L, 512000L}) {
        auto* encoder = new CXvidEncoder(nullptr);
        ComPtr<IBaseFilter> filter;
        encoder->NonDelegatingQueryInterface(IID_IBaseFilter, filter.ReceiveVoid());
        auto settings = filter.As<IXvidEncoder>(IID_IXvidEncoder);
        ASSERT_TRUE(settings);
        LONG unconnected = 0;
        EXPECT_EQ(settings->GetInputSize(&unconnected, &unconnected), S_FALSE);
        EXPECT_EQ(settings->SetBitrate(bitrate), S_OK);
        EXPECT_EQ(settings->SetBitrate(10), E_INVALIDARG);
        const int width = 176;
        const int height = 144;
        const REFERENCE_TIME interval = UNITS / 12;
        TransformHarness harness(filter.Get(), PictureType(width, height, interval), width * height * 3 / 2);
        ASSERT_EQ(harness.ConnectInput(), S_OK);
        ASSERT_EQ(harness.ConnectOutput(), S_OK);
        EXPECT_EQ(harness.Sink().ConnectionType().subtype, MEDIASUBTYPE_XVID);
        LONG w = 0;
        LONG h = 0;
        EXPECT_EQ(settings->GetInputSize(&w, &h), S_OK);
        EXPECT_EQ(w, width);
        ASSERT_EQ(harness.Run(), S_OK);
        const int count = 48;  // four seconds
        for (int i = 0; i < count; ++i) {
            const auto picture = Picture(width, height, i);
            ASSERT_EQ(harness.Source().Send(picture.data(), picture.size(), i * interval, (i + 1) * interval), S_OK);
        }
        harness.Source().SendEndOfStream();
        const auto samples = harness.Sink().TakeSamples();
        ASSERT_EQ(samples.size(), static_cast<size_t>(count));
        // The first picture opens with the visual object sequence header.
        ASSERT_GE(samples[0].data.size(), 5u);
        EXPECT_EQ(std::vector<std::uint8_t>(samples[0].data.begin(), samples[0].data.begin() + 4),
                  (std::vector<std::uint8_t> {0, 0, 1, 0xB0}));
        // Simple profile at the level of QCIF at this rate: L2 up to 128 kbit/s, then L4a.
        EXPECT_EQ(samples[0].data[4], bitrate <= 128000 ? 0x02 : 0x04);
        EXPECT_TRUE(samples[0].sync);
        EXPECT_EQ(samples[5].start, 5 * interval);
        size_t bytes = 0;
        for (const auto& sample : samples) bytes += sample.data.size();
        const double rate = bytes * 8.0 / (count * interval / 1e7);
        // Noise in every picture costs bits even at the coarsest quantiser:
        // at the lower rate the coder overdraws by up to two thirds.
        EXPECT_LT(rate, bitrate * 1.7) << "bit/s";
        rates.push_back(rate);
        const Decoded decoded = Decode(samples);
        EXPECT_EQ(decoded.errors, 0);
        EXPECT_GE(decoded.pictures, count - 1);
        EXPECT_EQ(decoded.width, width);
        EXPECT_EQ(decoded.height, height);
    }
    EXPECT_GT(rates[1], 1.5 * rates[0]) << "the higher bit rate is spent";
}

TEST(XvidEncoder, RefusesPicturesItCannotCode) {
    auto* encoder = new CXvidEncoder(nullptr);
    ComPtr<IBaseFilter> filter;
    encoder->NonDelegatingQueryInterface(IID_IBaseFilter, filter.ReceiveVoid());
    CMediaType odd = PictureType(175, 144, UNITS / 10);
    EXPECT_EQ(encoder->CheckInputType(&odd), VFW_E_TYPE_NOT_ACCEPTED);
    CMediaType huge = PictureType(8192, 144, UNITS / 10);
    EXPECT_EQ(encoder->CheckInputType(&huge), VFW_E_TYPE_NOT_ACCEPTED);
    CMediaType rgb = PictureType(176, 144, UNITS / 10);
    rgb.SetSubtype(&MEDIASUBTYPE_RGB24);
    EXPECT_EQ(encoder->CheckInputType(&rgb), VFW_E_TYPE_NOT_ACCEPTED);
    CMediaType good = PictureType(176, 144, UNITS / 10);
    EXPECT_EQ(encoder->CheckInputType(&good), S_OK);
    // A short buffer is dropped, not read past its end.
    TransformHarness harness(filter.Get(), good, 176 * 144 * 3 / 2);
    ASSERT_EQ(harness.ConnectInput(), S_OK);
    ASSERT_EQ(harness.ConnectOutput(), S_OK);
    ASSERT_EQ(harness.Run(), S_OK);
    const std::vector<std::uint8_t> shortPicture(100, 0);
    EXPECT_EQ(harness.Source().Send(shortPicture.data(), shortPicture.size(), 0, UNITS / 10), S_OK);
    harness.Source().SendEndOfStream();
    EXPECT_TRUE(harness.Sink().TakeSamples().empty());
}

}  // namespace
}  // namespace movanta::outside
