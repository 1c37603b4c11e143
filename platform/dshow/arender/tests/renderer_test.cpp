// The audio renderer heard through SDL's disk driver: what it plays is
// written to a file, which the test measures (length, pitch, level).
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include "audio_renderer.h"
#include "com/comapi.h"
#include "com/server_file.h"
#include "dshow/testing/harness.h"
#include "testing/testing.h"

namespace movanta::dshow {
namespace {

struct Heard {
    double seconds = 0;  // from the first sound to the last
    double peak = 0;
    double hertz = 0;
};

Heard Measure(const std::string& path, int rate) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::int16_t> pcm;
    std::int16_t value = 0;
    while (in.read(reinterpret_cast<char*>(&value), sizeof(value))) pcm.push_back(value);
    Heard heard;
    size_t first = pcm.size();
    size_t last = 0;
    for (size_t i = 0; i < pcm.size(); ++i) {
        if (std::abs(pcm[i]) <= 300) continue;
        first = std::min(first, i);
        last = i;
        heard.peak = std::max(heard.peak, std::abs(static_cast<double>(pcm[i])));
    }
    if (first >= last) return heard;
    int crossings = 0;
    for (size_t i = first + 1; i <= last; ++i) crossings += (pcm[i - 1] < 0) != (pcm[i] < 0);
    heard.seconds = static_cast<double>(last - first) / rate;
    heard.hertz = crossings / 2.0 / heard.seconds;
    return heard;
}

class AudioRendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output_.c_str(), 1);
        std::string error;
        ASSERT_EQ(RegisterServerFile(QUARTZ_PATH, true, error), ServerFileResult::Done) << error;
        ASSERT_EQ(
            CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph_.ReceiveVoid()),
            S_OK);
        source_ = new testing::PushSource(testing::PcmType(16, 1, 8000), 4000);
        source_->NonDelegatingQueryInterface(IID_IBaseFilter, sourceFilter_.ReceiveVoid());
        renderer_ = new CAudioRenderer(nullptr);
        renderer_->NonDelegatingQueryInterface(IID_IBaseFilter, rendererFilter_.ReceiveVoid());
        ASSERT_EQ(graph_->AddFilter(sourceFilter_.Get(), L"Source"), S_OK);
        ASSERT_EQ(graph_->AddFilter(rendererFilter_.Get(), L"Audio Renderer"), S_OK);
        ComPtr<IPin> input;
        ASSERT_EQ(rendererFilter_->FindPin(L"Audio Input pin (rendered)", input.Receive()), S_OK);
        ASSERT_EQ(graph_->Connect(source_->Output(), input.Get()), S_OK);
    }
    void TearDown() override {
        graph_.Reset();
        sourceFilter_.Reset();
        rendererFilter_.Reset();
    }
    // Plays one second of a 440 Hz tone at 8000 Hz; how long that took.
    std::chrono::milliseconds PlayTone() {
        auto control = graph_.As<IMediaControl>(IID_IMediaControl);
        auto events = graph_.As<IMediaEventEx>(IID_IMediaEventEx);
        const auto began = std::chrono::steady_clock::now();
        EXPECT_TRUE(SUCCEEDED(control->Run()));
        std::vector<std::int16_t> tone(800);
        for (int chunk = 0; chunk < 10; ++chunk) {
            for (int i = 0; i < 800; ++i)
                tone[i] = static_cast<std::int16_t>(10000 * std::sin(2 * M_PI * 440 * (chunk * 800 + i) / 8000.0));
            const REFERENCE_TIME start = chunk * 1000000LL;
            EXPECT_EQ(source_->Send(reinterpret_cast<const std::uint8_t*>(tone.data()), 1600, start, start + 1000000),
                      S_OK);
        }
        source_->SendEndOfStream();
        LONG code = 0;
        EXPECT_EQ(events->WaitForCompletion(5000, &code), S_OK);
        EXPECT_EQ(code, EC_COMPLETE);
        const auto took =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began);
        control->Stop();
        return took;
    }

    testing::ScopedRegistry registry_;
    testing::TempDir dir_;
    std::string output_ = dir_.Path() + "/heard.raw";
    ComPtr<IGraphBuilder> graph_;
    testing::PushSource* source_ = nullptr;
    ComPtr<IBaseFilter> sourceFilter_;
    CAudioRenderer* renderer_ = nullptr;
    ComPtr<IBaseFilter> rendererFilter_;
};

TEST_F(AudioRendererTest, PlaysTheToneInItsTimeAndIsTheGraphsClock) {
    const auto took = PlayTone();
    EXPECT_GE(took.count(), 900);
    EXPECT_LT(took.count(), 3000);
    const Heard heard = Measure(output_, 8000);
    EXPECT_NEAR(heard.seconds, 1.0, 0.1);
    EXPECT_NEAR(heard.peak, 10000, 200);
    EXPECT_NEAR(heard.hertz, 440, 20);
    ComPtr<IReferenceClock> clock;
    EXPECT_EQ(rendererFilter_->QueryInterface(IID_IReferenceClock, clock.ReceiveVoid()), S_OK);
}

TEST_F(AudioRendererTest, VolumeIsInHundredthsOfADecibel) {
    auto audio = graph_.As<IBasicAudio>(IID_IBasicAudio);
    ASSERT_TRUE(audio);
    EXPECT_EQ(audio->put_Volume(-10001), E_INVALIDARG);
    EXPECT_EQ(audio->put_Volume(1), E_INVALIDARG);
    ASSERT_EQ(audio->put_Volume(-600), S_OK);  // -6 dB: half the amplitude
    LONG volume = 0;
    ASSERT_EQ(audio->get_Volume(&volume), S_OK);
    EXPECT_EQ(volume, -600);
    PlayTone();
    EXPECT_NEAR(Measure(output_, 8000).peak, 10000 * std::pow(10.0, -600 / 2000.0), 200);
}

}  // namespace
}  // namespace movanta::dshow
