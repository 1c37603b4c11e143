// The audio effects on a tone: the scope passes it unchanged and reads its
// level; the gargle leaves it alone at 0 and beats it at the rate it is set.
#include <gtest/gtest.h>

#include <cmath>

#include "com/comapi.h"
#include "com/server_file.h"
#include "dshow/setup.h"
#include "dshow/testing/harness.h"
#include "gargle_filter.h"
#include "scope_filter.h"
#include "testing/testing.h"

namespace movanta::outside {
namespace {

// One second of a steady 1 kHz tone at 8000 Hz, mono.
std::vector<std::int16_t> Tone() {
    std::vector<std::int16_t> tone(8000);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<std::int16_t>(12000 * std::sin(2 * M_PI * 1000 * i / 8000.0));
    return tone;
}

// Runs the tone through `filter` in 10 buffers; what came out.
std::vector<std::int16_t> Through(IBaseFilter* filter) {
    testing::TransformHarness harness(filter, testing::PcmType(16, 1, 8000), 1600);
    EXPECT_EQ(harness.ConnectInput(), S_OK);
    EXPECT_EQ(harness.ConnectOutput(), S_OK);
    EXPECT_EQ(harness.Run(), S_OK);
    const auto tone = Tone();
    for (int chunk = 0; chunk < 10; ++chunk) {
        harness.Source().Send(reinterpret_cast<const std::uint8_t*>(tone.data() + chunk * 800), 1600, chunk * 1000000LL,
                              (chunk + 1) * 1000000LL);
    }
    std::vector<std::int16_t> out;
    for (const auto& sample : harness.Sink().Samples()) {
        const auto* data = reinterpret_cast<const std::int16_t*>(sample.data.data());
        out.insert(out.end(), data, data + sample.data.size() / 2);
    }
    return out;
}

// The peak of each 8-sample stretch (one period of the tone).
std::vector<int> Envelope(const std::vector<std::int16_t>& pcm) {
    std::vector<int> envelope;
    for (size_t at = 0; at + 8 <= pcm.size(); at += 8) {
        int peak = 0;
        for (size_t i = at; i < at + 8; ++i) peak = std::max(peak, std::abs(static_cast<int>(pcm[i])));
        envelope.push_back(peak);
    }
    return envelope;
}

template <class Filter>
ComPtr<IBaseFilter> New(Filter** created) {
    *created = new Filter(nullptr);
    ComPtr<IBaseFilter> filter;
    (*created)->NonDelegatingQueryInterface(IID_IBaseFilter, filter.ReceiveVoid());
    return filter;
}

TEST(TrxScope, PassesTheSoundUnchangedAndReadsItsLevel) {
    CTrxScope* scope = nullptr;
    auto filter = New(&scope);
    EXPECT_EQ(Through(filter.Get()), Tone());
    EXPECT_NEAR(scope->Level(), 12000, 10);
}

TEST(AudioGargle, AtZeroTheSoundPassesAndAtTenHertzItBeatsTenTimesASecond) {
    CAudioGargle* gargle = nullptr;
    auto filter = New(&gargle);
    auto effect = filter.As<IAudioEffect>(IID_IAudioEffect);
    ASSERT_TRUE(effect);
    EXPECT_EQ(effect->Arm(), S_OK);
    EXPECT_EQ(Through(filter.Get()), Tone());

    EXPECT_EQ(effect->SetValue(-1), E_INVALIDARG);
    ASSERT_EQ(effect->SetValue(10), S_OK);
    LONG value = 0;
    effect->GetValue(&value);
    EXPECT_EQ(value, 10);
    const auto envelope = Envelope(Through(filter.Get()));
    ASSERT_EQ(envelope.size(), 1000u);
    // Ten troughs near silence, crests near the tone's level, 100 ms apart.
    int troughs = 0;
    for (size_t i = 1; i + 1 < envelope.size(); ++i) {
        troughs += envelope[i] < 1500 && envelope[i] <= envelope[i - 1] && envelope[i] < envelope[i + 1];
    }
    EXPECT_EQ(troughs, 10);
    EXPECT_GT(*std::max_element(envelope.begin(), envelope.end()), 11000);
    LONG level = 0;
    EXPECT_EQ(effect->GetLevel(&level), S_OK);
    EXPECT_GT(level, 0);

    ASSERT_EQ(effect->SetEnabled(FALSE), S_OK);
    EXPECT_EQ(Through(filter.Get()), Tone());
}

TEST(AudiofxPlugin, RegistersBothEffectsForCreationByClass) {
    testing::ScopedRegistry registry;
    std::string error;
    ASSERT_EQ(RegisterServerFile(AUDIOFX_PATH, true, error), ServerFileResult::Done) << error;
    for (const CLSID* clsid : {&CLSID_TrxScope, &CLSID_AudioGargle}) {
        ComPtr<IBaseFilter> filter;
        ASSERT_EQ(CoCreateInstance(*clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.ReceiveVoid()), S_OK);
        ComPtr<IPin> input;
        EXPECT_EQ(filter->FindPin(L"XForm In", input.Receive()), S_OK);
    }
}

}  // namespace
}  // namespace movanta::outside
