// The file source on files libavformat wrote: its pins and types, every
// packet delivered in order, seeking, and files that are not media.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <random>
#include <thread>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "av_media_type.h"
#include "com/server_file.h"
#include "dshow/media_subtypes.h"
#include "dshow/setup.h"
#include "dshow/testing/harness.h"
#include "source_filter.h"
#include "testing/media.h"
#include "testing/testing.h"
#include "win/text.h"

namespace movanta::dshow {
namespace {

using movanta::testing::CollectingSink;

// A source that loaded `path`, each pin connected to a sink of its own.
class SourceRun {
public:
    explicit SourceRun(const std::string& path) {
        filter_ = new CAvSourceFilter(nullptr, CLSID_MovantaFileSource);
        filter_->NonDelegatingQueryInterface(IID_IBaseFilter, base_.ReceiveVoid());
        auto loader = base_.As<IFileSourceFilter>(IID_IFileSourceFilter);
        loaded = loader->Load(Utf8ToWide(path).c_str(), nullptr);
    }
    ~SourceRun() {
        Stop();
        for (int i = 0; i < filter_->GetPinCount(); ++i) filter_->GetPin(i)->Disconnect();
        for (auto* sink : sinks_) {
            sink->Input()->Disconnect();
            sink->NonDelegatingRelease();
        }
    }
    int Pins() { return filter_->GetPinCount(); }
    CMediaType TypeOf(int pin) {
        CMediaType type;
        filter_->GetPin(pin)->GetMediaType(0, &type);
        return type;
    }
    ComPtr<IMediaSeeking> Seeking(int pin) {
        ComPtr<IMediaSeeking> seeking;
        filter_->GetPin(pin)->NonDelegatingQueryInterface(IID_IMediaSeeking, seeking.ReceiveVoid());
        return seeking;
    }
    bool Connect() {
        for (int i = 0; i < Pins(); ++i) {
            auto* sink = new CollectingSink;
            sink->NonDelegatingAddRef();
            sinks_.push_back(sink);
            if (filter_->GetPin(i)->Connect(sink->Input(), nullptr) != S_OK) return false;
        }
        return true;
    }
    // Runs until every pin ended `ends` times in all (or 20 s passed); the
    // samples of each pin.
    std::vector<std::vector<CollectingSink::Sample>> RunToEnd(int ends = 1) {
        for (auto* sink : sinks_) sink->Run(0);
        base_->Run(0);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (
            std::chrono::steady_clock::now() < deadline &&
            !std::all_of(sinks_.begin(), sinks_.end(), [&](CollectingSink* s) { return s->EndsOfStream() >= ends; })) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        std::vector<std::vector<CollectingSink::Sample>> samples;
        for (auto* sink : sinks_) samples.push_back(sink->Samples());
        return samples;
    }
    void Stop() {
        base_->Stop();
        for (auto* sink : sinks_) sink->Stop();
    }
    bool AllEnded() {
        return std::all_of(sinks_.begin(), sinks_.end(), [](CollectingSink* s) { return s->EndsOfStream() > 0; });
    }

