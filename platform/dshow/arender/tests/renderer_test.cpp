// The audio renderer heard through SDL's disk driver: what it plays is
// written to a file, which the test measures (length, pitch, level), and
// whose growth shows how far the graph's clock is from the sound heard.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

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
    void SetUp() override { Build(testing::PcmType(16, 1, 8000), 4000); }
    void Build(const CMediaType& type, LONG bufferSize) {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output_.c_str(), 1);
        unsetenv("SDL_DISKAUDIODELAY");
        std::string error;
        ASSERT_EQ(RegisterServerFile(QUARTZ_PATH, true, error), ServerFileResult::Done) << error;
        ASSERT_EQ(
            CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph_.ReceiveVoid()),
            S_OK);
        source_ = new testing::PushSource(type, bufferSize);
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

// A device that takes 1024 frames of 44.1 kHz sound every `delay` ms runs
// slow (24) or fast (23, SDL's own choice); the clock follows it. Every
// tenth of a second the graph's position is compared with the sound the
// device has written. The file grows in steps of the writer's buffer, so
// single readings scatter by tens of milliseconds; the distance is taken
// as the mean of each two seconds. Afterwards the sound is searched for
// gaps.
class AudioClockTest : public AudioRendererTest {
protected:
    static constexpr int kRate = 44100;
    static constexpr int kChunk = kRate / 10;
    void SetUp() override { Build(testing::PcmType(16, 2, kRate), kChunk * 4); }

    struct Drift {
        double worstMs = 0;  // the largest mean distance of two seconds
        int gaps = 0;
    };
    Drift Play(int delayMs, double seconds) {
        setenv("SDL_DISKAUDIODELAY", std::to_string(delayMs).c_str(), 1);
        auto control = graph_.As<IMediaControl>(IID_IMediaControl);
        auto seeking = graph_.As<IMediaSeeking>(IID_IMediaSeeking);
        auto events = graph_.As<IMediaEventEx>(IID_IMediaEventEx);
        EXPECT_TRUE(SUCCEEDED(control->Run()));
        const int chunks = static_cast<int>(seconds * 10);
        std::thread sender([&] {
            std::vector<std::int16_t> tone(kChunk * 2);
            for (int chunk = 0; chunk < chunks; ++chunk) {
                for (int i = 0; i < kChunk; ++i) {
                    const double t = static_cast<double>(chunk * kChunk + i) / kRate;
                    tone[2 * i] = tone[2 * i + 1] = static_cast<std::int16_t>(10000 * std::sin(2 * M_PI * 440 * t));
                }
                const REFERENCE_TIME start = chunk * 1000000LL;
                if (source_->Send(reinterpret_cast<const std::uint8_t*>(tone.data()), tone.size() * 2, start,
                                  start + 1000000) != S_OK)
                    return;
            }
            source_->SendEndOfStream();
        });
        Drift drift;
        // One transfer of the device is written at once: on average half
        // of it has been heard.
        const double halfTransferMs = 1024 * 1000.0 / kRate / 2;
        double sum = 0;
        int readings = 0;
        LONG code = 0;
        while (events->WaitForCompletion(100, &code) != S_OK) {
            LONGLONG position = 0;
            seeking->GetCurrentPosition(&position);
            std::error_code error;
            const auto bytes = std::filesystem::file_size(output_, error);
            if (error || position < UNITS || position > static_cast<LONGLONG>(seconds * UNITS) - UNITS) continue;
            sum += position / 10000.0 - (static_cast<double>(bytes) / (kRate * 4) * 1000 - halfTransferMs);
            if (++readings == 20) {
                drift.worstMs = std::max(drift.worstMs, std::abs(sum / readings));
                sum = 0;
                readings = 0;
            }
        }
        sender.join();
        control->Stop();
        drift.gaps = Gaps();
        return drift;
    }
    // Runs of silence of a millisecond or more inside the tone heard.
    int Gaps() {
        std::ifstream in(output_, std::ios::binary);
        std::vector<std::int16_t> left;
        std::int16_t frame[2];
        while (in.read(reinterpret_cast<char*>(frame), sizeof(frame))) left.push_back(frame[0]);
        size_t first = 0;
        while (first < left.size() && std::abs(left[first]) < 300) ++first;
        size_t last = left.size();
        while (last > first && std::abs(left[last - 1]) < 300) --last;
        int gaps = 0;
        size_t quiet = 0;
        for (size_t i = first; i < last; ++i) {
            quiet = std::abs(left[i]) < 100 ? quiet + 1 : 0;
            if (quiet == kRate / 1000) ++gaps;
        }
        return gaps;
    }
    // Plays for ten seconds, or MOVANTA_PLAYBACK_SECONDS, and expects the
    // clock within 40 ms of the sound and no gap.
    void ExpectFollowed(int delayMs, const char* device) {
        const char* asked = std::getenv("MOVANTA_PLAYBACK_SECONDS");
        const Drift drift = Play(delayMs, asked != nullptr ? std::max(3.0, std::atof(asked)) : 10.0);
        std::printf("%s device: worst distance of the clock from the sound %.1f ms, %d gaps\n", device, drift.worstMs,
                    drift.gaps);
        EXPECT_LT(drift.worstMs, 40);
        EXPECT_EQ(drift.gaps, 0);
    }
};

TEST_F(AudioClockTest, TheClockFollowsASlowDevice) {
    ExpectFollowed(24, "slow");
}

TEST_F(AudioClockTest, TheClockFollowsAFastDevice) {
    ExpectFollowed(23, "fast");
}

}  // namespace
}  // namespace movanta::dshow
