// The AMR encoder filter's types, allocator, interface and framing: how PCM
// is cut into frames across samples and how the times follow.
#include <gtest/gtest.h>

#include "amr_test_support.h"
#include "com/comapi.h"
#include "testing/testing.h"

namespace movanta::amr::test {
namespace {

TEST(AmrEncoderTypes, TakesOnly8kHzMonoPcmOfEightOrSixteenBits) {
    Encoder encoder;
    CTxAmrNbEncoder& filter = *encoder.filter;
    const CMediaType sixteen = PcmType();
    const CMediaType eight = PcmType(8000, 1, 8);
    const CMediaType stream = PcmType(8000, 1, 16, MEDIATYPE_Stream);
    EXPECT_EQ(filter.CheckInputType(&sixteen), S_OK);
    EXPECT_EQ(filter.CheckInputType(&eight), S_OK);
    EXPECT_EQ(filter.CheckInputType(&stream), S_OK);
    EXPECT_EQ(filter.CheckInputType(nullptr), E_POINTER);

    const CMediaType wideband = PcmType(16000);
    const CMediaType stereo = PcmType(8000, 2);
    const CMediaType twentyFour = PcmType(8000, 1, 24);
    CMediaType noFormat(&MEDIATYPE_Stream);
    noFormat.SetSubtype(&MEDIASUBTYPE_WAVE);
    CMediaType video = PcmType();
    video.SetType(&MEDIATYPE_Video);
    const CMediaType* const refused[] = {&wideband, &stereo, &twentyFour, &noFormat, &video};
    for (const CMediaType* type : refused) {
        EXPECT_EQ(filter.CheckInputType(type), VFW_E_TYPE_NOT_ACCEPTED);
    }

    CMediaType amr;
    ASSERT_EQ(filter.GetMediaType(0, &amr), S_OK);
    EXPECT_EQ(amr.subtype, MEDIASUBTYPE_AMR);
    EXPECT_EQ(filter.CheckTransform(&sixteen, &amr), S_OK);
    EXPECT_EQ(filter.CheckTransform(&video, &video), VFW_E_TYPE_NOT_ACCEPTED);
    EXPECT_EQ(filter.GetMediaType(1, &amr), VFW_S_NO_MORE_ITEMS);
    EXPECT_EQ(filter.GetMediaType(-1, &amr), E_INVALIDARG);
}

TEST(AmrEncoderTypes, OutputIsAmrWithTheInputsWaveFormat) {
    Running running;
    ASSERT_TRUE(running.connected);
    const CMediaType output = running.harness.Sink().ConnectionType();
    EXPECT_EQ(output.majortype, MEDIATYPE_Audio);
    EXPECT_EQ(output.subtype, MEDIASUBTYPE_AMR);
    EXPECT_EQ(output.formattype, FORMAT_WaveFormatEx);
    ASSERT_EQ(output.FormatLength(), 18u);
    const auto* format = reinterpret_cast<const WAVEFORMATEX*>(output.Format());
    EXPECT_EQ(format->wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(format->nSamplesPerSec, 8000u);
    EXPECT_EQ(format->nChannels, 1);
}

TEST(AmrEncoderInterface, ModesZeroToEightAreTakenOthersRefused) {
    Encoder encoder;
    int mode = -1;
    EXPECT_EQ(encoder.bitrate->GetBitRateMode(&mode), S_OK);
    EXPECT_EQ(mode, 3);
    EXPECT_EQ(encoder.bitrate->GetBitRateMode(nullptr), E_POINTER);
    EXPECT_EQ(encoder.bitrate->SetBitRateMode(9), E_INVALIDARG);
    EXPECT_EQ(encoder.bitrate->SetBitRateMode(-1), E_INVALIDARG);
    EXPECT_EQ(encoder.bitrate->SetBitRateMode(8), S_OK);
    encoder.bitrate->GetBitRateMode(&mode);
    EXPECT_EQ(mode, 8);

    auto pages = encoder.base.As<ISpecifyPropertyPages>(IID_ISpecifyPropertyPages);
    ASSERT_TRUE(pages);
    CAUUID list {};
    ASSERT_EQ(pages->GetPages(&list), S_OK);
    ASSERT_EQ(list.cElems, 1u);
    EXPECT_EQ(list.pElems[0], CLSID_TxAmrModePage);
    CoTaskMemFree(list.pElems);
    EXPECT_EQ(pages->GetPages(nullptr), E_POINTER);
}

TEST(AmrEncoderFraming, MagicOnlyInTheFirstSampleOfTheFiltersLife) {
    Running running;
    ASSERT_TRUE(running.connected);
    ASSERT_EQ(running.Send(Bytes(Tone(160))), S_OK);
    ASSERT_EQ(running.Send(Bytes(Tone(160, 160))), S_OK);
    auto samples = running.harness.Sink().Samples();
    ASSERT_EQ(samples.size(), 2u);
    ASSERT_EQ(samples[0].data.size(), 6u + 18u);
    EXPECT_EQ(std::string(samples[0].data.begin(), samples[0].data.begin() + 6), "#!AMR\n");
    EXPECT_EQ(samples[1].data.size(), 18u);

    ASSERT_EQ(running.harness.Stop(), S_OK);
    ASSERT_EQ(running.harness.Run(), S_OK);
    ASSERT_EQ(running.Send(Bytes(Tone(160, 320))), S_OK);
    samples = running.harness.Sink().Samples();
    ASSERT_EQ(samples.size(), 3u);
    EXPECT_EQ(samples[2].data.size(), 18u);
    EXPECT_NE(samples[2].data[0], '#');
}

TEST(AmrEncoderFraming, FramesAndTimesFollowThePcmAcrossSamples) {
    Running running;
    ASSERT_TRUE(running.connected);
    ASSERT_EQ(running.encoder.bitrate->SetBitRateMode(7), S_OK);
    const auto pcm = Bytes(Tone(2000));
    const std::vector<std::uint8_t> first(pcm.begin(), pcm.begin() + 1000);
    const std::vector<std::uint8_t> second(pcm.begin() + 1000, pcm.begin() + 2000);
    ASSERT_EQ(running.Send(first, 0, 625000), S_OK);
    ASSERT_EQ(running.Send(second, 625000, 1250000), S_OK);
    const auto samples = running.harness.Sink().Samples();
    ASSERT_EQ(samples.size(), 2u);
    // 1,000 bytes: three frames of 320 and 40 bytes waiting.
    ASSERT_EQ(samples[0].data.size(), 6u + 3 * 32);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(samples[0].data[6 + 32 * k] >> 3, 7);
    ASSERT_TRUE(samples[0].timed);
    EXPECT_EQ(samples[0].start, 0);
    EXPECT_EQ(samples[0].stop, 600000);
    // The next sample's first frame begins with the 40 waiting bytes: 280
    // new ones complete it, at 600,000; 2,000 bytes make six frames in all.
    ASSERT_EQ(samples[1].data.size(), 3u * 32);
    EXPECT_EQ(samples[1].start, 600000);
    EXPECT_EQ(samples[1].stop, 1250000 - 625000 * 80 / 1000);
}

TEST(AmrEncoderFraming, ShortSampleGivesAnEmptyOutput) {
    Running running;
    ASSERT_TRUE(running.connected);
    const auto pcm = Bytes(Tone(200));
    ASSERT_EQ(running.Send({pcm.begin(), pcm.begin() + 100}, 0, 62500), S_OK);
    ASSERT_EQ(running.Send({pcm.begin() + 100, pcm.begin() + 200}, 62500, 125000), S_OK);
    ASSERT_EQ(running.Send({pcm.begin() + 200, pcm.end()}, 125000, 250000), S_OK);
    const auto samples = running.harness.Sink().Samples();
    ASSERT_EQ(samples.size(), 3u);
    EXPECT_EQ(samples[0].data.size(), 6u);
    EXPECT_EQ(samples[1].data.size(), 0u);
    EXPECT_EQ(samples[2].data.size(), 18u);
    // The frame began with the first sample.
    EXPECT_EQ(samples[2].start, 0);
}

TEST(AmrEncoderFraming, SixtySecondsInOneSampleGiveEveryFrame) {
    const auto pcm = Bytes(Tone(60 * 8000));
    Running running(PcmType(), static_cast<LONG>(pcm.size()));
    ASSERT_TRUE(running.connected);
    ASSERT_EQ(running.encoder.bitrate->SetBitRateMode(7), S_OK);
    ASSERT_EQ(running.Send(pcm, 0, 60 * 10000000LL), S_OK);
    const auto samples = running.harness.Sink().Samples();
    ASSERT_EQ(samples.size(), 1u);
    std::vector<std::uint8_t> headers;
    ASSERT_TRUE(SplitFrames({samples[0].data.begin() + 6, samples[0].data.end()}, &headers));
    EXPECT_EQ(headers.size(), 3000u);
    EXPECT_EQ(samples[0].stop, 60 * 10000000LL);
}

TEST(AmrEncoderFraming, WithoutLibamrOnlyTheMagicComesOut) {
    testing::TempDir folder;
    Running running(PcmType(), 64000, folder.Path() + "/libamr.so");
    EXPECT_EQ(running.encoder.created, S_FALSE);
    ASSERT_TRUE(running.connected);
    const auto pcm = Bytes(Tone(1600));
    ASSERT_EQ(running.Send(pcm, 0, 2000000), S_OK);
    ASSERT_EQ(running.Send(pcm, 2000000, 4000000), S_OK);
    const auto samples = running.harness.Sink().Samples();
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_EQ(std::string(samples[0].data.begin(), samples[0].data.end()), "#!AMR\n");
    EXPECT_TRUE(samples[1].data.empty());
}

}  // namespace
}  // namespace movanta::amr::test