    HRESULT loaded = E_FAIL;

private:
    CAvSourceFilter* filter_ = nullptr;
    ComPtr<IBaseFilter> base_;
    std::vector<CollectingSink*> sinks_;
};

class SourceTest : public ::testing::Test {
protected:
    std::string Make(const char* name, const char* format, const std::vector<testing::MuxStream>& streams) {
        const std::string path = dir_.Path() + "/" + name;
        EXPECT_TRUE(testing::MuxFile(path, format, streams)) << name;
        return path;
    }
    std::string Mp4() {
        video_ = testing::EncodeVideo("mpeg4", 50);
        audio_ = testing::EncodeAac(86);
        return Make("clip.mp4", "mp4", {{"mpeg4", &video_}, {"aac", &audio_, 176, 144, 44100, 2, 1024.0 / 44100}});
    }
    testing::TempDir dir_;
    testing::Encoded video_;
    testing::Encoded audio_;
};

TEST_F(SourceTest, OffersTheFirstVideoAndAudioStreamsWithTypesTheDecodersRead) {
    SourceRun run(Mp4());
    ASSERT_EQ(run.loaded, S_OK);
    ASSERT_EQ(run.Pins(), 2);
    const CMediaType video = run.TypeOf(0);
    EXPECT_EQ(video.majortype, MEDIATYPE_Video);
    ASSERT_EQ(video.formattype, FORMAT_VideoInfo);
    const auto* header = reinterpret_cast<const VIDEOINFOHEADER*>(video.Format());
    EXPECT_EQ(header->bmiHeader.biWidth, 176);
    EXPECT_EQ(header->bmiHeader.biHeight, 144);
    EXPECT_EQ(header->AvgTimePerFrame, 400000);
    const CMediaType audio = run.TypeOf(1);
    EXPECT_EQ(audio.majortype, MEDIATYPE_Audio);
    EXPECT_EQ(audio.subtype, FourCCGuid(0xFF));  // AAC's format tag
    const auto* wave = reinterpret_cast<const WAVEFORMATEX*>(audio.Format());
    EXPECT_EQ(wave->nSamplesPerSec, 44100u);
    EXPECT_EQ(wave->nChannels, 2);
    ASSERT_EQ(wave->cbSize, audio_.config.size());

    // What a decoder recovers from the types.
    AVCodecParameters* codec = avcodec_parameters_alloc();
    ASSERT_TRUE(CodecOfMediaType(video, codec));
    EXPECT_EQ(codec->codec_id, AV_CODEC_ID_MPEG4);
    EXPECT_EQ(std::vector<std::uint8_t>(codec->extradata, codec->extradata + codec->extradata_size), video_.config);
    ASSERT_TRUE(CodecOfMediaType(audio, codec));
    EXPECT_EQ(codec->codec_id, AV_CODEC_ID_AAC);
    EXPECT_EQ(codec->ch_layout.nb_channels, 2);
    avcodec_parameters_free(&codec);
    EXPECT_TRUE(IsDecodableCompressedType(video));
}

TEST_F(SourceTest, ThreeGppGivesTheSystemsOwnH263AndAmrTypes) {
    video_ = testing::EncodeVideo("h263", 25);
    testing::Encoded amr;
    amr.units = testing::AmrFrames(50);
    SourceRun run(Make("clip.3gp", "3gp", {{"h263", &video_}, {"amr_nb", &amr, 176, 144, 8000, 1, 0.02}}));
    ASSERT_EQ(run.loaded, S_OK);
    ASSERT_EQ(run.Pins(), 2);
    EXPECT_EQ(run.TypeOf(0).subtype, MEDIASUBTYPE_H263);
    EXPECT_EQ(run.TypeOf(1).subtype, MEDIASUBTYPE_AMR);
    ASSERT_TRUE(run.Connect());
    const auto samples = run.RunToEnd();
    ASSERT_TRUE(run.AllEnded());
    EXPECT_EQ(samples[0].size(), 25u);
    EXPECT_EQ(samples[1].size(), 50u);
}

TEST_F(SourceTest, DeliversEveryPacketInTimeOrderAndEnds) {
    const std::string path = Mp4();
    const auto expected = testing::ReadBack(path);
    SourceRun run(path);
    ASSERT_TRUE(run.Connect());
    const auto samples = run.RunToEnd();
    ASSERT_TRUE(run.AllEnded());
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_EQ(samples[0].size(), expected[0].packets.size());
    EXPECT_EQ(samples[1].size(), expected[1].packets.size());
    for (const auto& stream : samples) {
        ASSERT_FALSE(stream.empty());
        EXPECT_TRUE(stream[0].timed);
        EXPECT_EQ(stream[0].start, 0);
        EXPECT_TRUE(stream[0].sync);
        for (size_t i = 1; i < stream.size(); ++i) {
            EXPECT_GT(stream[i].start, stream[i - 1].start);
            EXPECT_GT(stream[i].stop, stream[i].start);
        }
    }
    EXPECT_EQ(samples[0][0].data, expected[0].packets[0].data);
}

TEST_F(SourceTest, SeekingStartsAtTheKeyFrameBeforeTheTarget) {
    SourceRun run(Mp4());
    auto seeking = run.Seeking(0);
    ASSERT_TRUE(seeking);
    LONGLONG duration = 0;
    ASSERT_EQ(seeking->GetDuration(&duration), S_OK);
    EXPECT_NEAR(static_cast<double>(duration), 2e7, 0.1e7);
    LONGLONG target = 10000000;  // 1 s
    ASSERT_EQ(run.Seeking(0)->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, 0), S_OK);
    ASSERT_EQ(run.Seeking(1)->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, 0), S_OK);
    ASSERT_TRUE(run.Connect());
    const auto samples = run.RunToEnd();
    ASSERT_TRUE(run.AllEnded());
    const auto& video = samples[0];
    ASSERT_FALSE(video.empty());
    EXPECT_TRUE(video[0].sync);
    EXPECT_LE(video[0].start, 0);
    EXPECT_GT(video[0].start, -10000000);
    // Frames from the target on: 25 of the 50 (1 s of 2 at 25 a second).
    const auto fromTarget = std::count_if(video.begin(), video.end(), [](const auto& s) { return s.start >= 0; });
    EXPECT_EQ(fromTarget, 25);
    EXPECT_LT(samples[1].size(), 60u);
    EXPECT_GT(samples[1].size(), 40u);
}

