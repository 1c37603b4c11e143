// Files of the kinds people have, made here with libavformat, played with
// RenderFile through the file source, the decoders and the renderers: every
// picture and all the sound arrive, seeking starts at the target, and
// damaged files end or are refused without hanging.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>

#include "audio_renderer.h"
#include "com/com_ptr.h"
#include "com/comapi.h"
#include "com/server_file.h"
#include "testing/media.h"
#include "testing/testing.h"
#include "video_renderer.h"
#include "win/text.h"

namespace movanta::dshow {
namespace {

using testing::Encoded;
using testing::MuxStream;

class Playback : public ::testing::Test {
protected:
    static void SetUpTestSuite() { setenv("SDL_AUDIODRIVER", "dummy", 1); }
    void SetUp() override {
        for (const char* plugin : {QUARTZ_PATH, AVSOURCE_PATH, AVDECODE_PATH, ACMWRAP_PATH}) {
            std::string error;
            ASSERT_EQ(RegisterServerFile(plugin, true, error), ServerFileResult::Done) << error;
        }
        ASSERT_EQ(
            CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph_.ReceiveVoid()),
            S_OK);
        video_ = new CVideoRenderer(nullptr);
        audio_ = new CAudioRenderer(nullptr);
        video_->NonDelegatingQueryInterface(IID_IBaseFilter, videoFilter_.ReceiveVoid());
        audio_->NonDelegatingQueryInterface(IID_IBaseFilter, audioFilter_.ReceiveVoid());
        graph_->AddFilter(videoFilter_.Get(), L"Video Renderer");
        graph_->AddFilter(audioFilter_.Get(), L"Audio Renderer");
    }
    void TearDown() override {
        if (auto control = graph_.As<IMediaControl>(IID_IMediaControl)) control->Stop();
        graph_.Reset();
        videoFilter_.Reset();
        audioFilter_.Reset();
    }
    std::string Make(const std::string& name, const char* format, const std::vector<MuxStream>& streams) {
        const std::string path = dir_.Path() + "/" + name;
        EXPECT_TRUE(testing::MuxFile(path, format, streams)) << name;
        return path;
    }
    // Renders and plays the file to its end; the result of RenderFile.
    HRESULT Play(const std::string& path, LONG* code = nullptr) {
        const HRESULT rendered = graph_->RenderFile(Utf8ToWide(path).c_str(), nullptr);
        if (FAILED(rendered)) return rendered;
        auto control = graph_.As<IMediaControl>(IID_IMediaControl);
        auto events = graph_.As<IMediaEventEx>(IID_IMediaEventEx);
        EXPECT_TRUE(SUCCEEDED(control->Run()));
        LONG ended = 0;
        EXPECT_EQ(events->WaitForCompletion(15000, &ended), S_OK) << path;
        if (code != nullptr) *code = ended;
        control->Stop();
        return rendered;
    }
    int Pictures() const { return video_->PicturesShown() + video_->PicturesDropped(); }

    testing::ScopedRegistry registry_;
    testing::TempDir dir_;
    ComPtr<IGraphBuilder> graph_;
    CVideoRenderer* video_ = nullptr;
    CAudioRenderer* audio_ = nullptr;
    ComPtr<IBaseFilter> videoFilter_;
    ComPtr<IBaseFilter> audioFilter_;
};

struct Kind {
    const char* file;
    const char* format;
    const char* videoCodec;  // null: no video
    const char* videoEncoder;
    const char* audioCodec;  // null: no audio
    const char* audioEncoder;
    int rate;
    int channels;
};

TEST_F(Playback, EveryKindOfFilePlaysItsPicturesAndSound) {
    const Kind kinds[] = {
        {"mpeg4-mp3.avi", "avi", "mpeg4", "mpeg4", "mp3", "libmp3lame", 44100, 2},
        {"h264-aac.mp4", "mp4", "h264", "libx264", "aac", "aac", 44100, 2},
        {"mpeg2-mp2.mpg", "mpeg", "mpeg2video", "mpeg2video", "mp2", "mp2", 44100, 2},
        {"wmv2-wma.asf", "asf", "wmv2", "wmv2", "wmav2", "wmav2", 44100, 2},
        {"video-only.avi", "avi", "mpeg4", "mpeg4", nullptr, nullptr, 0, 0},
        {"audio-only.mp4", "mp4", nullptr, nullptr, "aac", "aac", 44100, 2},
    };
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.file);
        TearDown();
        SetUp();
        Encoded video;
        Encoded audio;
        std::vector<MuxStream> streams;
        if (kind.videoCodec != nullptr) {
            video = testing::EncodeVideo(kind.videoEncoder, 25);
            streams.push_back({kind.videoCodec, &video});
        }
        if (kind.audioCodec != nullptr) {
            audio = testing::EncodeAudio(kind.audioEncoder, kind.rate, kind.channels, 40);
            const double frameSeconds =
                1.0 * 44100 / kind.rate * (std::string(kind.audioCodec) == "aac" ? 1024 : 1152) / 44100;
            streams.push_back({kind.audioCodec, &audio, 176, 144, kind.rate, kind.channels,
                               std::string(kind.audioCodec) == "wmav2" ? 2048.0 / kind.rate : frameSeconds});
        }
        LONG code = 0;
        ASSERT_TRUE(SUCCEEDED(Play(Make(kind.file, kind.format, streams), &code)));
        EXPECT_EQ(code, EC_COMPLETE);
        if (kind.videoCodec != nullptr) {
            EXPECT_GE(Pictures(), 24);
            EXPECT_LE(Pictures(), 25);
        }
        if (kind.audioCodec != nullptr) {
            EXPECT_GT(audio_->FramesQueued(), kind.rate / 2);
        }
    }
}

