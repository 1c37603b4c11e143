// The AMR decoder filter in a harness, on libamr: types and the allocator,
// the magic at the start of each run, frames split across samples with
// their times, frames without speech, samples of more frames than one
// output buffer holds, and decoder homing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "amr_decoder_filter.h"
#include "dshow/media_subtypes.h"
#include "dshow/testing/harness.h"
#include "testing/media.h"

namespace movanta::amr {
namespace {

using movanta::testing::CollectingSink;
using movanta::testing::TransformHarness;

CMediaType AmrType(const GUID& major = MEDIATYPE_Audio, const GUID& subtype = MEDIASUBTYPE_AMR) {
    CMediaType type(&major);
    type.SetSubtype(&subtype);
    return type;
}

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

struct Decoder {
    Decoder() {
        HRESULT hr = S_OK;
        filter = new CTxAmrNbDecoder(nullptr, &hr, LIBAMR_PATH);
        loaded = hr == S_OK;
        filter->NonDelegatingQueryInterface(IID_IBaseFilter, base.ReceiveVoid());
    }
    CTxAmrNbDecoder* filter = nullptr;
    ComPtr<IBaseFilter> base;
    bool loaded = false;
};

TEST(AmrDecoder, TypesAndTheAllocator) {
    Decoder decoder;
    ASSERT_TRUE(decoder.loaded);
    CMediaType amr = AmrType();
    CMediaType stream = AmrType(MEDIATYPE_Stream, MEDIASUBTYPE_PCM);
    CMediaType pcm = AmrType(MEDIATYPE_Audio, MEDIASUBTYPE_PCM);
    CMediaType video = AmrType(MEDIATYPE_Video, MEDIASUBTYPE_AMR);
    EXPECT_EQ(decoder.filter->CheckInputType(&amr), S_OK);
    EXPECT_EQ(decoder.filter->CheckInputType(&stream), S_OK) << "a stream of any subtype";
    EXPECT_EQ(decoder.filter->CheckInputType(&pcm), S_FALSE);
    EXPECT_EQ(decoder.filter->CheckInputType(&video), S_FALSE);
    EXPECT_EQ(decoder.filter->CheckTransform(&amr, &video), VFW_E_TYPE_NOT_ACCEPTED);

    TransformHarness harness(decoder.base.Get(), amr, 4000);
    ASSERT_EQ(harness.ConnectInput(), S_OK);
    ASSERT_EQ(harness.ConnectOutput(), S_OK);
    const CMediaType out = harness.Sink().ConnectionType();
    EXPECT_EQ(out.subtype, MEDIASUBTYPE_PCM);
    const WAVEFORMATEX* format = WaveFormatOf(out);
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->nSamplesPerSec, 8000u);
    EXPECT_EQ(format->nChannels, 1);
    EXPECT_EQ(format->wBitsPerSample, 16);
    EXPECT_EQ(format->nBlockAlign, 2);
    CMediaType second;
    EXPECT_EQ(decoder.filter->GetMediaType(1, &second), VFW_S_NO_MORE_ITEMS);
}

TEST(AmrDecoder, FramesSplitAcrossSamplesDecodeWithTheirShareOfTheTime) {
    Decoder decoder;
    TransformHarness harness(decoder.base.Get(), AmrType(), 4000);
    ASSERT_EQ(harness.ConnectInput(), S_OK);
    ASSERT_EQ(harness.ConnectOutput(), S_OK);
    ASSERT_EQ(harness.Run(), S_OK);

    // A first sample without the magic is dropped whole.
    const std::vector<std::uint8_t> bare = {0x7C};
    ASSERT_EQ(harness.Source().Send(bare.data(), bare.size(), 0, 200000), S_OK);
    EXPECT_TRUE(harness.Sink().TakeSamples().empty());
    harness.Stop();
    ASSERT_EQ(harness.Run(), S_OK);

    // After a stop the magic is looked for again: magic and 5 bytes of a
    // 13-byte frame of type 0, then its last 8 bytes.
    std::vector<std::uint8_t> first = Bytes("#!AMR\n");
    first.push_back(0x04);
    first.resize(11, 0);
    ASSERT_EQ(harness.Source().Send(first.data(), first.size(), 0, 1100000), S_OK);
    const std::vector<std::uint8_t> rest(8, 0);
    ASSERT_EQ(harness.Source().Send(rest.data(), rest.size(), 1100000, 1900000), S_OK);
    auto samples = harness.Sink().TakeSamples();
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_TRUE(samples[0].data.empty());
    EXPECT_EQ(samples[0].start, 0);
    EXPECT_EQ(samples[0].stop, 600000) << "pulled back by the 5 unfinished bytes of 11";
    EXPECT_EQ(samples[1].data.size(), 320u);
    EXPECT_EQ(samples[1].start, 600000);
    EXPECT_EQ(samples[1].stop, 1900000);

    // A frame without speech still gives 20 ms of sound.
    ASSERT_EQ(harness.Source().Send(bare.data(), bare.size(), 1900000, 2100000), S_OK);
    samples = harness.Sink().TakeSamples();
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_EQ(samples[0].data.size(), 320u);
}

TEST(AmrDecoder, ASampleOfManyFramesGoesOutInBuffersWithTheirTimes) {
    Decoder decoder;
    TransformHarness harness(decoder.base.Get(), AmrType(), 1 << 16);
    ASSERT_EQ(harness.ConnectInput(), S_OK);
    ASSERT_EQ(harness.ConnectOutput(), S_OK);
    ASSERT_EQ(harness.Run(), S_OK);
    // Sixty frames of speech, 1.2 s, in one sample after the magic.
    std::vector<std::uint8_t> stream = Bytes("#!AMR\n");
    for (const auto& unit : testing::AmrFrames(60)) stream.insert(stream.end(), unit.data.begin(), unit.data.end());
    ASSERT_EQ(harness.Source().Send(stream.data(), stream.size(), 0, 12000000), S_OK);
    const auto samples = harness.Sink().TakeSamples();
    ASSERT_EQ(samples.size(), 3u) << "25 + 25 + 10 frames";
    size_t bytes = 0;
    REFERENCE_TIME previous = 0;
    for (const auto& sample : samples) {
        EXPECT_LE(sample.data.size(), static_cast<size_t>(CTxAmrNbDecoder::kOutputBuffer));
        EXPECT_EQ(sample.start, previous) << "each part starts where the last ended";
        previous = sample.stop;
        bytes += sample.data.size();
    }
    EXPECT_EQ(bytes, 60u * 320u);
    EXPECT_EQ(samples.back().stop, 12000000);
    // Speech decodes to sound, not silence.
    int peak = 0;
    const auto* pcm = reinterpret_cast<const std::int16_t*>(samples[1].data.data());
    for (size_t i = 0; i < samples[1].data.size() / 2; ++i) peak = std::max(peak, std::abs(int {pcm[i]}));
    EXPECT_GT(peak, 1000);
}

// The decoder homing frame of the 4.75 kbit/s mode, header byte first.
const std::vector<std::uint8_t> kHoming475 = {0x04, 0xf8, 0x9d, 0x67, 0xf1, 0x16, 0x09,
                                              0x35, 0xbd, 0xe1, 0x99, 0x68, 0x40};

// The homing frame with bits of its last byte flipped.
std::vector<std::uint8_t> Changed(std::uint8_t bits) {
    std::vector<std::uint8_t> frame = kHoming475;
    frame.back() ^= bits;
    return frame;
}

bool AllHomingPattern(const std::vector<std::uint8_t>& pcm) {
    if (pcm.size() != 320) return false;
    for (size_t i = 0; i < pcm.size(); i += 2) {
        if (pcm[i] != 0x08 || pcm[i + 1] != 0x00) return false;
    }
    return true;
}

TEST(AmrDecoder, HomingFramesGiveTheEncoderHomingPatternOnceHome) {
    Decoder decoder;
    TransformHarness harness(decoder.base.Get(), AmrType(), 4000);
    ASSERT_EQ(harness.ConnectInput(), S_OK);
    ASSERT_EQ(harness.ConnectOutput(), S_OK);
    ASSERT_EQ(harness.Run(), S_OK);
    const auto speech = testing::AmrFrames(3);
    std::vector<std::uint8_t> stream = Bytes("#!AMR\n");
    for (const auto& unit : speech) stream.insert(stream.end(), unit.data.begin(), unit.data.end());
    // After speech the first homing frame is decoded and sends the decoder
    // home; the second then gives 160 samples of 0x0008.
    stream.insert(stream.end(), kHoming475.begin(), kHoming475.end());
    stream.insert(stream.end(), kHoming475.begin(), kHoming475.end());
    // Home, only the LPC and first subframe bits are compared: a change in
    // a later subframe still gives the pattern, a change in the first
    // subframe is speech and leaves home.
    const std::vector<std::uint8_t> laterChanged = Changed(0x40);
    const std::vector<std::uint8_t> firstChanged = Changed(0x10);
    for (const auto* frame : {&laterChanged, &firstChanged, &kHoming475})
        stream.insert(stream.end(), frame->begin(), frame->end());
    const size_t frames = speech.size() + 5;
    ASSERT_EQ(harness.Source().Send(stream.data(), stream.size(), 0, 200000 * static_cast<REFERENCE_TIME>(frames)),
              S_OK);
    std::vector<std::uint8_t> pcm;
    for (const auto& sample : harness.Sink().TakeSamples())
        pcm.insert(pcm.end(), sample.data.begin(), sample.data.end());
    ASSERT_EQ(pcm.size(), frames * 320);
    auto frame = [&](size_t index) {
        return std::vector<std::uint8_t>(pcm.begin() + index * 320, pcm.begin() + (index + 1) * 320);
    };
    EXPECT_FALSE(AllHomingPattern(frame(3))) << "a decoder away from home decodes the homing frame";
    EXPECT_TRUE(AllHomingPattern(frame(4)));
    EXPECT_TRUE(AllHomingPattern(frame(5)));
    EXPECT_FALSE(AllHomingPattern(frame(6)));
    EXPECT_FALSE(AllHomingPattern(frame(7))) << "away from home again, the homing frame is decoded";
}

}  // namespace
}  // namespace movanta::amr
