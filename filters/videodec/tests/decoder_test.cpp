// The H.263 decoder filter in a harness: the types it offers and refuses,
// the allocator, pictures in every layout at the output's stride and
// direction, preroll, and samples larger than its buffers.
#include <gtest/gtest.h>

#include <cstring>

#include "dshow/media_subtypes.h"
#include "dshow/testing/harness.h"
#include "h263_decoder_filter.h"
#include "testing/media.h"

namespace movanta::videodec {
namespace {

using movanta::testing::TransformHarness;

CMediaType VideoType(const GUID& subtype, int width, int height, WORD bits, DWORD compression) {
    CMediaType type;
    type.SetType(&MEDIATYPE_Video);
    type.SetSubtype(&subtype);
    type.SetFormatType(&FORMAT_VideoInfo);
    auto* header = reinterpret_cast<VIDEOINFOHEADER*>(type.AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    std::memset(header, 0, sizeof(VIDEOINFOHEADER));
    header->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header->bmiHeader.biWidth = width;
    header->bmiHeader.biHeight = height;
    header->bmiHeader.biPlanes = 1;
    header->bmiHeader.biBitCount = bits;
    header->bmiHeader.biCompression = compression;
    header->bmiHeader.biSizeImage = DibSize(width, std::abs(height), bits);
    return type;
}

CMediaType H263(int width = 176, int height = 144) {
    return VideoType(MEDIASUBTYPE_H263, width, height, 24, MakeFourCC('H', '2', '6', '3'));
}

ComPtr<IBaseFilter> NewDecoder(CTxFFMpegDec** created) {
    HRESULT hr = S_OK;
    *created = static_cast<CTxFFMpegDec*>(CTxFFMpegDec::CreateInstance(nullptr, &hr));
    ComPtr<IBaseFilter> filter;
    (*created)->NonDelegatingQueryInterface(IID_IBaseFilter, filter.ReceiveVoid());
    return filter;
}

const testing::Encoded& Pictures() {
    static const testing::Encoded pictures = testing::EncodeVideo("h263", 12);
    return pictures;
}

TEST(H263Decoder, OffersThreeLayoutsAndOneLargeBuffer) {
    CTxFFMpegDec* decoder = nullptr;
    ComPtr<IBaseFilter> filter = NewDecoder(&decoder);
    CMediaType mpeg4 = VideoType(MEDIASUBTYPE_XVID, 176, 144, 12, MakeFourCC('X', 'V', 'I', 'D'));
    EXPECT_EQ(decoder->CheckInputType(&mpeg4), E_FAIL);
    auto settings = filter.As<ITxFFMpegDec>(IID_ITxFFMpegDec);
    int width = 0;
    int height = 0;
    EXPECT_EQ(settings->GetInputSize(&width, &height), S_FALSE) << "not connected";
    TransformHarness harness(filter.Get(), H263(), 100000);
    ASSERT_EQ(harness.ConnectInput(), S_OK);
    EXPECT_EQ(settings->GetInputSize(&width, &height), S_OK);
    EXPECT_EQ(width, 176);
    const std::pair<GUID, ULONG> expected[] = {
        {MEDIASUBTYPE_YV12, 38016}, {MEDIASUBTYPE_YUY2, 50688}, {MEDIASUBTYPE_RGB24, 76032}};
    for (int position = 0; position < 3; ++position) {
        CMediaType type;
        ASSERT_EQ(decoder->GetMediaType(position, &type), S_OK);
        EXPECT_EQ(type.subtype, expected[position].first);
        EXPECT_EQ(VideoInfoOf(type)->bmiHeader.biSizeImage, expected[position].second);
    }
    CMediaType none;
    EXPECT_EQ(decoder->GetMediaType(3, &none), VFW_S_NO_MORE_ITEMS);
    ASSERT_EQ(harness.ConnectOutput(), S_OK);
    ALLOCATOR_PROPERTIES properties {};
    auto* output = decoder->OutputPin();
    ASSERT_NE(output->Allocator(), nullptr);
    output->Allocator()->GetProperties(&properties);
    EXPECT_EQ(properties.cBuffers, 1);
    EXPECT_EQ(properties.cbBuffer, 101376);
}

// Decodes the pictures into an output of `type`; what came out.
std::vector<testing::CollectingSink::Sample> Decode(const CMediaType& type, bool prerollFirst = false) {
    CTxFFMpegDec* decoder = nullptr;
    ComPtr<IBaseFilter> filter = NewDecoder(&decoder);
    TransformHarness harness(filter.Get(), H263(), 100000);
    EXPECT_EQ(harness.ConnectInput(), S_OK);
    EXPECT_EQ(harness.ConnectOutput(&type), S_OK);
    EXPECT_EQ(harness.Run(), S_OK);
    for (size_t i = 0; i < Pictures().units.size(); ++i) {
        const auto& data = Pictures().units[i].data;
        if (i == 0 && prerollFirst) {
            harness.Source().Send(data.data(), data.size(), 0, 400000, true, false, true);
        } else {
            harness.Source().Send(data.data(), data.size(), i * 400000LL, (i + 1) * 400000LL);
        }
    }
    return harness.Sink().TakeSamples();
}

TEST(H263Decoder, WritesEveryLayoutAtTheOutputsStrideAndDirection) {
    // YV12 at a stride of 192: the extra columns stay at 127.
    const auto yv12 = Decode(VideoType(MEDIASUBTYPE_YV12, 192, 144, 12, MakeFourCC('Y', 'V', '1', '2')));
    ASSERT_EQ(yv12.size(), Pictures().units.size());
    ASSERT_EQ(yv12[3].data.size(), 192u * 144 * 3 / 2);
    for (int row = 0; row < 144; row += 13) {
        for (int column = 176; column < 192; ++column) EXPECT_EQ(yv12[3].data[row * 192 + column], 127);
    }
    EXPECT_EQ(yv12[3].start, 3 * 400000);

    const auto yuy2 = Decode(VideoType(MEDIASUBTYPE_YUY2, 192, 144, 16, MakeFourCC('Y', 'U', 'Y', '2')));
    ASSERT_FALSE(yuy2.empty());
    EXPECT_EQ(yuy2[0].data.size(), 192u * 144 * 2);
    EXPECT_EQ(yuy2[0].data[10 * 384 + 2 * 180], 127) << "beyond the picture";
    EXPECT_EQ(yuy2[0].data[10 * 384 + 1], yv12[0].data[192 * 144 + 192 * 144 / 4 + 5 * 96]) << "Cb of row pair 5";

    // RGB24 bottom-up and top-down hold the same rows, in opposite orders;
    // the columns beyond the picture stay 0.
    const auto up = Decode(VideoType(MEDIASUBTYPE_RGB24, 192, 144, 24, 0));
    const auto down = Decode(VideoType(MEDIASUBTYPE_RGB24, 192, -144, 24, 0));
    ASSERT_FALSE(up.empty());
    ASSERT_FALSE(down.empty());
    const size_t row = 192 * 3;
    ASSERT_EQ(up[2].data.size(), row * 144);
    EXPECT_EQ(std::memcmp(up[2].data.data(), down[2].data.data() + row * 143, row), 0);
    EXPECT_EQ(std::memcmp(up[2].data.data() + row * 143, down[2].data.data(), row), 0);
    for (size_t x = 176 * 3; x < row; ++x) EXPECT_EQ(up[2].data[row * 7 + x], 0);
}

TEST(H263Decoder, APrerollSampleAdvancesTheDecoderWithoutOutput) {
    const auto samples = Decode(VideoType(MEDIASUBTYPE_YV12, 176, 144, 12, MakeFourCC('Y', 'V', '1', '2')), true);
    ASSERT_EQ(samples.size(), Pictures().units.size() - 1);
    EXPECT_EQ(samples[0].start, 400000) << "the second picture, decoded on the first";
}

TEST(H263Decoder, OversizeSamplesAndPicturesStayInsideTheBuffers) {
    CTxFFMpegDec* decoder = nullptr;
    ComPtr<IBaseFilter> filter = NewDecoder(&decoder);
    // The input claims 64x48 (a 12 KB bitstream buffer) but carries QCIF
    // pictures: the samples are larger than the buffer and the pictures
    // larger than the output type.
    TransformHarness harness(filter.Get(), H263(64, 48), 100000);
    ASSERT_EQ(harness.ConnectInput(), S_OK);
    CMediaType small = VideoType(MEDIASUBTYPE_YV12, 64, 48, 12, MakeFourCC('Y', 'V', '1', '2'));
    ASSERT_EQ(harness.ConnectOutput(&small), S_OK);
    ASSERT_EQ(harness.Run(), S_OK);
    std::vector<std::uint8_t> big = Pictures().units[0].data;
    big.resize(20000, 0);
    harness.Source().Send(big.data(), big.size(), 0, 400000);
    for (size_t i = 1; i < Pictures().units.size(); ++i) {
        const auto& data = Pictures().units[i].data;
        harness.Source().Send(data.data(), data.size(), i * 400000LL, (i + 1) * 400000LL);
    }
    const auto samples = harness.Sink().TakeSamples();
    ASSERT_FALSE(samples.empty());
    for (const auto& sample : samples) EXPECT_EQ(sample.data.size(), 64u * 48 * 3 / 2) << "cut to the output type";
}

}  // namespace
}  // namespace movanta::videodec