TEST_F(SourceTest, AFileThatMarksNoFirstKeyFrameStillSeeksToItsStart) {
    // Phone files from elsewhere may leave their first picture unmarked.
    video_ = testing::EncodeVideo("mpeg4", 50);
    video_.units[0].key = false;
    SourceRun run(Make("unmarked.mp4", "mp4", {{"mpeg4", &video_}}));
    ASSERT_TRUE(run.Connect());
    ASSERT_EQ(run.RunToEnd()[0].size(), 50u);
    run.Stop();
    LONGLONG start = 0;
    ASSERT_EQ(run.Seeking(0)->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, 0), S_OK);
    const auto samples = run.RunToEnd(2);
    ASSERT_EQ(samples[0].size(), 100u) << "the whole file a second time";
    EXPECT_EQ(samples[0][50].start, 0);
}

TEST_F(SourceTest, AMatroskaFileCutShortIsReadFromItsStartEachRun) {
    // Its index was at its end: no seek finds a position, so the file is
    // read again from its start.
    video_ = testing::EncodeVideo("mpeg4", 50);
    const std::string whole = testing::FileBytes(Make("clip.mkv", "matroska", {{"mpeg4", &video_}}));
    const std::string path = dir_.Path() + "/cut.mkv";
    std::ofstream(path, std::ios::binary) << whole.substr(0, whole.size() * 2 / 3);
    const size_t readable = testing::ReadBack(path).at(0).packets.size();
    ASSERT_GT(readable, 10u);
    SourceRun run(path);
    ASSERT_TRUE(run.Connect());
    ASSERT_EQ(run.RunToEnd()[0].size(), readable);
    run.Stop();
    LONGLONG start = 0;
    ASSERT_EQ(run.Seeking(0)->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, 0), S_OK);
    const auto samples = run.RunToEnd(2);
    ASSERT_EQ(samples[0].size(), 2 * readable);
    EXPECT_EQ(samples[0][readable].start, 0);
    EXPECT_EQ(samples[0][readable].data, samples[0][0].data);
}

TEST_F(SourceTest, FilesThatAreNotMediaAreRefusedAndCutFilesEnd) {
    const auto write = [&](const char* name, const std::string& bytes) {
        const std::string path = dir_.Path() + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    };
    EXPECT_TRUE(FAILED(SourceRun(write("empty.avi", "")).loaded));
    EXPECT_EQ(SourceRun(write("text.avi", "This is not a video file at all.\n")).loaded, VFW_E_INVALID_FILE_FORMAT);
    std::mt19937 random(7);
    std::string noise(4096, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    EXPECT_TRUE(FAILED(SourceRun(write("noise.mp4", noise)).loaded));

    // Half a file, and a file with bytes flipped: read what can be read, then end.
    const std::string whole = testing::FileBytes(Mp4());
    std::string flipped = whole;
    for (size_t i = whole.size() / 3; i < whole.size(); i += 97) flipped[i] = static_cast<char>(~flipped[i]);
    for (const std::string& bytes : {whole.substr(0, whole.size() / 2), flipped}) {
        SourceRun run(write("damaged.mp4", bytes));
        if (FAILED(run.loaded)) continue;  // refused outright is fine too
        ASSERT_TRUE(run.Connect());
        run.RunToEnd();
        EXPECT_TRUE(run.AllEnded());
    }
}

TEST(AvsourcePlugin, OpensEveryExtensionAndTheAsfOnesAsTheAsfReader) {
    testing::ScopedRegistry registry;
    std::string error;
    ASSERT_EQ(RegisterServerFile(AVSOURCE_PATH, true, error), ServerFileResult::Done) << error;
    CLSID clsid {};
    ASSERT_TRUE(SourceFilterForFile(L"/videos/clip.mkv", clsid));
    EXPECT_EQ(clsid, CLSID_MovantaFileSource);
    ASSERT_TRUE(SourceFilterForFile(L"/videos/clip.WMV", clsid));
    EXPECT_EQ(clsid, CLSID_WMAsfReader);
}

}  // namespace
}  // namespace movanta::dshow
