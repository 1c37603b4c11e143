// Previews through the engine's exports with every plug-in of a real
// installation registered, in headless owner and video windows: the
// messages of an open and of the commands, where the video is placed, the
// volume, seeking, the end of the media, and closing while playing.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <utility>

#include "all_plugins.h"
#include "dshow/uuids.h"
#include "engine/graph_steps.h"
#include "engine/preview_job.h"
#include "engine/video_placement.h"
#include "owner_fixture.h"
#include "testing/damage.h"
#include "testing/media.h"

namespace movanta::engine {
namespace {

using movanta::testing::Encoded;
using movanta::testing::MuxStream;

constexpr UINT kWmDisplayChange = 0x007E;

struct Rect {
    LONG left, top, width, height;
    bool operator==(const Rect&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rect& rect) {
    return out << rect.width << "x" << rect.height << " at (" << rect.left << ", " << rect.top << ")";
}

class Preview : public enginetest::OwnerFixture {
protected:
    // The sound goes to a file, written at the device's pace, where a test
    // can hear what the last run of the audio renderer played.
    static void SetUpTestSuite() {
        heard_ = new testing::TempDir;
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", heard_->File("heard.raw").c_str(), 1);
    }
    static void TearDownTestSuite() {
        delete heard_;
        heard_ = nullptr;
    }
    // The 16-bit mono sound played last: its loudest sample and how long it
    // sounded (from the first to the last sample above a whisper).
    static std::pair<int, double> Heard(int rate) {
        std::ifstream in(heard_->File("heard.raw"), std::ios::binary);
        std::vector<std::int16_t> pcm;
        std::int16_t value = 0;
        while (in.read(reinterpret_cast<char*>(&value), sizeof(value))) pcm.push_back(value);
        int peak = 0;
        size_t first = pcm.size();
        size_t last = 0;
        for (size_t i = 0; i < pcm.size(); ++i) {
            if (std::abs(pcm[i]) < 300) continue;
            peak = std::max(peak, std::abs(static_cast<int>(pcm[i])));
            first = std::min(first, i);
            last = i;
        }
        return {peak, first < last ? static_cast<double>(last - first) / rate : 0.0};
    }
    static inline testing::TempDir* heard_ = nullptr;
    void SetUp() override {
        for (const char* plugin : {PLUGINS}) Register(plugin);
        OwnerFixture::SetUp();
        video_ = CreateWindowExW(0, L"EngineTestOwner", L"", 0, 0, 0, 176, 144, nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        OwnerFixture::TearDown();
        DestroyWindow(video_);
    }

    // An AVI of MPEG-4 pictures of the size given, with a stereo MP3 tone
    // when asked.
    std::wstring Clip(const std::string& name, double seconds, int width = 176, int height = 144, bool audio = true) {
        const auto frames = static_cast<int>(seconds * 25);
        const Encoded pictures = testing::EncodeVideo("mpeg4", frames, width, height);
        const Encoded sound = testing::EncodeAudio("libmp3lame", 44100, 2, static_cast<int>(seconds * 44100 / 1152));
        std::vector<MuxStream> streams {{"mpeg4", &pictures, width, height}};
        if (audio) streams.push_back({"mp3", &sound, 0, 0, 44100, 2, 1152.0 / 44100});
        const std::string path = dir_.File(name);
        EXPECT_TRUE(testing::MuxFile(path, "avi", streams));
        return Utf8ToWide(path);
    }

    // Handles the messages posted so far.
    void Handle() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }

    // Opens a preview, stopped, and waits until it reports the stop.
    TrxMedia Open(const std::wstring& path, int mute = 0, int volume = 100) {
        TrxMedia media = nullptr;
        EXPECT_EQ(TrxOpenMedia(owner_, video_, path.c_str(), 0, 0, 0, mute, volume, &media), TRX_OK);
        EXPECT_TRUE(WaitFor(WM_TRX_MEDIA_STOPPED, media, 10000));
        return media;
    }

    // Sends a command and waits for the state message it should give.
    void Command(std::int32_t (*command)(TrxMedia), TrxMedia media, UINT expected) {
        received_.clear();
        ASSERT_EQ(command(media), TRX_OK);
        EXPECT_TRUE(WaitFor(expected, media, 3000));
    }

