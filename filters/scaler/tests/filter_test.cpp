// The scaler filter in a harness: its settings, which frames pass, and the
// pictures it delivers for each input and output type.
#include <gtest/gtest.h>

#include <cstdlib>

#include "com/comapi.h"
#include "com/server_file.h"
#include "dshow/setup.h"
#include "dshow/testing/harness.h"
#include "resample_filter.h"
#include "testing/testing.h"

namespace movanta::scaler {
namespace {

using testing::TransformHarness;

CMediaType VideoType(const GUID& subtype, int width, int height, const GUID& format = FORMAT_VideoInfo) {
    CMediaType type(&MEDIATYPE_Video);
    type.SetSubtype(&subtype);
    type.SetFormatType(&format);
    const bool two = format == FORMAT_VideoInfo2;
    BYTE* block = type.AllocFormatBuffer(two ? sizeof(VIDEOINFOHEADER2) : sizeof(VIDEOINFOHEADER));
    BITMAPINFOHEADER* bitmap = two ? &reinterpret_cast<VIDEOINFOHEADER2*>(block)->bmiHeader
                                   : &reinterpret_cast<VIDEOINFOHEADER*>(block)->bmiHeader;
    bitmap->biSize = sizeof(BITMAPINFOHEADER);
    bitmap->biWidth = width;
    bitmap->biHeight = height;
    bitmap->biBitCount = subtype == MEDIASUBTYPE_YUY2 ? 16 : subtype == MEDIASUBTYPE_RGB24 ? 24 : 12;
    return type;
}

// A YV12 picture (Y, V, U) of one luma value with a bright rectangle, and
// chroma planes of their own values.
std::vector<std::uint8_t> Yv12(int width, int height, RECT bright = {}, std::uint8_t v = 90, std::uint8_t u = 160) {
    const size_t area = static_cast<size_t>(width) * height;
    std::vector<std::uint8_t> picture(area + 2 * (area / 4), 16);
    for (int y = bright.top; y < bright.bottom; ++y) {
        for (int x = bright.left; x < bright.right; ++x) picture[static_cast<size_t>(y) * width + x] = 235;
    }
    std::fill(picture.begin() + area, picture.begin() + area + area / 4, v);
    std::fill(picture.begin() + area + area / 4, picture.end(), u);
    return picture;
}

struct Scaler {
    Scaler() {
        filter = new CTxResample(nullptr);
        filter->NonDelegatingQueryInterface(IID_IBaseFilter, base.ReceiveVoid());
        control = base.As<ITxResample>(IID_ITxResample);
    }
    CTxResample* filter = nullptr;
    ComPtr<IBaseFilter> base;
    ComPtr<ITxResample> control;
};

// A scaler connected for `input` and running; `output` asks for an output type.
struct Running : Scaler {
    explicit Running(const CMediaType& input, LONG bufferSize = 4 << 20, const CMediaType* output = nullptr,
                     const std::function<void(ITxResample&)>& configure = {})
        : harness(base.Get(), input, bufferSize) {
        if (configure) configure(*control.Get());
        connected = harness.ConnectInput() == S_OK && harness.ConnectOutput(output) == S_OK && harness.Run() == S_OK;
    }
    // A frame at `start` (stop one unit later unless given).
    HRESULT Send(const std::vector<std::uint8_t>& data, REFERENCE_TIME start) { return Send(data, start, start + 1); }
    HRESULT Send(const std::vector<std::uint8_t>& data, REFERENCE_TIME start, REFERENCE_TIME stop) {
        return harness.Source().Send(data.data(), data.size(), start, stop);
    }
    std::vector<REFERENCE_TIME> Starts() {
        std::vector<REFERENCE_TIME> starts;
        for (const auto& sample : harness.Sink().Samples()) starts.push_back(sample.start);
        return starts;
    }
    TransformHarness harness;
    bool connected = false;
};

TEST(ResampleSettings, UnconfiguredKeepsTheSourceSizeAtFortyFramesASecond) {
    Running running(VideoType(MEDIASUBTYPE_YV12, 176, 144));
    ASSERT_TRUE(running.connected);
    int width = 0;
    int height = 0;
    EXPECT_EQ(running.control->GetSrcResulotion(&width, &height), S_OK);
    EXPECT_EQ(width, 176);
    EXPECT_EQ(height, 144);
    EXPECT_EQ(running.control->GetSrcResulotion(nullptr, &height), E_POINTER);
    const CMediaType output = running.harness.Sink().ConnectionType();
    EXPECT_EQ(output.subtype, MEDIASUBTYPE_YV12);
    const auto* header = reinterpret_cast<const VIDEOINFOHEADER*>(output.Format());
    EXPECT_EQ(header->bmiHeader.biWidth, 176);
    EXPECT_EQ(header->bmiHeader.biHeight, 144);
    EXPECT_EQ(header->bmiHeader.biSizeImage, 38016u);
    const auto picture = Yv12(176, 144);
    for (int i = 0; i < 10; ++i) ASSERT_EQ(running.Send(picture, i * 100000), S_OK);
    // Interval 250,000 from 0: due at 0, 250,000, 500,000, 750,000, ...
    EXPECT_EQ(running.Starts(), (std::vector<REFERENCE_TIME> {0, 300000, 500000, 800000}));
    for (const auto& sample : running.harness.Sink().Samples()) EXPECT_EQ(sample.data.size(), 38016u);
}

TEST(ResampleSettings, SizesAndRatesOutsideTheirBoundsAreRefused) {
    Scaler scaler;
    ITxResample& control = *scaler.control.Get();
    EXPECT_EQ(control.SetDstResulotion(7, 144, 1), S_FALSE);
    EXPECT_EQ(control.SetDstResulotion(176, 3073, 1), S_FALSE);
    EXPECT_EQ(control.SetDstResulotion(8, 3072, 1), S_OK);
    EXPECT_EQ(control.SetDstResulotion(3073, 8, 1), S_FALSE);
    EXPECT_EQ(control.SetDstFramerate(0.0f), S_FALSE);
    EXPECT_EQ(control.SetDstFramerate(65.0f), S_FALSE);
    EXPECT_EQ(control.SetDstFramerate(-1.0f), S_FALSE);
    EXPECT_EQ(control.SetDstFramerate(64.9f), S_OK);
    EXPECT_EQ(control.StartConvert(), S_OK);
}

// The frames of a stream every `step` that pass with the rate `fps` set.
std::vector<REFERENCE_TIME> Passing(float fps, REFERENCE_TIME step, int frames, bool thenOff = false) {
    Running running(VideoType(MEDIASUBTYPE_YV12, 16, 16), 4096, nullptr, [&](ITxResample& control) {
        control.SetDstResulotion(16, 16, 1);
        control.SetDstFramerate(fps);
        if (thenOff) control.SetDstFramerate(-1.0f);
    });
    EXPECT_TRUE(running.connected);
    const auto picture = Yv12(16, 16);
    for (int i = 0; i < frames; ++i) running.Send(picture, i * step);
    return running.Starts();
}

TEST(ResampleTiming, TheRateLimitCountsFromZeroByTheInterval) {
    EXPECT_EQ(Passing(15.0f, 333333, 8), (std::vector<REFERENCE_TIME> {0, 666666, 1333332, 1999998}));
    EXPECT_EQ(Passing(25.0f, 100000, 10), (std::vector<REFERENCE_TIME> {0, 400000, 800000}));
    EXPECT_EQ(Passing(12.0f, 100000, 18), (std::vector<REFERENCE_TIME> {0, 900000, 1700000}));
    EXPECT_EQ(Passing(25.0f, 100000, 5, true).size(), 5u);  // a refused rate switches the limit off
}

TEST(ResampleTiming, ThePhonesRatesGiveTheirExactIntervals) {
    // 10^9 / (rate x 100) in 100 ns units, truncated: what the writer and
    // the encoders are told a picture lasts.
    for (const auto& [fps, interval] : {std::pair {12.0f, REFERENCE_TIME {833333}},
                                        std::pair {15.0f, REFERENCE_TIME {666666}},
                                        std::pair {8.0f, REFERENCE_TIME {1250000}}}) {
        Running running(VideoType(MEDIASUBTYPE_YV12, 16, 16), 4096, nullptr, [&](ITxResample& control) {
            control.SetDstResulotion(16, 16, 1);
            control.SetDstFramerate(fps);
        });
        ASSERT_TRUE(running.connected);
        const CMediaType output = running.harness.Sink().ConnectionType();
        EXPECT_EQ(reinterpret_cast<const VIDEOINFOHEADER*>(output.Format())->AvgTimePerFrame, interval) << fps;
    }
}

TEST(ResampleTiming, RepeatedAndNegativeTimesAreDropped) {
    Running running(VideoType(MEDIASUBTYPE_YV12, 16, 16), 4096, nullptr, [](ITxResample& control) {
        control.SetDstResulotion(16, 16, 1);
        control.SetDstFramerate(-1.0f);
    });
    ASSERT_TRUE(running.connected);
    const auto picture = Yv12(16, 16);
    running.Send(picture, -20, -10);
    running.Send(picture, -5, 10);
    running.Send(picture, -5, 10);
    running.Send(picture, 1000);
    running.Send(picture, 1000);
    running.Send(picture, 900);
    running.Send(picture, 2000);
    EXPECT_EQ(running.Starts(), (std::vector<REFERENCE_TIME> {-5, 1000, 2000}));

    // A new run, or a flush, starts the order afresh.
    ASSERT_EQ(running.harness.Stop(), S_OK);
    ASSERT_EQ(running.harness.Run(), S_OK);
    running.Send(picture, 0);
    running.harness.FilterInput()->BeginFlush();
    running.harness.FilterInput()->EndFlush();
    running.Send(picture, 0);
    EXPECT_EQ(running.Starts().size(), 5u);
}

TEST(ResamplePictures, EqualSizesCopyTheBytesWithVBeforeU) {
    Running running(VideoType(MEDIASUBTYPE_YV12, 176, 144));
    ASSERT_TRUE(running.connected);
    auto picture = Yv12(176, 144, {10, 10, 50, 40});
    picture[5] = 77;
    ASSERT_EQ(running.Send(picture, 0), S_OK);
    const auto samples = running.harness.Sink().Samples();
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_EQ(samples[0].data, picture);
    EXPECT_EQ(samples[0].data[176 * 144], 90);  // V first
    EXPECT_TRUE(samples[0].typeAttached);
}

TEST(ResamplePictures, Rgb24OutputIsAnUprightDibOfItsBufferSize) {
    CMediaType rgb = VideoType(MEDIASUBTYPE_RGB24, 176, 144);
    Running running(VideoType(MEDIASUBTYPE_YV12, 176, 144), 4 << 20, &rgb);
    ASSERT_TRUE(running.connected);
    EXPECT_EQ(running.harness.Sink().ConnectionType().subtype, MEDIASUBTYPE_RGB24);
    ASSERT_EQ(running.Send(Yv12(176, 144, {0, 0, 176, 10}, 128, 128), 0), S_OK);
    const auto samples = running.harness.Sink().Samples();
    ASSERT_EQ(samples.size(), 1u);
    ASSERT_EQ(samples[0].data.size(), 76032u);
    EXPECT_GT(samples[0].data[143 * 528], 250);  // the bright top row is the last row in memory
    EXPECT_LT(samples[0].data[0], 5);
}

TEST(ResamplePictures, Rgb24InputEitherWayUpGivesTheSamePicture) {
    std::vector<std::vector<std::uint8_t>> outputs;
    for (const int sign : {1, -1}) {
        Running running(VideoType(MEDIASUBTYPE_RGB24, 32, sign * 16));
        ASSERT_TRUE(running.connected);
        std::vector<std::uint8_t> dib(96 * 16, 0);
        for (int row = 0; row < 4; ++row) {  // white on the top four image rows
            const int memoryRow = sign > 0 ? 15 - row : row;
            std::fill(dib.begin() + memoryRow * 96, dib.begin() + (memoryRow + 1) * 96, 255);
        }
        ASSERT_EQ(running.Send(dib, 0), S_OK);
        const auto samples = running.harness.Sink().Samples();
        ASSERT_EQ(samples.size(), 1u);
        outputs.push_back(samples[0].data);
    }
    EXPECT_EQ(outputs[0], outputs[1]);
    EXPECT_NEAR(outputs[0][0], 235, 1);       // white at the top
    EXPECT_NEAR(outputs[0][15 * 32], 16, 1);  // black at the bottom
}

TEST(ResamplePictures, ScaledPatternKeepsItsGeometryInEveryMode) {
    for (const int mode : {1, 2, 3}) {
        Running running(VideoType(MEDIASUBTYPE_YV12, 640, 480), 4 << 20, nullptr,
                        [&](ITxResample& control) { control.SetDstResulotion(176, 144, mode); });
        ASSERT_TRUE(running.connected);
        ASSERT_EQ(running.Send(Yv12(640, 480, {160, 120, 480, 360}), 0), S_OK);
        const auto samples = running.harness.Sink().Samples();
        ASSERT_EQ(samples.size(), 1u) << mode;
        const auto& out = samples[0].data;
        ASSERT_EQ(out.size(), 38016u);
        const auto luma = [&](int x, int y) { return out[static_cast<size_t>(y) * 176 + x]; };
        // The rectangle covers x 44..131 and y 36..107 of the picture.
        EXPECT_GT(luma(88, 72), 220) << mode;
        EXPECT_GT(luma(46, 38), 200) << mode;
        EXPECT_GT(luma(129, 105), 200) << mode;
        EXPECT_LT(luma(41, 72), 30) << mode;
        EXPECT_LT(luma(134, 72), 30) << mode;
        EXPECT_LT(luma(88, 33), 30) << mode;
        EXPECT_LT(luma(88, 110), 30) << mode;
        EXPECT_NEAR(out[176 * 144 + 10], 90, 2) << mode;  // V plane first
        EXPECT_NEAR(out[176 * 144 + 176 * 144 / 4 + 10], 160, 2) << mode;
    }
}

TEST(ResamplePictures, Yuy2IsScaledToo) {
    Running running(VideoType(MEDIASUBTYPE_YUY2, 64, 48), 4 << 20, nullptr,
                    [](ITxResample& control) { control.SetDstResulotion(32, 24, 1); });
    ASSERT_TRUE(running.connected);
    std::vector<std::uint8_t> yuy2(64 * 2 * 48);
    for (size_t i = 0; i < yuy2.size(); i += 4) yuy2[i] = yuy2[i + 2] = 200, yuy2[i + 1] = 100, yuy2[i + 3] = 150;
    ASSERT_EQ(running.Send(yuy2, 0), S_OK);
    const auto samples = running.harness.Sink().Samples();
    ASSERT_EQ(samples.size(), 1u);
    ASSERT_EQ(samples[0].data.size(), 32u * 24 * 3 / 2);
    EXPECT_NEAR(samples[0].data[32 * 12 + 16], 200, 1);
    EXPECT_NEAR(samples[0].data[32 * 24 + 5], 150, 1);                // V
    EXPECT_NEAR(samples[0].data[32 * 24 + 32 * 24 / 4 + 5], 100, 1);  // U
}

TEST(ResampleBounds, ShortSamplesOddSizesAndModeZeroStayInsideTheBuffers) {
    {
        Running running(VideoType(MEDIASUBTYPE_YV12, 176, 144));
        ASSERT_TRUE(running.connected);
        auto picture = Yv12(176, 144);
        picture.resize(picture.size() - 1);
        EXPECT_EQ(running.Send(picture, 0), S_OK);
        EXPECT_TRUE(running.harness.Sink().Samples().empty());
    }
    {
        // Mode 0 into a larger picture copies what the source has.
        Running running(VideoType(MEDIASUBTYPE_YV12, 176, 144), 4 << 20, nullptr,
                        [](ITxResample& control) { control.SetDstResulotion(352, 288, 0); });
        ASSERT_TRUE(running.connected);
        const auto picture = Yv12(176, 144, {0, 0, 176, 1});
        ASSERT_EQ(running.Send(picture, 0), S_OK);
        const auto samples = running.harness.Sink().Samples();
        ASSERT_EQ(samples.size(), 1u);
        ASSERT_EQ(samples[0].data.size(), 352u * 288 * 3 / 2);
        EXPECT_TRUE(std::equal(picture.begin(), picture.end(), samples[0].data.begin()));
    }
    for (const auto& [width, height, toWidth, toHeight] :
         {std::array {175, 143, 97, 61}, std::array {33, 17, 176, 144}, std::array {64, 48, 9, 9}}) {
        Running running(VideoType(MEDIASUBTYPE_YV12, width, height), 4 << 20, nullptr,
                        [&](ITxResample& control) { control.SetDstResulotion(toWidth, toHeight, 1); });
        ASSERT_TRUE(running.connected);
        const size_t area = static_cast<size_t>(width) * height;
        std::vector<std::uint8_t> picture(area + 2 * (area / 4), 100);
        ASSERT_EQ(running.Send(picture, 0), S_OK);
        const auto samples = running.harness.Sink().Samples();
        ASSERT_EQ(samples.size(), 1u) << width << "x" << height;
        const auto& out = samples[0].data;
        const size_t outArea = static_cast<size_t>(toWidth) * toHeight;
        ASSERT_EQ(out.size(), outArea + 2 * (outArea / 4));
        // Grey everywhere, the odd last column and row included.
        EXPECT_NEAR(out[toWidth - 1], 100, 1);
        EXPECT_NEAR(out[outArea - 1], 100, 1);
    }
}

TEST(ResampleTypes, InputsOutputsAndTheAllocator) {
    Scaler scaler;
    CTxResample& filter = *scaler.filter;
    const CMediaType yv12 = VideoType(MEDIASUBTYPE_YV12, 176, 144);
    const CMediaType yuy2Two = VideoType(MEDIASUBTYPE_YUY2, 176, 144, FORMAT_VideoInfo2);
    const CMediaType rgb = VideoType(MEDIASUBTYPE_RGB24, 176, 144);
    const CMediaType rgbTwo = VideoType(MEDIASUBTYPE_RGB24, 176, 144, FORMAT_VideoInfo2);
    const CMediaType rgb32 = VideoType(MEDIASUBTYPE_RGB32, 176, 144);
    CMediaType wave(&MEDIATYPE_Audio);
    wave.SetFormatType(&FORMAT_WaveFormatEx);
    EXPECT_EQ(filter.CheckInputType(nullptr), E_POINTER);
    EXPECT_EQ(filter.CheckInputType(&yv12), S_OK);
    EXPECT_EQ(filter.CheckInputType(&yuy2Two), S_OK);
    EXPECT_EQ(filter.CheckInputType(&rgb), S_OK);
    EXPECT_EQ(filter.CheckInputType(&rgbTwo), E_FAIL);
    EXPECT_EQ(filter.CheckInputType(&rgb32), E_FAIL);
    EXPECT_EQ(filter.CheckInputType(&wave), E_INVALIDARG);
    EXPECT_EQ(filter.CheckTransform(&yv12, &rgb), S_OK);
    EXPECT_EQ(filter.CheckTransform(&yv12, &yuy2Two), E_FAIL);
    CMediaType type;
    EXPECT_EQ(filter.GetMediaType(0, &type), E_UNEXPECTED);

    TransformHarness harness(scaler.base.Get(), yv12, 1 << 20);
    ASSERT_EQ(harness.ConnectInput(), S_OK);
    EXPECT_EQ(filter.GetMediaType(-1, &type), E_INVALIDARG);
    EXPECT_EQ(filter.GetMediaType(2, &type), VFW_S_NO_MORE_ITEMS);
    ASSERT_EQ(filter.GetMediaType(1, &type), S_OK);
    EXPECT_EQ(type.subtype, MEDIASUBTYPE_RGB24);
    EXPECT_EQ(type.GetSampleSize(), 76032u);
}

TEST(ScalefiltPlugin, RegistersTheFilter) {
    testing::ScopedRegistry registry;
    std::string error;
    ASSERT_EQ(RegisterServerFile(SCALEFILT_PATH, true, error), ServerFileResult::Done) << error;
    const auto filters = dshow::RegisteredFilters();
    ASSERT_EQ(filters.size(), 1u);
    EXPECT_EQ(filters[0].name, L"TRX Resample filter");
    EXPECT_EQ(filters[0].merit, MERIT_DO_NOT_USE);
    ASSERT_EQ(filters[0].pins.size(), 2u);
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(CoCreateInstance(CLSID_TxResample, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.ReceiveVoid()),
              S_OK);
    EXPECT_TRUE(filter.As<ITxResample>(IID_ITxResample));
}

}  // namespace
}  // namespace movanta::scaler
