// The PCM converter: its capabilities, the sound it converts, and the graph
// putting it between 8-bit 22050 Hz audio and an input that wants 8 kHz.
#include <gtest/gtest.h>

#include <cmath>

#include "com/comapi.h"
#include "com/server_file.h"
#include "dshow/testing/harness.h"
#include "pcm_converter.h"
#include "testing/testing.h"

namespace movanta::dshow {
namespace {

using movanta::testing::CollectingSink;

// One second of a 440 Hz tone, 8-bit mono at 22050 Hz.
std::vector<std::uint8_t> Tone8() {
    std::vector<std::uint8_t> tone(22050);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<std::uint8_t>(128 + 100 * std::sin(2 * M_PI * 440 * i / 22050.0));
    return tone;
}

// 16-bit samples of every delivered buffer.
std::vector<std::int16_t> Samples16(const std::vector<CollectingSink::Sample>& samples) {
    std::vector<std::int16_t> pcm;
    for (const auto& sample : samples) {
        const auto* data = reinterpret_cast<const std::int16_t*>(sample.data.data());
        pcm.insert(pcm.end(), data, data + sample.data.size() / 2);
    }
    return pcm;
}

void ExpectTone(const std::vector<std::int16_t>& pcm, int rate) {
    EXPECT_NEAR(static_cast<double>(pcm.size()), rate, rate * 0.01);
    int crossings = 0;
    double peak = 0;
    for (size_t i = 1; i < pcm.size(); ++i) {
        crossings += (pcm[i - 1] < 0) != (pcm[i] < 0);
        peak = std::max(peak, std::abs(static_cast<double>(pcm[i])));
    }
    EXPECT_NEAR(crossings / 2.0, 440, 5);           // still 440 Hz
    EXPECT_NEAR(peak, 100 * 256, 100 * 256 * 0.1);  // at the same level
}

ComPtr<IBaseFilter> NewConverter(CPcmConverter** converter) {
    *converter = new CPcmConverter(nullptr);
    ComPtr<IBaseFilter> filter;
    (*converter)->NonDelegatingQueryInterface(IID_IBaseFilter, filter.ReceiveVoid());
    return filter;
}

TEST(PcmConverter, OffersEveryCombinationAndThenOnlyTheOneSet) {
    CPcmConverter* converter = nullptr;
    auto filter = NewConverter(&converter);
    testing::TransformHarness harness(filter.Get(), testing::PcmType(8, 1, 22050), 1 << 16);
    ASSERT_EQ(harness.ConnectInput(), S_OK);
    ComPtr<IAMStreamConfig> config;
    ASSERT_EQ(harness.FilterOutput()->QueryInterface(IID_IAMStreamConfig, config.ReceiveVoid()), S_OK);
    int count = 0;
    int size = 0;
    ASSERT_EQ(config->GetNumberOfCapabilities(&count, &size), S_OK);
    EXPECT_EQ(count, 28);
    EXPECT_EQ(size, static_cast<int>(sizeof(AUDIO_STREAM_CONFIG_CAPS)));
    std::vector<BYTE> caps(size);
    AM_MEDIA_TYPE* wanted = nullptr;
    for (int i = 0; i < count; ++i) {
        AM_MEDIA_TYPE* type = nullptr;
        ASSERT_EQ(config->GetStreamCaps(i, &type, caps.data()), S_OK);
        const auto* format = reinterpret_cast<const WAVEFORMATEX*>(type->pbFormat);
        const auto* limits = reinterpret_cast<const AUDIO_STREAM_CONFIG_CAPS*>(caps.data());
        EXPECT_EQ(limits->MinimumSampleFrequency, format->nSamplesPerSec);
        if (format->nSamplesPerSec == 8000 && format->nChannels == 1 && format->wBitsPerSample == 16) {
            wanted = type;
        } else {
            DeleteMediaType(type);
        }
    }
    AM_MEDIA_TYPE* none = nullptr;
    EXPECT_EQ(config->GetStreamCaps(count, &none, caps.data()), S_FALSE);
    ASSERT_NE(wanted, nullptr);
    ASSERT_EQ(config->SetFormat(wanted), S_OK);
    ASSERT_EQ(harness.ConnectOutput(), S_OK);
    EXPECT_TRUE(harness.Sink().ConnectionType() == CMediaType(*wanted));
    EXPECT_EQ(config->SetFormat(wanted), S_OK);  // the same again while connected

    ASSERT_EQ(harness.Run(), S_OK);
    const auto tone = Tone8();
    for (size_t at = 0; at < tone.size(); at += 2205) {
        const REFERENCE_TIME start = static_cast<REFERENCE_TIME>(at) * 10000000 / 22050;
        harness.Source().Send(tone.data() + at, 2205, start, start + 1000000);
    }
    ExpectTone(Samples16(harness.Sink().Samples()), 8000);
    DeleteMediaType(wanted);
}

TEST(PcmConverter, TheGraphRoutesEightBitAudioThroughItToAnEightKilohertzInput) {
    testing::ScopedRegistry registry;
    for (const char* plugin : {QUARTZ_PATH, ACMWRAP_PATH}) {
        std::string error;
        ASSERT_EQ(RegisterServerFile(plugin, true, error), ServerFileResult::Done) << error;
    }
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(
        CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.ReceiveVoid()),
        S_OK);
    auto* source = new testing::PushSource(testing::PcmType(8, 1, 22050), 1 << 16);
    auto* sink = new CollectingSink(testing::PcmType(16, 1, 8000));
    ComPtr<IBaseFilter> sourceFilter;
    ComPtr<IBaseFilter> sinkFilter;
    source->NonDelegatingQueryInterface(IID_IBaseFilter, sourceFilter.ReceiveVoid());
    sink->NonDelegatingQueryInterface(IID_IBaseFilter, sinkFilter.ReceiveVoid());
    ASSERT_EQ(graph->AddFilter(sourceFilter.Get(), L"Source"), S_OK);
    ASSERT_EQ(graph->AddFilter(sinkFilter.Get(), L"Sink"), S_OK);
    ASSERT_EQ(graph->Connect(source->Output(), sink->Input()), S_OK);
    auto control = graph.As<IMediaControl>(IID_IMediaControl);
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    const auto tone = Tone8();
    for (size_t at = 0; at < tone.size(); at += 2205) {
        const REFERENCE_TIME start = static_cast<REFERENCE_TIME>(at) * 10000000 / 22050;
        ASSERT_EQ(source->Send(tone.data() + at, 2205, start, start + 1000000), S_OK);
    }
    control->Stop();
    ExpectTone(Samples16(sink->Samples()), 8000);
    graph.Reset();
}

}  // namespace
}  // namespace movanta::dshow
