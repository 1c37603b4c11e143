// The audio encoders alone: PCM in buffers of any size in, frames out that
// libavcodec's decoders read, at the bit rates asked for; the AAC frames in
// well-formed ADTS with the rate, channels and version of the stream.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "aac_encoder_filter.h"
#include "dshow/media_subtypes.h"
#include "dshow/testing/harness.h"
#include "mp3_encoder_filter.h"
#include "testing/media.h"
#include "testing/testing.h"

namespace movanta::outside {
namespace {

using movanta::testing::CollectingSink;
using movanta::testing::TransformHarness;

// Two seconds of a tone with some noise, interleaved, in `bits` per sample.
std::vector<std::uint8_t> Sound(int rate, int channels, int bits) {
    std::vector<std::uint8_t> pcm;
    std::uint32_t seed = 7;
    for (int i = 0; i < 2 * rate; ++i) {
        for (int c = 0; c < channels; ++c) {
            seed = seed * 1664525u + 1013904223u;
            const double value =
                0.4 * std::sin(2 * M_PI * (440 + 220 * c) * i / rate) + 0.05 * ((seed >> 16) / 65536.0 - 0.5);
            if (bits == 8) {
                pcm.push_back(static_cast<std::uint8_t>(128 + 127 * value));
            } else {
                const auto sample = static_cast<std::int16_t>(32767 * value);
                pcm.push_back(static_cast<std::uint8_t>(sample & 0xFF));
                pcm.push_back(static_cast<std::uint8_t>((sample >> 8) & 0xFF));
            }
        }
    }
    return pcm;
}

// Sends the sound in buffers of 100 ms and ends the stream; what came out.
std::vector<CollectingSink::Sample> Encode(IBaseFilter* filter, int rate, int channels, int bits) {
    const std::vector<std::uint8_t> pcm = Sound(rate, channels, bits);
    const long buffer = rate / 10 * channels * bits / 8;
    TransformHarness harness(filter, testing::PcmType(bits, channels, rate), buffer);
    EXPECT_EQ(harness.ConnectInput(), S_OK);
    EXPECT_EQ(harness.ConnectOutput(), S_OK);
    EXPECT_EQ(harness.Run(), S_OK);
    for (size_t at = 0, block = 0; at < pcm.size(); at += static_cast<size_t>(buffer), ++block) {
        const size_t size = std::min(pcm.size() - at, static_cast<size_t>(buffer));
        EXPECT_EQ(harness.Source().Send(pcm.data() + at, size, block * 1000000LL, (block + 1) * 1000000LL), S_OK);
    }
    harness.Source().SendEndOfStream();
    return harness.Sink().TakeSamples();
}

template <class Filter, class Interface>
ComPtr<IBaseFilter> New(REFIID iid, ComPtr<Interface>& settings) {
    auto* created = new Filter(nullptr);
    ComPtr<IBaseFilter> filter;
    created->NonDelegatingQueryInterface(IID_IBaseFilter, filter.ReceiveVoid());
    settings = filter.template As<Interface>(iid);
    return filter;
}

// The output written as one file, for libavformat to read back.
std::string WriteOut(const testing::TempDir& dir, const char* name,
                     const std::vector<CollectingSink::Sample>& samples) {
    const std::string path = dir.File(name);
    std::ofstream file(path, std::ios::binary);
    for (const auto& sample : samples)
        file.write(reinterpret_cast<const char*>(sample.data.data()), sample.data.size());
    return path;
}

TEST(AacEncoder, AdtsFramesAtTheBitRateAskedThatDecode) {
    testing::TempDir dir;
    for (const LONG version : {0, 1}) {
        ComPtr<IAacEncoder> settings;
        ComPtr<IBaseFilter> filter = New<CAacEncoder>(IID_IAacEncoder, settings);
        ASSERT_TRUE(settings);
        EXPECT_EQ(settings->SetChannelBitrate(48000), S_OK);
        EXPECT_EQ(settings->SetCutoff(14000), S_OK);
        EXPECT_EQ(settings->SetMpegVersion(version), S_OK);
        EXPECT_EQ(settings->SetMpegVersion(2), E_INVALIDARG);
        const auto samples = Encode(filter.Get(), 48000, 2, 16);
        ASSERT_FALSE(samples.empty());
        EXPECT_EQ(samples[0].start, 0);
        int frames = 0;
        size_t payload = 0;
        for (const auto& sample : samples) {
            size_t at = 0;
            while (at + 7 <= sample.data.size()) {
                const std::uint8_t* h = sample.data.data() + at;
                ASSERT_EQ(h[0], 0xFF);
                ASSERT_EQ(h[1] & 0xF6, 0xF0) << "sync and layer";
                EXPECT_EQ((h[1] >> 3) & 1, version) << "the MPEG version asked for";
                EXPECT_EQ(h[2] >> 6, 1) << "low complexity";
                EXPECT_EQ((h[2] >> 2) & 0xF, 3) << "48000 Hz";
                EXPECT_EQ(((h[2] & 1) << 2) | (h[3] >> 6), 2) << "stereo";
                const size_t length = ((h[3] & 3) << 11) | (h[4] << 3) | (h[5] >> 5);
                ASSERT_GE(length, 7u);
                payload += length - 7;
                at += length;
                ++frames;
            }
            EXPECT_EQ(at, sample.data.size()) << "samples hold whole frames";
        }
        EXPECT_GE(frames, 94) << "two seconds of 1024-sample frames";
        EXPECT_LE(frames, 96);
        EXPECT_NEAR(payload * 8 / 2.0, 96000, 96000 * 0.25) << "bit/s of both channels";
        EXPECT_EQ(testing::DecodeErrors(WriteOut(dir, version == 0 ? "mpeg4.aac" : "mpeg2.aac", samples)), 0);
    }
}

TEST(AacEncoder, TakesEightBitMonoAtRatesAdtsCanName) {
    ComPtr<IAacEncoder> settings;
    ComPtr<IBaseFilter> filter = New<CAacEncoder>(IID_IAacEncoder, settings);
    LONG channels = 0;
    LONG rate = 0;
    LONG bits = 0;
    EXPECT_EQ(settings->GetInputFormat(&channels, &rate, &bits), S_FALSE) << "nothing connected yet";
    auto* encoder = static_cast<CAacEncoder*>(filter.Get());
    CMediaType odd = testing::PcmType(16, 2, 22000);
    EXPECT_EQ(encoder->CheckInputType(&odd), VFW_E_TYPE_NOT_ACCEPTED);
    CMediaType six = testing::PcmType(16, 6, 48000);
    EXPECT_EQ(encoder->CheckInputType(&six), VFW_E_TYPE_NOT_ACCEPTED);
    const auto samples = Encode(filter.Get(), 22050, 1, 8);
    ASSERT_FALSE(samples.empty());
    EXPECT_EQ((samples[0].data[2] >> 2) & 0xF, 7) << "22050 Hz";
    testing::TempDir dir;
    EXPECT_EQ(testing::DecodeErrors(WriteOut(dir, "mono.aac", samples)), 0);
}

TEST(Mp3Encoder, FramesAtTheBitRateAskedThatDecode) {
    testing::TempDir dir;
    ComPtr<IMp3Encoder> settings;
    ComPtr<IBaseFilter> filter = New<CMp3Encoder>(IID_IMp3Encoder, settings);
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->SetBitrate(100), E_INVALIDARG);
    EXPECT_EQ(settings->SetBitrate(64), S_OK);
    const auto samples = Encode(filter.Get(), 22050, 1, 8);
    ASSERT_FALSE(samples.empty());
    size_t bytes = 0;
    for (const auto& sample : samples) bytes += sample.data.size();
    EXPECT_NEAR(bytes * 8 / 2.0, 64000, 64000 * 0.1) << "bit/s";
    const std::string path = WriteOut(dir, "mono.mp3", samples);
    EXPECT_EQ(testing::DecodeErrors(path), 0);
    const auto streams = testing::ReadBack(path);
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].sampleRate, 22050);
    EXPECT_EQ(streams[0].channels, 1);
}

}  // namespace
}  // namespace movanta::outside