    // The audio and video flags of the summary sent with the start.
    std::pair<int, int> Streams(TrxMedia media) const {
        const LPARAM summary = ParameterOf(media, WM_TRX_MEDIA_START);
        if (summary == -1) return {-1, -1};
        MediaInfo info;
        std::memcpy(&info, reinterpret_cast<const void*>(summary), sizeof(info));
        return {static_cast<int>(info.bHasAudio), static_cast<int>(info.bHasVideo)};
    }

    static CAVPreview& Job(TrxMedia media) { return *reinterpret_cast<CAVPreview*>(media); }

    static OAFilterState State(TrxMedia media) {
        CAVPreview& job = Job(media);
        std::lock_guard guard(job.m_graphLock);
        OAFilterState state = -1;
        job.m_graph.control->GetState(1000, &state);
        return state;
    }
    static Rect Destination(TrxMedia media) {
        CAVPreview& job = Job(media);
        std::lock_guard guard(job.m_graphLock);
        Rect rect {};
        job.m_graph.basicVideo->GetDestinationPosition(&rect.left, &rect.top, &rect.width, &rect.height);
        return rect;
    }
    static IVideoWindow& Window(TrxMedia media) { return *Job(media).m_graph.videoWindow.Get(); }
    static Rect WindowPlace(TrxMedia media) {
        Rect rect {};
        Window(media).GetWindowPosition(&rect.left, &rect.top, &rect.width, &rect.height);
        return rect;
    }
    // The top-left brightness of the picture shown; -1 when none is.
    static int ShownCorner(TrxMedia media) {
        CAVPreview& job = Job(media);
        std::lock_guard guard(job.m_graphLock);
        LONG size = 0;
        if (job.m_graph.basicVideo->GetCurrentImage(&size, nullptr) != S_OK) return -1;
        std::vector<LONG> image((static_cast<size_t>(size) + 3) / 4);
        if (job.m_graph.basicVideo->GetCurrentImage(&size, image.data()) != S_OK) return -1;
        return reinterpret_cast<const std::uint8_t*>(image.data())[sizeof(BITMAPINFOHEADER)];
    }
    // Pictures the video renderer has drawn.
    static int Drawn(TrxMedia media) {
        CAVPreview& job = Job(media);
        std::lock_guard guard(job.m_graphLock);
        auto quality = FindRenderer(job.m_graph.graph.Get(), MEDIATYPE_Video).As<IQualProp>(IID_IQualProp);
        int drawn = 0;
        if (quality) quality->get_FramesDrawn(&drawn);
        return drawn;
    }
    static LONG Volume(TrxMedia media) {
        LONG volume = 1;
        Job(media).m_graph.basicAudio->get_Volume(&volume);
        return volume;
    }

