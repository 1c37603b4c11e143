// What the encoder writes: storage-format frames of the sizes their headers
// give, in every mode and under DTX, which an independent decoder turns back
// into the sound that went in.
#include <gtest/gtest.h>

#include <opencore-amrnb/interf_dec.h>

#include "amr_test_support.h"

namespace movanta::amr::test {
namespace {

// The storage-format frames decoded with opencore-amrnb's own decoder.
std::vector<std::int16_t> Decode(const std::vector<std::uint8_t>& stream) {
    std::vector<std::int16_t> pcm;
    void* decoder = Decoder_Interface_init();
    size_t at = 0;
    while (at < stream.size()) {
        const int size = FrameSize(stream[at] >> 3);
        if (size == 0 || at + size > stream.size()) break;
        std::int16_t frame[160] {};
        Decoder_Interface_Decode(decoder, &stream[at], frame, 0);
        pcm.insert(pcm.end(), frame, frame + 160);
        at += size;
    }
    Decoder_Interface_exit(decoder);
    return pcm;
}

// The best normalised correlation of `decoded` against `input` over the
// codec's delay (up to 40 ms), skipping the first 100 ms while it settles.
double Correlation(const std::vector<std::int16_t>& input, const std::vector<std::int16_t>& decoded) {
    double best = 0;
    for (size_t lag = 0; lag <= 320; ++lag) {
        double cross = 0;
        double a = 0;
        double b = 0;
        for (size_t i = 800; i + lag < decoded.size() && i < input.size(); ++i) {
            cross += double(input[i]) * decoded[i + lag];
            a += double(input[i]) * input[i];
            b += double(decoded[i + lag]) * decoded[i + lag];
        }
        if (a > 0 && b > 0) best = std::max(best, cross / std::sqrt(a * b));
    }
    return best;
}

std::vector<std::uint8_t> WithoutMagic(const std::vector<std::uint8_t>& output) {
    if (output.size() < 6) return {};
    return {output.begin() + 6, output.end()};
}

TEST(AmrStream, EveryModeGivesFramesOfItsSizeThatDecodeToTheInput) {
    const auto input = Tone(8000);
    for (int mode = 0; mode <= 7; ++mode) {
        Running running;
        ASSERT_TRUE(running.connected);
        ASSERT_EQ(running.encoder.bitrate->SetBitRateMode(mode), S_OK);
        const auto pcm = Bytes(input);
        for (size_t at = 0; at < pcm.size(); at += 1000) {
            const size_t end = std::min(pcm.size(), at + 1000);
            ASSERT_EQ(running.Send({pcm.begin() + at, pcm.begin() + end}), S_OK);
        }
        const auto stream = WithoutMagic(running.Output());
        std::vector<std::uint8_t> headers;
        ASSERT_TRUE(SplitFrames(stream, &headers)) << "mode " << mode;
        ASSERT_EQ(headers.size(), 50u);
        for (std::uint8_t header : headers) EXPECT_EQ(header >> 3, mode);
        EXPECT_GT(Correlation(input, Decode(stream)), mode >= 4 ? 0.8 : 0.6) << "mode " << mode;
    }
}

TEST(AmrStream, SilenceUnderDtxBecomesSidAndNoDataFrames) {
    Running running(PcmType(), 5 * 16000);
    ASSERT_TRUE(running.connected);
    auto signal = Tone(8000);
    signal.resize(8000 * 4, 0);  // one second of tone, three of silence
    const auto tail = Tone(8000, 8000);
    signal.insert(signal.end(), tail.begin(), tail.end());
    ASSERT_EQ(running.Send(Bytes(signal)), S_OK);
    const auto stream = WithoutMagic(running.Output());
    std::vector<std::uint8_t> headers;
    ASSERT_TRUE(SplitFrames(stream, &headers));
    ASSERT_EQ(headers.size(), 250u);
    int sid = 0;
    int noData = 0;
    for (std::uint8_t header : headers) {
        sid += (header >> 3) == 8;
        noData += (header >> 3) == 15;
    }
    EXPECT_GT(sid, 0);
    EXPECT_GT(noData, 50);
    EXPECT_EQ(headers.back() >> 3, 3);  // speech again once the tone is back
}

TEST(AmrStream, EightBitPcmIsCodedAsTheSameSound) {
    const auto input = Tone(8000);
    std::vector<std::uint8_t> eight(input.size());
    for (size_t i = 0; i < input.size(); ++i) eight[i] = static_cast<std::uint8_t>(128 + input[i] / 256);
    Running running(PcmType(8000, 1, 8));
    ASSERT_TRUE(running.connected);
    ASSERT_EQ(running.Send(eight, 0, 10000000), S_OK);
    const auto samples = running.harness.Sink().Samples();
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_EQ(samples[0].stop, 10000000);
    const auto stream = WithoutMagic(samples[0].data);
    std::vector<std::uint8_t> headers;
    ASSERT_TRUE(SplitFrames(stream, &headers));
    EXPECT_EQ(headers.size(), 50u);
    EXPECT_GT(Correlation(input, Decode(stream)), 0.6);
}

TEST(AmrLibrary, HomingFrameIsRecognisedAndMissingEntriesDoNothing) {
    CTxLibAmr library(LIBAMR_PATH);
    ASSERT_TRUE(library.IsLoaded());
    std::int16_t frame[160];
    std::fill(std::begin(frame), std::end(frame), std::int16_t {8});
    EXPECT_NE(library.encoder_homing_frame_test(frame), 0);
    frame[80] = 9;
    EXPECT_EQ(library.encoder_homing_frame_test(frame), 0);

    CTxLibAmr missing("/nonexistent/libamr.so");
    EXPECT_FALSE(missing.IsLoaded());
    void* state = nullptr;
    missing.Speech_Encode_Frame_init(&state, 1, "encoder");
    EXPECT_EQ(state, nullptr);
    int used = 5;
    EXPECT_EQ(missing.Speech_Encode_Frame(state, 7, frame, nullptr, &used), 0);
    EXPECT_EQ(used, 5);
}

TEST(AmrLibrary, HomingFrameResetsTheEncoderBetweenFrames) {
    // After a homing frame the encoder starts afresh, so the same speech
    // codes to the same bytes as on a new encoder.
    const auto speech = Bytes(Tone(1600));
    std::vector<std::uint8_t> homing(320);
    for (size_t i = 0; i < homing.size(); i += 2) homing[i] = 8;

    Running fresh;
    ASSERT_TRUE(fresh.connected);
    ASSERT_EQ(fresh.Send(speech), S_OK);
    Running homed;
    ASSERT_TRUE(homed.connected);
    ASSERT_EQ(homed.Send(Bytes(Tone(1600, 4000))), S_OK);
    ASSERT_EQ(homed.Send(homing), S_OK);
    ASSERT_EQ(homed.Send(speech), S_OK);
    const auto samples = homed.harness.Sink().Samples();
    ASSERT_EQ(samples.size(), 3u);
    EXPECT_EQ(samples[2].data, WithoutMagic(fresh.harness.Sink().Samples()[0].data));
}

}  // namespace
}  // namespace movanta::amr::test
