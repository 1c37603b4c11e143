// The H.263 encoder filter in a harness: types, allocator, interface and
// pictures that libavcodec's decoder reads back.
#include <gtest/gtest.h>

#include <cmath>

#include "dshow/testing/harness.h"
#include "h263_encoder_filter.h"
#include "testing/media.h"

namespace {

using movanta::testing::TransformHarness;
using movanta::videoenc::CTxFFMpegEnc;

CMediaType VideoType(const GUID& subtype, int width, int height, REFERENCE_TIME frameTime = 0,
                     const GUID& format = FORMAT_VideoInfo) {
    CMediaType type(&MEDIATYPE_Video);
    type.SetSubtype(&subtype);
    type.SetFormatType(&format);
    const ULONG size = format == FORMAT_VideoInfo2 ? sizeof(VIDEOINFOHEADER2) : sizeof(VIDEOINFOHEADER);
    BYTE* block = type.AllocFormatBuffer(size);
    BITMAPINFOHEADER* bitmap = format == FORMAT_VideoInfo2 ? &reinterpret_cast<VIDEOINFOHEADER2*>(block)->bmiHeader
                                                           : &reinterpret_cast<VIDEOINFOHEADER*>(block)->bmiHeader;
    if (format == FORMAT_VideoInfo) reinterpret_cast<VIDEOINFOHEADER*>(block)->AvgTimePerFrame = frameTime;
    bitmap->biSize = sizeof(BITMAPINFOHEADER);
    bitmap->biWidth = width;
    bitmap->biHeight = height;
    bitmap->biBitCount = subtype == MEDIASUBTYPE_YUY2 ? 16 : subtype == MEDIASUBTYPE_RGB24 ? 24 : 12;
    bitmap->biSizeImage = static_cast<DWORD>(width * height * bitmap->biBitCount / 8);
    type.SetSampleSize(bitmap->biSizeImage);
    return type;
}

// A moving test picture: a gradient that slides with the frame number.
std::vector<std::uint8_t> MovingYv12(int width, int height, int frame) {
    std::vector<std::uint8_t> picture(static_cast<size_t>(width) * height * 3 / 2);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture[y * width + x] =
                static_cast<std::uint8_t>(x * 2 + y + frame * 4 + ((x / 8 + y / 8 + frame) % 2) * 40);
        }
    }
    std::fill(picture.begin() + width * height, picture.end(), static_cast<std::uint8_t>(128 + frame % 32));
    return picture;
}

ComPtr<IBaseFilter> NewEncoder(CTxFFMpegEnc** filter = nullptr) {
    HRESULT hr = S_OK;
    auto* created = static_cast<CTxFFMpegEnc*>(CTxFFMpegEnc::CreateInstance(nullptr, &hr));
    if (filter != nullptr) *filter = created;
    ComPtr<IBaseFilter> result;
    created->NonDelegatingQueryInterface(IID_IBaseFilter, result.ReceiveVoid());
    return result;
}

// Decodes each output with libavcodec; the decoded sizes.
std::vector<std::pair<int, int>> Decode(const std::vector<movanta::testing::CollectingSink::Sample>& samples) {
    movanta::testing::PictureDecoder decoder("h263");
    std::vector<std::pair<int, int>> sizes;
    for (const auto& sample : samples) {
        const auto picture = decoder.Decode(sample.data);
        sizes.emplace_back(picture.width, picture.height);
    }
    return sizes;
}