    HWND video_ = nullptr;
};

TEST_F(Preview, OpeningReportsTheStreamsAndPlacesTheVideoInTheWindow) {
    TrxMedia media = Open(Clip("large.avi", 1, 352, 288));
    ASSERT_EQ(MessagesOf(media), (std::vector<UINT> {WM_TRX_MEDIA_START, WM_TRX_MEDIA_STOPPED}));
    EXPECT_EQ(Streams(media), (std::pair {1, 1}));
    EXPECT_EQ(Destination(media), (Rect {0, 0, 176, 144})) << "scaled down to the window";
    EXPECT_EQ(WindowPlace(media), (Rect {0, 0, 176, 144}));
    OAHWND owner = 0;
    Window(media).get_Owner(&owner);
    EXPECT_EQ(owner, reinterpret_cast<OAHWND>(video_));
    LONG style = 0;
    Window(media).get_WindowStyle(&style);
    EXPECT_EQ(style, 0x42000000);

    // A change of display places the video window again.
    Window(media).SetWindowPosition(5, 5, 10, 10);
    EXPECT_EQ(TrxNotifyOwnerMessage(media, video_, kWmDisplayChange, 0, 0), TRX_OK);
    EXPECT_EQ(WindowPlace(media), (Rect {0, 0, 176, 144}));
    EXPECT_EQ(TrxCloseMedia(media), TRX_OK);

    received_.clear();
    media = Open(Clip("small.avi", 1, 160, 120, false));
    EXPECT_EQ(Streams(media), (std::pair {0, 1}));
    EXPECT_EQ(Destination(media), (Rect {8, 12, 160, 120})) << "native size, centred";
    EXPECT_EQ(TrxCloseMedia(media), TRX_OK);
}

TEST(VideoFit, LargePicturesKeepTheirShape) {
    const Placement wide = FitVideo(176, 144, 320, 120);
    EXPECT_EQ((Rect {wide.left, wide.top, wide.width, wide.height}), (Rect {0, 39, 176, 66}));
    const Placement tall = FitVideo(176, 144, 100, 288);
    EXPECT_EQ((Rect {tall.left, tall.top, tall.width, tall.height}), (Rect {63, 0, 50, 144}));
    const Placement same = FitVideo(176, 144, 176, 144);
    EXPECT_EQ((Rect {same.left, same.top, same.width, same.height}), (Rect {0, 0, 176, 144}));
}

TEST_F(Preview, CommandsVolumeAndSeeking) {
    TrxMedia media = Open(Clip("clip.avi", 4), 0, 150);
    EXPECT_EQ(Volume(media), 0) << "150 counts as 100";
    Command(TrxPlay, media, WM_TRX_MEDIA_PLAY);
    EXPECT_EQ(State(media), State_Running);
    Command(TrxPause, media, WM_TRX_MEDIA_PAUSE);
    EXPECT_EQ(State(media), State_Paused);
    Command(TrxStop, media, WM_TRX_MEDIA_STOPPED);
    EXPECT_EQ(State(media), State_Stopped);

    for (const auto& [level, mute, expected] : {std::tuple {50, 0, -2000}, {0, 0, -4000}, {80, 1, -10000}}) {
        EXPECT_EQ(TrxVolume(media, level, mute), TRX_OK);
        EXPECT_EQ(Volume(media), expected) << level << (mute ? " muted" : "");
    }

    // Seeking a stopped preview leaves it paused at the new place; a
    // running one goes on running from there.
    EXPECT_EQ(TrxSeeking(media, 20000000), TRX_OK);
    EXPECT_EQ(State(media), State_Paused);
    // The picture standing there is the one of 2 s: picture 50, whose
    // top-left corner the clip paints with 50 x 3.
    int corner = -1;
    for (int tries = 0; tries < 100 && std::abs(corner - 150) > 1; ++tries, Sleep(20)) corner = ShownCorner(media);
    EXPECT_NEAR(corner, 150, 1) << "its neighbours paint 147 and 153";
    std::int64_t position = 0;
    std::int64_t duration = 0;
    EXPECT_EQ(TrxGetMediaPosition(media, &position, &duration), TRX_OK);
    EXPECT_EQ(position, 20000000);
    EXPECT_NEAR(static_cast<double>(duration), 4e7, 1e6);
    Command(TrxPlay, media, WM_TRX_MEDIA_PLAY);
    Sleep(200);
    // The pictures resume within 300 ms: the second picture drawn after
    // the seek (the first may be the one cued while paused) is running.
    const auto began = std::chrono::steady_clock::now();
    EXPECT_EQ(TrxSeeking(media, 10000000), TRX_OK);
    EXPECT_EQ(State(media), State_Running);
    const int drawn = Drawn(media);
    while (Drawn(media) < drawn + 2 && std::chrono::steady_clock::now() - began < std::chrono::seconds(3)) Sleep(1);
    const auto resumed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began).count();
    std::printf("pictures resumed %lld ms after the seek began\n", static_cast<long long>(resumed));
    EXPECT_LT(resumed, 300);
    Sleep(300);
    EXPECT_EQ(TrxGetMediaPosition(media, &position, &duration), TRX_OK);
    EXPECT_GT(position, 10000000);
    EXPECT_LT(position, 20000000);
    EXPECT_EQ(TrxCloseMedia(media), TRX_OK);
}

TEST_F(Preview, PlayingToTheEndReportsTheStop) {
    TrxMedia media = Open(Clip("short.avi", 1));
    Command(TrxPlay, media, WM_TRX_MEDIA_PLAY);
    ASSERT_TRUE(WaitFor(WM_TRX_MEDIA_STOPPED, media, 5000));
    EXPECT_EQ(State(media), State_Stopped);
    EXPECT_EQ(TrxCloseMedia(media), TRX_OK);
}

TEST_F(Preview, DamagedFilesPlayAsFarAsTheyCanAndReportTheirEnd) {
    Clip("clip.avi", 1);
    const std::string whole = testing::FileBytes(dir_.File("clip.avi"));
    int played = 0;
    for (unsigned seed = 1; seed <= 5; ++seed) {  // one of each kind of damage
        SCOPED_TRACE(testing::DamageName(testing::DamageOf(seed)));
        const std::string path = dir_.File("damaged" + std::to_string(seed) + ".avi");
        std::ofstream(path, std::ios::binary) << testing::Damaged(whole, seed);
        received_.clear();
        TrxMedia media = nullptr;
        if (TrxOpenMedia(owner_, video_, Utf8ToWide(path).c_str(), 0, 0, 0, 0, 100, &media) != TRX_OK) continue;
        const ULONGLONG deadline = GetTickCount64() + 10000;
        while (GetTickCount64() < deadline && !WaitFor(WM_TRX_MEDIA_STOPPED, media, 10) &&
               !WaitFor(WM_TRX_MEDIA_ERROR, media, 10)) {
        }
        if (ParameterOf(media, WM_TRX_MEDIA_STOPPED) != -1) {
            const ULONGLONG began = GetTickCount64();
            Command(TrxPlay, media, WM_TRX_MEDIA_PLAY);
            EXPECT_TRUE(WaitFor(WM_TRX_MEDIA_STOPPED, media, 4000)) << "the end was reported";
            EXPECT_LT(GetTickCount64() - began, 4000u);
            ++played;
        } else {
            EXPECT_NE(ParameterOf(media, WM_TRX_MEDIA_ERROR), -1) << "neither opened nor refused";
        }
        EXPECT_EQ(TrxCloseMedia(media), TRX_OK);
    }
    EXPECT_GE(played, 3);
}

TEST_F(Preview, APhoneFileGoesThroughTheH263AndAmrDecoders) {
    const Encoded pictures = testing::EncodeVideo("h263", 25);
    Encoded speech;
    speech.units = testing::AmrFrames(50);
    const std::string path = dir_.File("phone.3gp");
    ASSERT_TRUE(testing::MuxFile(path, "3gp", {{"h263", &pictures}, {"amr_nb", &speech, 0, 0, 8000, 1, 0.02}}));
    TrxMedia media = Open(Utf8ToWide(path));
    EXPECT_EQ(Streams(media), (std::pair {1, 1}));
    for (const wchar_t* name : {L"H263 Decoder", L"AMR Decoder"}) {
        ComPtr<IBaseFilter> decoder;
        EXPECT_EQ(Job(media).m_graph.graph->FindFilterByName(name, decoder.Receive()), S_OK) << WideToUtf8(name);
    }
    Command(TrxPlay, media, WM_TRX_MEDIA_PLAY);
    EXPECT_TRUE(WaitFor(WM_TRX_MEDIA_STOPPED, media, 5000)) << "played to the end";
    EXPECT_EQ(TrxCloseMedia(media), TRX_OK);
    const auto [peak, seconds] = Heard(8000);
    EXPECT_GT(peak, 1000) << "the speech was heard";
    EXPECT_NEAR(seconds, 1.0, 0.1);
}

TEST_F(Preview, AWindowsMediaFileOpensThroughTheAsfReader) {
    const Encoded pictures = testing::EncodeVideo("wmv2", 25);
    const Encoded sound = testing::EncodeAudio("wmav2", 44100, 2, 22);
    const std::string path = dir_.File("clip.wmv");
    ASSERT_TRUE(
        testing::MuxFile(path, "asf", {{"wmv2", &pictures}, {"wmav2", &sound, 176, 144, 44100, 2, 2048.0 / 44100}}));
    TrxMedia media = Open(Utf8ToWide(path));
    EXPECT_EQ(Streams(media), (std::pair {1, 1}));
    ComPtr<IBaseFilter> reader;
    ASSERT_EQ(Job(media).m_graph.graph->FindFilterByName(L"Source", reader.Receive()), S_OK);
    CLSID clsid {};
    reader->GetClassID(&clsid);
    EXPECT_EQ(clsid, CLSID_WMAsfReader);
    EXPECT_EQ(TrxCloseMedia(media), TRX_OK);
}

// One second of a 440 Hz tone, 16-bit mono at 8000 Hz, as a WAV file.
std::string WaveFile() {
    std::string pcm;
    for (int i = 0; i < 8000; ++i) {
        const auto value = static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * 440 * i / 8000.0));
        pcm.append(reinterpret_cast<const char*>(&value), 2);
    }
    auto word = [](std::uint32_t value, int bytes) {
        return std::string(reinterpret_cast<const char*>(&value), bytes);
    };
    return "RIFF" + word(36 + pcm.size(), 4) + "WAVEfmt " + word(16, 4) + word(1, 2) + word(1, 2) + word(8000, 4) +
           word(16000, 4) + word(2, 2) + word(16, 2) + "data" + word(pcm.size(), 4) + pcm;
}

