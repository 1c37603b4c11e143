// The decoders alone: compressed units pushed in with the types the file
// source gives, pictures and PCM out.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include "audio_decoder.h"
#include "decode_shortcuts.h"
#include "av_media_type.h"
#include "dshow/media_subtypes.h"
#include "dshow/testing/harness.h"
#include "testing/media.h"
#include "video_decoder.h"

namespace movanta::dshow {
namespace {

using movanta::testing::TransformHarness;

// The type a source gives a stream of these parameters.
CMediaType StreamType(AVMediaType kind, AVCodecID id, const std::vector<std::uint8_t>& config, int width, int height,
                      int rate = 0, int channels = 0) {
    AVCodecParameters* codec = avcodec_parameters_alloc();
    codec->codec_type = kind;
    codec->codec_id = id;
    codec->width = width;
    codec->height = height;
    codec->sample_rate = rate;
    if (channels > 0) av_channel_layout_default(&codec->ch_layout, channels);
    if (!config.empty()) {
        codec->extradata = static_cast<std::uint8_t*>(av_mallocz(config.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        std::copy(config.begin(), config.end(), codec->extradata);
        codec->extradata_size = static_cast<int>(config.size());
    }
    CMediaType type;
    EXPECT_TRUE(MediaTypeOfStream(*codec, AVRational {25, 1}, type));
    avcodec_parameters_free(&codec);
    return type;
}

template <class Filter>
ComPtr<IBaseFilter> New() {
    ComPtr<IBaseFilter> filter;
    (new Filter(nullptr))->NonDelegatingQueryInterface(IID_IBaseFilter, filter.ReceiveVoid());
    return filter;
}

TEST(VideoDecoder, DecodesEveryPictureAsYv12InTimeOrder) {
    for (const char* codecName : {"mpeg4", "h263"}) {
        const auto encoded = testing::EncodeVideo(codecName, 25);
        const AVCodecID id = std::string(codecName) == "h263" ? AV_CODEC_ID_H263 : AV_CODEC_ID_MPEG4;
        const CMediaType input = StreamType(AVMEDIA_TYPE_VIDEO, id, encoded.config, 176, 144);
        auto decoder = New<CAvVideoDecoder>();
        TransformHarness harness(decoder.Get(), input, 1 << 20);
        ASSERT_EQ(harness.ConnectInput(), S_OK);
        ASSERT_EQ(harness.ConnectOutput(), S_OK);
        EXPECT_EQ(harness.Sink().ConnectionType().subtype, MEDIASUBTYPE_YV12);
        ASSERT_EQ(harness.Run(), S_OK);
        for (size_t i = 0; i < encoded.units.size(); ++i) {
            const auto& unit = encoded.units[i];
            ASSERT_EQ(
                harness.Source().Send(unit.data.data(), unit.data.size(), i * 400000LL, (i + 1) * 400000LL, unit.key),
                S_OK);
        }
        harness.Source().SendEndOfStream();
        const auto samples = harness.Sink().Samples();
        ASSERT_EQ(samples.size(), 25u) << codecName;
        for (size_t i = 0; i < samples.size(); ++i) {
            EXPECT_EQ(samples[i].data.size(), 38016u);
            EXPECT_EQ(samples[i].start, static_cast<REFERENCE_TIME>(i) * 400000);
        }
        EXPECT_EQ(harness.Sink().EndsOfStream(), 1);
    }
}

// The pictures the scaler keeps at one every `kept`: the first that starts
// at or after each multiple of it.
std::vector<bool> ScalerKeeps(REFERENCE_TIME frame, REFERENCE_TIME kept, int pictures) {
    std::vector<bool> keeps;
    REFERENCE_TIME due = 0;
    for (int i = 0; i < pictures; ++i) {
        keeps.push_back(i * frame >= due);
        if (keeps.back()) due += kept;
    }
    return keeps;
}

TEST(DecodeShortcuts, WorkIsLeftOutOnlyWhenMuchLessIsKept) {
    const DecodeShortcuts hd = ShortcutsFor(1280, 720, 400000, 176, 144, 833333);
    EXPECT_TRUE(hd.skipLoopFilter);
    EXPECT_TRUE(hd.skipUnreferenced);
    const DecodeShortcuts vga = ShortcutsFor(320, 240, 333333, 176, 144, 400000);  // not half the size nor the rate
    EXPECT_FALSE(vga.skipLoopFilter);
    EXPECT_FALSE(vga.skipUnreferenced);
    const DecodeShortcuts unknown = ShortcutsFor(1280, 720, 0, 0, 0, 0);  // a preview: never told
    EXPECT_FALSE(unknown.skipLoopFilter);
    EXPECT_FALSE(unknown.skipUnreferenced);
}

TEST(DecodeShortcuts, EveryPictureTheScalerKeepsIsDecoded) {
    // 25, 29.97, 30 and 59.94 pictures a second to 12, 15 and 7.5.
    for (const REFERENCE_TIME frame : {400000LL, 333667LL, 333333LL, 166833LL}) {
        for (const REFERENCE_TIME kept : {833333LL, 666666LL, 1333333LL}) {
            SCOPED_TRACE(std::to_string(frame) + " to " + std::to_string(kept));
            const std::vector<bool> keeps = ScalerKeeps(frame, kept, 3000);
            for (int i = 0; i < 3000; ++i) {
                ASSERT_EQ(MayBeKept(i * frame, (i - 1) * frame, kept), keeps[i]) << "picture " << i;
            }
        }
    }
    EXPECT_FALSE(MayBeKept(-400000, -800000, 833333)) << "the run-up to a seek target";
    // Pictures that come less often than they say: each first one after a
    // kept time is still kept.
    EXPECT_TRUE(MayBeKept(1200000, 0, 833333));
    EXPECT_FALSE(MayBeKept(1600000, 1200000, 833333));
    EXPECT_TRUE(MayBeKept(2000000, 1600000, 833333));
}

TEST(VideoDecoder, ToldWhatIsKeptItLeavesOutOnlyUnreferencedPicturesNotKept) {
    const auto encoded = testing::EncodeVideo("mpeg4", 50, 176, 144, testing::Pattern::kStripes, 2);
    const CMediaType input = StreamType(AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_MPEG4, encoded.config, 176, 144);
    const std::vector<bool> keeps = ScalerKeeps(400000, 833333, 50);
    for (const bool told : {false, true}) {
        SCOPED_TRACE(told ? "told" : "not told (a preview)");
        auto decoder = New<CAvVideoDecoder>();
        if (told) decoder.As<IPictureNeeds>(IID_IPictureNeeds)->SetPictureNeeds(176, 144, 833333);
        TransformHarness harness(decoder.Get(), input, 1 << 20);
        ASSERT_EQ(harness.ConnectInput(), S_OK);
        ASSERT_EQ(harness.ConnectOutput(), S_OK);
        ASSERT_EQ(harness.Run(), S_OK);
        for (const auto& unit : encoded.units) {
            harness.Source().Send(unit.data.data(), unit.data.size(), unit.pts * 400000, (unit.pts + 1) * 400000,
                                  unit.key);
        }
        harness.Source().SendEndOfStream();
        std::vector<bool> delivered(50, false);
        for (const auto& sample : harness.Sink().Samples()) delivered.at(static_cast<size_t>(sample.start / 400000)) = true;
        const auto count = std::count(delivered.begin(), delivered.end(), true);
        for (size_t i = 0; i < keeps.size(); ++i) {
            if (keeps[i]) {
                EXPECT_TRUE(delivered[i]) << "picture " << i << " is kept";
            }
        }
        if (told) {
            EXPECT_LT(count, 40) << "about a third of the pictures are unreferenced, half of those not kept";
        } else {
            EXPECT_EQ(count, 50);
        }
    }
}

// A conversion's pictures go downstream on a thread of their own: all of
// them before the end of the stream, none from before a flush after it,
// and a stop with pictures waiting loses them without harm.
TEST(VideoDecoder, ToldWhatIsKeptItDeliversEverythingBeforeTheEndAndNothingStaleAfterAFlush) {
    const auto encoded = testing::EncodeVideo("mpeg4", 40, 176, 144);
    const CMediaType input = StreamType(AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_MPEG4, encoded.config, 176, 144);
    auto send = [&](TransformHarness& harness, size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            const auto& unit = encoded.units[i];
            ASSERT_EQ(harness.Source().Send(unit.data.data(), unit.data.size(), unit.pts * 400000,
                                            (unit.pts + 1) * 400000, unit.key),
                      S_OK);
        }
    };
    auto start = [](TransformHarness& harness) {
        ASSERT_EQ(harness.ConnectInput(), S_OK);
        ASSERT_EQ(harness.ConnectOutput(), S_OK);
        ASSERT_EQ(harness.Run(), S_OK);
    };
    auto newDecoder = [] {
        auto decoder = New<CAvVideoDecoder>();
        decoder.As<IPictureNeeds>(IID_IPictureNeeds)->SetPictureNeeds(88, 72, 0);
        return decoder;
    };
    {
        SCOPED_TRACE("to the end");
        auto decoder = newDecoder();
        TransformHarness harness(decoder.Get(), input, 1 << 20);
        start(harness);
        send(harness, 0, 40);
        harness.Source().SendEndOfStream();
        const auto samples = harness.Sink().Samples();
        ASSERT_EQ(samples.size(), 40u);
        for (size_t i = 0; i < samples.size(); ++i) EXPECT_EQ(samples[i].start, static_cast<REFERENCE_TIME>(i) * 400000);
        EXPECT_EQ(harness.Sink().EndsOfStream(), 1);
    }
    {
        SCOPED_TRACE("a flush");
        auto decoder = newDecoder();
        TransformHarness harness(decoder.Get(), input, 1 << 20);
        start(harness);
        send(harness, 0, 20);
        ASSERT_EQ(harness.FilterInput()->BeginFlush(), S_OK);
        ASSERT_EQ(harness.FilterInput()->EndFlush(), S_OK);
        harness.Sink().TakeSamples();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_TRUE(harness.Sink().Samples().empty()) << "a picture from before the flush came after it";
        send(harness, 20, 40);  // from the key picture at 20
        harness.Source().SendEndOfStream();
        const auto samples = harness.Sink().Samples();
        ASSERT_FALSE(samples.empty());
        EXPECT_EQ(samples.front().start, 20 * 400000);
        EXPECT_EQ(samples.back().start, 39 * 400000);
    }
    {
        SCOPED_TRACE("a stop with pictures waiting");
        auto decoder = newDecoder();
        TransformHarness harness(decoder.Get(), input, 1 << 20);
        start(harness);
        send(harness, 0, 30);
        EXPECT_EQ(harness.Stop(), S_OK);
        EXPECT_EQ(harness.Run(), S_OK) << "and runs again";
        send(harness, 30, 31);
    }
}

TEST(VideoDecoder, RunUpFramesBeforeZeroAreDecodedButNotDelivered) {
    const auto encoded = testing::EncodeVideo("mpeg4", 20);
    const CMediaType input = StreamType(AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_MPEG4, encoded.config, 176, 144);
    auto decoder = New<CAvVideoDecoder>();
    TransformHarness harness(decoder.Get(), input, 1 << 20);
    ASSERT_EQ(harness.ConnectInput(), S_OK);
    CMediaType rgb(&MEDIATYPE_Video);
    rgb.SetSubtype(&MEDIASUBTYPE_RGB24);
    ASSERT_EQ(harness.ConnectOutput(&rgb), S_OK);
    ASSERT_EQ(harness.Run(), S_OK);
    for (size_t i = 0; i < encoded.units.size(); ++i) {
        const REFERENCE_TIME start = (static_cast<REFERENCE_TIME>(i) - 8) * 400000;
        const auto& unit = encoded.units[i];
        harness.Source().Send(unit.data.data(), unit.data.size(), start, start + 400000, unit.key);
    }
    harness.Source().SendEndOfStream();
    const auto samples = harness.Sink().Samples();
    ASSERT_EQ(samples.size(), 12u);
    EXPECT_EQ(samples[0].start, 0);
    EXPECT_EQ(samples[0].data.size(), 76032u);
}

TEST(VideoDecoder, TakesOnlyCompressedVideo) {
    auto decoder = New<CAvVideoDecoder>();
    auto* filter = static_cast<CAvVideoDecoder*>(static_cast<CBaseFilter*>(decoder.Get()));
    CMediaType yv12 = StreamType(AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_MPEG4, {}, 176, 144);
    EXPECT_EQ(filter->CheckInputType(&yv12), S_OK);
    yv12.SetSubtype(&MEDIASUBTYPE_YV12);
    EXPECT_EQ(filter->CheckInputType(&yv12), VFW_E_TYPE_NOT_ACCEPTED);
    const CMediaType aac = StreamType(AVMEDIA_TYPE_AUDIO, AV_CODEC_ID_AAC, {}, 0, 0, 44100, 2);
    EXPECT_EQ(filter->CheckInputType(&aac), VFW_E_TYPE_NOT_ACCEPTED);
}

// Every PCM byte the decoder delivered for `units` pushed at `unitTime` each.
std::vector<movanta::testing::CollectingSink::Sample> DecodeAudio(const CMediaType& input,
                                                                  const std::vector<testing::Unit>& units,
                                                                  REFERENCE_TIME unitTime, CMediaType* output) {
    auto decoder = New<CAvAudioDecoder>();
    TransformHarness harness(decoder.Get(), input, 1 << 16);
    EXPECT_EQ(harness.ConnectInput(), S_OK);
    EXPECT_EQ(harness.ConnectOutput(), S_OK);
    EXPECT_EQ(harness.Run(), S_OK);
    for (size_t i = 0; i < units.size(); ++i) {
        const REFERENCE_TIME start = static_cast<REFERENCE_TIME>(i) * unitTime;
        harness.Source().Send(units[i].data.data(), units[i].data.size(), start, start + unitTime);
    }
    harness.Source().SendEndOfStream();
    *output = harness.Sink().ConnectionType();
    return harness.Sink().Samples();
}

TEST(AudioDecoder, AacAndAmrBecomeSixteenBitPcmAtTheirRates) {
    const auto aac = testing::EncodeAac(43);
    CMediaType output;
    const auto pcm = DecodeAudio(StreamType(AVMEDIA_TYPE_AUDIO, AV_CODEC_ID_AAC, aac.config, 0, 0, 44100, 2), aac.units,
                                 1024 * 10000000LL / 44100, &output);
    const auto* wave = reinterpret_cast<const WAVEFORMATEX*>(output.Format());
    EXPECT_EQ(output.subtype, MEDIASUBTYPE_PCM);
    EXPECT_EQ(wave->nSamplesPerSec, 44100u);
    EXPECT_EQ(wave->nChannels, 2);
    EXPECT_EQ(wave->wBitsPerSample, 16);
    size_t bytes = 0;
    for (size_t i = 0; i < pcm.size(); ++i) {
        bytes += pcm[i].data.size();
        if (i > 0) {
            EXPECT_GE(pcm[i].start, pcm[i - 1].stop - 1);
        }
    }
    // The codec gives its last frame's tail at the end: 43 or 44 frames.
    EXPECT_GE(bytes, 43u * 1024 * 4);
    EXPECT_LE(bytes, 44u * 1024 * 4);

    const auto amr = testing::AmrFrames(50);
    const CMediaType amrType = StreamType(AVMEDIA_TYPE_AUDIO, AV_CODEC_ID_AMR_NB, {}, 0, 0, 8000, 1);
    EXPECT_EQ(amrType.subtype, MEDIASUBTYPE_AMR);
    const auto speech = DecodeAudio(amrType, amr, 200000, &output);
    // Every tenth frame is a no-data frame the codec refuses: its 20 ms come
    // out as silence, so the sound keeps its length (the last one, at the
    // very end, is not followed by anything and leaves nothing).
    bytes = 0;
    for (const auto& sample : speech) bytes += sample.data.size();
    EXPECT_EQ(bytes, 49u * 160 * 2);
    ASSERT_FALSE(speech.empty());
    EXPECT_EQ(speech.back().stop, 49 * 200000);
}

}  // namespace
}  // namespace movanta::dshow