TEST(EncoderTest, EveryFrameGivesOneDecodablePictureWithItsTimes) {
    const std::pair<std::pair<int, int>, std::pair<int, int>> cases[] = {
        {{176, 144}, {176, 144}}, {{128, 96}, {128, 96}}, {{320, 240}, {352, 288}}, {{160, 120}, {176, 144}}};
    for (const auto& [input, encoded] : cases) {
        CTxFFMpegEnc* filter = nullptr;
        ComPtr<IBaseFilter> encoder = NewEncoder(&filter);
        const auto [width, height] = input;
        TransformHarness harness(encoder.Get(), VideoType(MEDIASUBTYPE_YV12, width, height), width * height * 2);
        ASSERT_EQ(harness.ConnectInput(), S_OK);
        ASSERT_EQ(harness.ConnectOutput(), S_OK);
        ASSERT_EQ(harness.Run(), S_OK);
        for (int i = 0; i < 12; ++i) {
            const auto picture = MovingYv12(width, height, i);
            ASSERT_EQ(harness.Source().Send(picture.data(), picture.size(), i * 833333, (i + 1) * 833333), S_OK);
        }
        const auto samples = harness.Sink().Samples();
        ASSERT_EQ(samples.size(), 12u);
        for (size_t i = 0; i < samples.size(); ++i) {
            EXPECT_TRUE(samples[i].timed);
            EXPECT_EQ(samples[i].start, static_cast<REFERENCE_TIME>(i) * 833333);
            EXPECT_EQ(samples[i].stop, static_cast<REFERENCE_TIME>(i + 1) * 833333);
            EXPECT_TRUE(samples[i].typeAttached);
        }
        for (const auto& size : Decode(samples)) EXPECT_EQ(size, encoded) << width << "x" << height;
        const CMediaType output = harness.Sink().ConnectionType();
        const auto* header = reinterpret_cast<const VIDEOINFOHEADER*>(output.Format());
        EXPECT_EQ(header->bmiHeader.biWidth, encoded.first);
        EXPECT_EQ(header->bmiHeader.biCompression, 0x33363248u);
    }
}

TEST(EncoderTest, OnlyYv12AndYuy2InAVideoInfoAreTaken) {
    CTxFFMpegEnc* filter = nullptr;
    ComPtr<IBaseFilter> encoder = NewEncoder(&filter);
    const CMediaType rgb = VideoType(MEDIASUBTYPE_RGB24, 176, 144);
    const CMediaType two = VideoType(MEDIASUBTYPE_YV12, 176, 144, 0, FORMAT_VideoInfo2);
    const CMediaType yuy2 = VideoType(MEDIASUBTYPE_YUY2, 176, 144);
    CMediaType h263(&MEDIATYPE_Video);
    h263.SetSubtype(&MEDIASUBTYPE_H263);
    h263.SetFormatType(&FORMAT_VideoInfo);
    EXPECT_EQ(filter->CheckInputType(&rgb), E_FAIL);
    EXPECT_EQ(filter->CheckInputType(&two), E_INVALIDARG);
    EXPECT_EQ(filter->CheckInputType(nullptr), E_POINTER);
    EXPECT_EQ(filter->CheckInputType(&yuy2), S_OK);
    EXPECT_EQ(filter->CheckTransform(&rgb, &h263), E_FAIL);
    EXPECT_EQ(filter->CheckTransform(&yuy2, &h263), S_OK);
    EXPECT_EQ(filter->CheckTransform(&yuy2, &yuy2), E_FAIL);
}

TEST(EncoderTest, TheInterfaceAndTheAllocatorForQcif) {
    CTxFFMpegEnc* filter = nullptr;
    ComPtr<IBaseFilter> encoder = NewEncoder(&filter);
    auto control = encoder.As<ITxFFMpegEnc>(IID_ITxFFMpegEnc);
    ASSERT_TRUE(control);
    int width = -1;
    int height = -1;
    EXPECT_EQ(control->GetInputSize(&width, &height), S_FALSE);
    EXPECT_EQ(width, -1);
    int rate = 0;
    control->GetBitrate(&rate);
    EXPECT_EQ(rate, 128000);

    TransformHarness harness(encoder.Get(), VideoType(MEDIASUBTYPE_YV12, 176, 144), 176 * 144 * 2);
    ASSERT_EQ(harness.ConnectInput(), S_OK);
    EXPECT_EQ(control->GetInputSize(&width, &height), S_OK);
    EXPECT_EQ(width, 176);
    EXPECT_EQ(height, 144);
    ASSERT_EQ(harness.ConnectOutput(), S_OK);
    ComPtr<IMemInputPin> sinkInput;
    harness.Sink().Input()->QueryInterface(IID_IMemInputPin, sinkInput.ReceiveVoid());
    ComPtr<IMemAllocator> allocator;
    sinkInput->GetAllocator(allocator.Receive());
    ALLOCATOR_PROPERTIES properties {};
    allocator->GetProperties(&properties);
    EXPECT_EQ(properties.cBuffers, 1);
    // The Part's size (76,032 for QCIF) is raised to the largest picture the
    // encoder can code: 99 macroblocks of 3100 bytes and 10000 more.
    EXPECT_EQ(properties.cbBuffer, 99 * 3100 + 10000);
}