TEST_F(Preview, TheAudioJobsPlayASoundFile) {
    const std::wstring song = File("song.wav", WaveFile());
    TrxMedia media = nullptr;
    ASSERT_EQ(TrxOpenAudio(owner_, song.c_str(), 0, 0, 100, &media), TRX_OK);
    ASSERT_TRUE(WaitFor(WM_TRX_MEDIA_PAUSE, media));
    EXPECT_EQ(MessagesOf(media), (std::vector<UINT> {WM_TRX_MEDIA_START, WM_TRX_MEDIA_PAUSE}));
    EXPECT_EQ(Streams(media), (std::pair {1, 0}));
    {
        std::lock_guard guard(Job(media).m_graphLock);
        ComPtr<IBaseFilter> gargle;
        EXPECT_EQ(Job(media).m_graph.graph->FindFilterByName(L"audio gargle", gargle.Receive()), S_OK);
        EXPECT_TRUE(FindRenderer(Job(media).m_graph.graph.Get(), MEDIATYPE_Audio)) << "the gargle feeds a renderer";
    }
    Command(TrxPlay, media, WM_TRX_MEDIA_PLAY);
    EXPECT_TRUE(WaitFor(WM_TRX_MEDIA_STOPPED, media, 5000)) << "played to the end";
    EXPECT_EQ(TrxCloseMedia(media), TRX_OK);
    const auto [peak, seconds] = Heard(8000);
    EXPECT_NEAR(peak, 8000, 300) << "the gargle leaves the sound unchanged until given a rate";
    EXPECT_NEAR(seconds, 1.0, 0.05);

    // The audio-data job runs the sound through the amplifier and ends by
    // itself at the end of the sound.
    Handle();
    received_.clear();
    ASSERT_EQ(TrxGetAudioData(owner_, song.c_str(), 1, 1000, &media), TRX_OK);
    ASSERT_TRUE(WaitFor(WM_TRX_AUDIO_END, media, 5000));
    EXPECT_EQ(MessagesOf(media), (std::vector<UINT> {WM_TRX_AUDIO_START, WM_TRX_AUDIO_END}));
    EXPECT_EQ(TrxCloseMedia(media), TRX_OK);
}