TEST_F(Playback, ThreeGppAndEightBitPcmArrive) {
    const Encoded h263 = testing::EncodeVideo("h263", 25);
    Encoded amr;
    amr.units = testing::AmrFrames(50);
    ASSERT_TRUE(SUCCEEDED(Play(Make("clip.3gp", "3gp", {{"h263", &h263}, {"amr_nb", &amr, 176, 144, 8000, 1, 0.02}}))));
    EXPECT_EQ(Pictures(), 25);
    EXPECT_GE(audio_->FramesQueued(), 49 * 160);

    TearDown();
    SetUp();
    Encoded pcm;
    for (int i = 0; i < 10; ++i)
        pcm.units.push_back({std::vector<std::uint8_t>(2205, static_cast<std::uint8_t>(128 + (i % 2) * 40)), true});
    ASSERT_TRUE(SUCCEEDED(Play(Make("pcm8.avi", "avi", {{"pcm_u8", &pcm, 176, 144, 22050, 1, 0.1}}))));
    EXPECT_EQ(audio_->FramesQueued(), 22050);
}

TEST_F(Playback, SeekingToTheMiddleStartsThere) {
    const Encoded video = testing::EncodeVideo("mpeg4", 50);
    const std::string path = Make("two-seconds.avi", "avi", {{"mpeg4", &video}});
    ASSERT_EQ(graph_->RenderFile(Utf8ToWide(path).c_str(), nullptr), S_OK);
    auto seeking = graph_.As<IMediaSeeking>(IID_IMediaSeeking);
    LONGLONG middle = 10000000;
    ASSERT_TRUE(SUCCEEDED(seeking->SetPositions(&middle, AM_SEEKING_AbsolutePositioning, nullptr, 0)));
    auto control = graph_.As<IMediaControl>(IID_IMediaControl);
    auto events = graph_.As<IMediaEventEx>(IID_IMediaEventEx);
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    LONG code = 0;
    ASSERT_EQ(events->WaitForCompletion(10000, &code), S_OK);
    EXPECT_EQ(Pictures(), 25);  // the second half only
}

TEST_F(Playback, DamagedFilesAreRefusedOrEndWithoutHanging) {
    const Encoded video = testing::EncodeVideo("mpeg4", 25);
    const Encoded audio = testing::EncodeAudio("libmp3lame", 44100, 2, 40);
    const std::string good =
        Make("good.avi", "avi", {{"mpeg4", &video}, {"mp3", &audio, 176, 144, 44100, 2, 1152.0 / 44100}});
    const std::string bytes = testing::FileBytes(good);
    std::string flipped = bytes;
    for (size_t i = 2048; i < flipped.size(); i += 61) flipped[i] = static_cast<char>(~flipped[i]);
    const std::pair<const char*, std::string> damaged[] = {
        {"empty.avi", ""},
        {"half.avi", bytes.substr(0, bytes.size() / 2)},
        {"flipped.avi", flipped},
        {"text.avi", "Dear user, this is a letter, not a film.\n"},
    };
    for (const auto& [name, contents] : damaged) {
        SCOPED_TRACE(name);
        TearDown();
        SetUp();
        const std::string path = dir_.Path() + "/" + name;
        std::ofstream(path, std::ios::binary) << contents;
        const auto began = std::chrono::steady_clock::now();
        const HRESULT hr = graph_->RenderFile(Utf8ToWide(path).c_str(), nullptr);
        if (FAILED(hr)) {
            EXPECT_EQ((static_cast<std::uint32_t>(hr) >> 16) & 0x1FFF, 4u) << std::hex << hr;  // a VFW_E_ code
            continue;
        }
        auto control = graph_.As<IMediaControl>(IID_IMediaControl);
        auto events = graph_.As<IMediaEventEx>(IID_IMediaEventEx);
        control->Run();
        LONG code = 0;
        EXPECT_EQ(events->WaitForCompletion(8000, &code), S_OK);
        EXPECT_TRUE(code == EC_COMPLETE || code == EC_ERRORABORT) << code;
        control->Stop();
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(10));
    }
}

}  // namespace
}  // namespace movanta::dshow