// Bit rate of `seconds` of a moving QCIF picture pushed at `fps`.
double MeasuredBitrate(int requested, int fps, int seconds, ITxFFMpegEnc** control = nullptr) {
    ComPtr<IBaseFilter> encoder = NewEncoder();
    auto tx = encoder.As<ITxFFMpegEnc>(IID_ITxFFMpegEnc);
    tx->SetBitrate(requested);
    TransformHarness harness(encoder.Get(), VideoType(MEDIASUBTYPE_YV12, 176, 144), 176 * 144 * 2);
    harness.ConnectInput();
    harness.ConnectOutput();
    harness.Run();
    const REFERENCE_TIME interval = UNITS / fps;
    for (int i = 0; i < fps * seconds; ++i) {
        const auto picture = MovingYv12(176, 144, i);
        harness.Source().Send(picture.data(), picture.size(), i * interval, (i + 1) * interval);
    }
    size_t bytes = 0;
    for (const auto& sample : harness.Sink().Samples()) bytes += sample.data.size();
    (void)control;
    return bytes * 8.0 / seconds;
}

TEST(EncoderTest, TheRealBitRateFollowsTheFramesThatReallyCome) {
    // The scaler thins streams to 8-12 frames a second; the encoder must
    // still spend the rate it was given, not 12/25 of it.
    for (int requested : {64000, 128000}) {
        const double real = MeasuredBitrate(requested, 12, 10);
        EXPECT_GT(real, requested * 0.5) << "requested " << requested;
        EXPECT_LT(real, requested * 1.6) << "requested " << requested;
    }
}

TEST(EncoderTest, TheSamplesFlagsAreCopied) {
    ComPtr<IBaseFilter> encoder = NewEncoder();
    TransformHarness harness(encoder.Get(), VideoType(MEDIASUBTYPE_YV12, 176, 144, 400000), 176 * 144 * 2);
    ASSERT_EQ(harness.ConnectInput(), S_OK);
    ASSERT_EQ(harness.ConnectOutput(), S_OK);
    ASSERT_EQ(harness.Run(), S_OK);
    const auto picture = MovingYv12(176, 144, 0);
    const struct {
        bool sync, discontinuity, preroll;
    } flags[] = {{true, false, false}, {false, true, false}, {false, false, true}};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(harness.Source().Send(picture.data(), picture.size(), i * 400000, (i + 1) * 400000, flags[i].sync,
                                        flags[i].discontinuity, flags[i].preroll),
                  S_OK);
    }
    const auto samples = harness.Sink().Samples();
    ASSERT_EQ(samples.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(samples[i].sync, flags[i].sync) << i;
        EXPECT_EQ(samples[i].discontinuity, flags[i].discontinuity) << i;
        EXPECT_EQ(samples[i].preroll, flags[i].preroll) << i;
    }
}

TEST(EncoderTest, ANewBitRateTakesEffectAtTheNextStart) {
    ComPtr<IBaseFilter> encoder = NewEncoder();
    auto tx = encoder.As<ITxFFMpegEnc>(IID_ITxFFMpegEnc);
    tx->SetBitrate(32000);
    TransformHarness harness(encoder.Get(), VideoType(MEDIASUBTYPE_YV12, 176, 144), 176 * 144 * 2);
    ASSERT_EQ(harness.ConnectInput(), S_OK);
    ASSERT_EQ(harness.ConnectOutput(), S_OK);
    auto push = [&](int first) {
        size_t bytes = 0;
        const size_t before = harness.Sink().Samples().size();
        for (int i = first; i < first + 50; ++i) {
            const auto picture = MovingYv12(176, 144, i);
            harness.Source().Send(picture.data(), picture.size(), i * 400000, (i + 1) * 400000);
        }
        const auto samples = harness.Sink().Samples();
        for (size_t i = before; i < samples.size(); ++i) bytes += samples[i].data.size();
        return bytes;
    };
    ASSERT_EQ(harness.Run(), S_OK);
    const size_t low = push(0);
    tx->SetBitrate(512000);
    const size_t stillLow = push(50);
    harness.Stop();
    ASSERT_EQ(harness.Run(), S_OK);
    const size_t high = push(100);
    EXPECT_LT(stillLow, low * 2) << "the new rate applied before the next start";
    EXPECT_GT(high, stillLow * 4);
}

}  // namespace