TEST_F(Preview, AWaveFileIsRefused) {
    TrxMedia media = nullptr;
    ASSERT_EQ(TrxOpenMedia(owner_, video_, File("sound.wav", "RIFF").c_str(), 0, 1, 0, 0, 50, &media), TRX_OK);
    ASSERT_TRUE(WaitFor(WM_TRX_MEDIA_STOP, media));
    EXPECT_EQ(MessagesOf(media), (std::vector<UINT> {WM_TRX_MEDIA_ERROR, WM_TRX_MEDIA_STOP}));
    EXPECT_EQ(ParameterOf(media, WM_TRX_MEDIA_ERROR), 4);
    EXPECT_EQ(TrxCloseMedia(media), TRX_OK);
}

TEST_F(Preview, ClosingWhilePlayingReturnsPromptlyAndPostsNothingAfter) {
    TrxMedia media = Open(Clip("long.avi", 8));
    Command(TrxPlay, media, WM_TRX_MEDIA_PLAY);
    Sleep(300);
    const ULONGLONG before = GetTickCount64();
    ASSERT_EQ(TrxCloseMedia(media), TRX_OK);
    EXPECT_LT(GetTickCount64() - before, 2000u);
    Sleep(300);
    Handle();
    const std::vector<UINT> messages = MessagesOf(media);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), static_cast<UINT>(WM_TRX_MEDIA_STOP));
    EXPECT_EQ(std::count(messages.begin(), messages.end(), static_cast<UINT>(WM_TRX_MEDIA_STOP)), 1);
}

}  // namespace
}  // namespace movanta::engine
