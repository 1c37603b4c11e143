// The engine through its exports, with a headless owner window that records
// the messages it receives.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "engine/convengine.h"
#include "engine/engine_state.h"
#include "engine/profile.h"
#include "owner_fixture.h"
#include "testing/media.h"
#include "testing/testing.h"
#include "win/windows.h"

namespace {

using movanta::Utf8ToWide;
using movanta::engine::enginetest::Message;

FILEAVCODEC kBothFormats[] = {{TRX_SYS_3GP, TRX_VCODEC_H263, TRX_ACODEC_AMR},
                              {TRX_SYS_MP4, TRX_VCODEC_MPEG4, TRX_ACODEC_AAC}};

MobileVideoConf Profile(std::int32_t phone) {
    MobileVideoConf profile {};
    profile.nTargetPhone = phone;
    profile.nWidth = 176;
    profile.nHeight = 144;
    profile.nFileCODEC = 2;
    profile.pFileCODEC = kBothFormats;
    return profile;
}

class EngineTest : public movanta::engine::enginetest::OwnerFixture {
protected:
    void SetUp() override {
        Register(QUARTZ_PATH);
        OwnerFixture::SetUp();
        input_ = File("input.avi", std::string(1000, 'x'));
    }

    std::wstring input_;
};

TEST_F(EngineTest, ExportsAnswerTheirCodesForBadInputs) {
    const CNTConfig request {0, 0, 1, 7, 1, 1, 2, -1, 0, 0, {}};
    const MusicConfig music {3, 0, 0, 0};
    const std::wstring empty = File("empty.avi", "");
    const std::wstring missing = Utf8ToWide(dir_.File("missing.avi"));
    const std::wstring output = File("out.3gp", "");
    TrxJob job = nullptr;
    TrxMedia media = nullptr;

    TrxTEnd();
    EXPECT_EQ(TrxConvert(owner_, input_.c_str(), output.c_str(), &request, &job), TRX_ERR_NOT_INIT);
    EXPECT_EQ(TrxOpenMedia(owner_, owner_, input_.c_str(), 0, 0, 0, 0, 50, &media), TRX_ERR_NOT_INIT);
    EXPECT_EQ(TrxAbortConvert(job), TRX_ERR_NOT_INIT);
    EXPECT_EQ(TrxPlay(media), TRX_ERR_NOT_INIT);
    MediaInfo info {};
    EXPECT_EQ(TrxGetFileInfo(input_.c_str(), &info), TRX_ERR_NOT_INIT);
    EXPECT_EQ(TrxInit(nullptr, owner_), TRX_ERR_NOT_INIT);
    EXPECT_EQ(TrxInit(kInstance, nullptr), TRX_ERR_NOT_INIT);
    ASSERT_EQ(TrxInit(kInstance, owner_), TRX_OK);
    EXPECT_EQ(TrxGetFileInfo(input_.c_str(), nullptr), TRX_ERR_NOT_INIT);

    for (const std::wstring& bad : {empty, missing}) {
        EXPECT_EQ(TrxConvert(owner_, bad.c_str(), output.c_str(), &request, &job), TRX_ERR_FILE);
        EXPECT_EQ(TrxConvertMusic(owner_, bad.c_str(), output.c_str(), &music, &job), TRX_ERR_FILE);
        EXPECT_EQ(TrxOpenMedia(owner_, owner_, bad.c_str(), 0, 0, 0, 0, 50, &media), TRX_ERR_FILE);
        EXPECT_EQ(TrxOpenAudio(owner_, bad.c_str(), 0, 0, 50, &media), TRX_ERR_FILE);
        EXPECT_EQ(TrxGetAudioData(owner_, bad.c_str(), 0, 1000, &media), TRX_ERR_FILE);
        EXPECT_EQ(TrxGetFileInfo(bad.c_str(), &info), TRX_ERR_FILE);
    }
    EXPECT_EQ(TrxConvert(owner_, input_.c_str(), output.c_str(), &request, &job), TRX_ERR_PHONE) << "no profile yet";
    EXPECT_EQ(TrxSetMobileConfig(nullptr), TRX_ERR_NOMEM);
    const MobileVideoConf profile = Profile(3);
    ASSERT_EQ(TrxSetMobileConfig(&profile), TRX_OK);
    EXPECT_EQ(TrxConvert(owner_, input_.c_str(), output.c_str(), &request, &job), TRX_ERR_PHONE) << "phone 7 asked";
    EXPECT_EQ(TrxConvert(owner_, input_.c_str(), output.c_str(), nullptr, &job), TRX_ERR_NOMEM);
    CNTConfig matching = request;
    matching.nTargetPhone = 3;
    EXPECT_EQ(TrxConvert(owner_, input_.c_str(), output.c_str(), &matching, nullptr), TRX_ERR_NOMEM);
    // Qualities outside the profile's three columns.
    for (const auto& [video, audio] : {std::pair {3, 1}, std::pair {-1, 1}, std::pair {1, 3}, std::pair {1, -1}}) {
        CNTConfig quality = matching;
        quality.nVideoQuality = video;
        quality.nAudioQuality = audio;
        EXPECT_EQ(TrxConvert(owner_, input_.c_str(), output.c_str(), &quality, &job), TRX_ERR_NOMEM)
            << video << " " << audio;
    }
    // No profile keeps the one set.
    EXPECT_EQ(TrxSetMobileConfig(nullptr), TRX_ERR_NOMEM);
    ASSERT_TRUE(movanta::engine::Engine().profile);
    EXPECT_EQ(movanta::engine::Engine().profile->Conf().nTargetPhone, 3);
    EXPECT_EQ(TrxConvertMusic(owner_, input_.c_str(), output.c_str(), nullptr, &job), TRX_ERR_NOMEM);
    EXPECT_TRUE(received_.empty()) << "a refused export created a job";

    int local = 0;
    auto* bogusJob = reinterpret_cast<TrxJob>(&local);
    auto* bogusMedia = reinterpret_cast<TrxMedia>(&local);
    std::int64_t position = 123;
    std::int64_t size = 456;
    EXPECT_EQ(TrxAbortConvert(bogusJob), TRX_ERR_HANDLE);
    EXPECT_EQ(TrxAbortConvert(nullptr), TRX_ERR_HANDLE);
    EXPECT_EQ(TrxGetConvertPosition(bogusJob, &position, &size), TRX_ERR_HANDLE);
    EXPECT_EQ(position, 123);
    EXPECT_EQ(size, 456);
    for (auto call : std::vector<std::function<std::int32_t()>> {
             [&] { return TrxCloseMedia(bogusMedia); }, [&] { return TrxPlay(bogusMedia); },
             [&] { return TrxPause(bogusMedia); }, [&] { return TrxStop(bogusMedia); },
             [&] { return TrxSeeking(bogusMedia, 0); }, [&] { return TrxVolume(bogusMedia, 50, 0); },
             [&] { return TrxSetAmpScaleVal(bogusMedia, 1); },
             [&] { return TrxGetMediaPosition(bogusMedia, &position, &size); },
             [&] { return TrxNotifyOwnerMessage(bogusMedia, owner_, 0x7E, 0, 0); }}) {
        EXPECT_EQ(call(), TRX_ERR_HANDLE);
    }
    EXPECT_EQ(TrxSetDTConfig(nullptr), TRX_OK);
    EXPECT_EQ(TrxSetVideoEffect(0, nullptr), TRX_OK);
}

TEST_F(EngineTest, TheProfileIsCopiedDeeply) {
    FILEAVCODEC entries[] = {{TRX_SYS_3GP, TRX_VCODEC_MPEG4, TRX_ACODEC_AAC}};
    MobileVideoConf profile = Profile(2);
    profile.nFileCODEC = 1;
    profile.pFileCODEC = entries;
    ASSERT_EQ(TrxSetMobileConfig(&profile), TRX_OK);
    profile.nTargetPhone = 9;
    profile.nWidth = 1;
    entries[0] = {TRX_SYS_MP4, 0, 0};
    const MobileVideoConf& copy = movanta::engine::Engine().profile->Conf();
    EXPECT_EQ(copy.nTargetPhone, 2);
    EXPECT_EQ(copy.nWidth, 176);
    ASSERT_EQ(copy.nFileCODEC, 1u);
    EXPECT_NE(copy.pFileCODEC, entries);
    EXPECT_EQ(copy.pFileCODEC[0].nSysFormat, TRX_SYS_3GP);
    EXPECT_EQ(copy.pFileCODEC[0].wVideoCodec, TRX_VCODEC_MPEG4);
}

TEST(CodecChoiceTest, TheExtensionChoosesAndTheProfileOverrides) {
    struct Case {
        const wchar_t* output;
        std::vector<FILEAVCODEC> entries;
        std::int32_t format, audio, video;
    };
    const Case cases[] = {
        {L"/out/clip.mp4", {}, 1, TRX_ACODEC_AAC, TRX_VCODEC_MPEG4},
        {L"/out/clip.3GP", {}, 2, TRX_ACODEC_AMR, TRX_VCODEC_H263},
        {L"/out/clip.avi", {}, 1, 0, 0},
        {L"/out.d/noextension", {}, 1, 0, 0},
        {L"/out/clip.3gp", {{TRX_SYS_3GP, TRX_VCODEC_H263, TRX_ACODEC_AAC}}, 2, TRX_ACODEC_AAC, TRX_VCODEC_H263},
        {L"/out/clip.3gp", {{TRX_SYS_MP4, TRX_VCODEC_MPEG4, TRX_ACODEC_AAC}}, 2, TRX_ACODEC_AMR, TRX_VCODEC_H263},
        {L"/out/clip.mp4",
         {{TRX_SYS_MP4, TRX_VCODEC_H263, TRX_ACODEC_AMR}, {TRX_SYS_MP4, TRX_VCODEC_MPEG4, TRX_ACODEC_AMR}},
         1,
         TRX_ACODEC_AMR,
         TRX_VCODEC_MPEG4},
        {L"/out/clip.wmv", {{TRX_SYS_MP4, TRX_VCODEC_H263, TRX_ACODEC_AMR}}, 1, TRX_ACODEC_AMR, TRX_VCODEC_H263},
    };
    for (const Case& c : cases) {
        MobileVideoConf profile = Profile(1);
        std::vector<FILEAVCODEC> entries = c.entries;
        profile.nFileCODEC = static_cast<std::uint32_t>(entries.size());
        profile.pFileCODEC = entries.data();
        const auto choice = movanta::engine::ChooseCodecs(c.output, &profile);
        EXPECT_EQ(choice.sysFormat, c.format) << movanta::WideToUtf8(c.output);
        EXPECT_EQ(choice.audioCodec, c.audio) << movanta::WideToUtf8(c.output);
        EXPECT_EQ(choice.videoCodec, c.video) << movanta::WideToUtf8(c.output);
    }
}

TEST_F(EngineTest, AConversionThatCannotBuildItsGraphReportsErrorThenEnd) {
    const MobileVideoConf profile = Profile(3);
    ASSERT_EQ(TrxSetMobileConfig(&profile), TRX_OK);
    CNTConfig request {};
    request.nTargetPhone = 3;
    request.llStart = -1;
    const std::wstring output = File("out.3gp", "");
    TrxJob job = nullptr;
    ASSERT_EQ(TrxConvert(nullptr, input_.c_str(), output.c_str(), &request, &job), TRX_OK);
    ASSERT_TRUE(WaitFor(WM_TRX_CONVERT_END, job));
    // No frame scaler is installed: the source half fails with error 4.
    EXPECT_EQ(MessagesOf(job), (std::vector<UINT> {WM_TRX_CONVERT_ERROR, WM_TRX_CONVERT_END}));
    EXPECT_EQ(ParameterOf(job, WM_TRX_CONVERT_ERROR), 4);
    std::int64_t position = -1;
    std::int64_t size = -1;
    EXPECT_EQ(TrxGetConvertPosition(job, &position, &size), TRX_OK);
    EXPECT_EQ(position, 0);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(TrxAbortConvert(job), TRX_OK);
    EXPECT_EQ(TrxAbortConvert(job), TRX_ERR_HANDLE);

    // An output file that does not exist has no short form: error 4 at once.
    received_.clear();
    const std::wstring absent = Utf8ToWide(dir_.File("absent.3gp"));
    ASSERT_EQ(TrxConvert(owner_, input_.c_str(), absent.c_str(), &request, &job), TRX_OK);
    ASSERT_TRUE(WaitFor(WM_TRX_CONVERT_END, job));
    EXPECT_EQ(MessagesOf(job), (std::vector<UINT> {WM_TRX_CONVERT_ERROR, WM_TRX_CONVERT_END}));
    EXPECT_EQ(ParameterOf(job, WM_TRX_CONVERT_ERROR), 4);

    received_.clear();
    const MusicConfig music {3, 0, 0, 0};
    ASSERT_EQ(TrxConvertMusic(owner_, input_.c_str(), File("out.mp3", "").c_str(), &music, &job), TRX_OK);
    ASSERT_TRUE(WaitFor(WM_TRX_CONVERT_END, job));
    EXPECT_EQ(MessagesOf(job), (std::vector<UINT> {WM_TRX_CONVERT_ERROR, WM_TRX_CONVERT_END}));
}

TEST_F(EngineTest, PreviewsThatCannotOpenReportErrorThenStop) {
    TrxMedia media = nullptr;
    ASSERT_EQ(TrxOpenMedia(owner_, owner_, input_.c_str(), 0, 1, 0, 0, 50, &media), TRX_OK);
    ASSERT_TRUE(WaitFor(WM_TRX_MEDIA_STOP, media));
    EXPECT_EQ(MessagesOf(media), (std::vector<UINT> {WM_TRX_MEDIA_ERROR, WM_TRX_MEDIA_STOP}));
    EXPECT_EQ(ParameterOf(media, WM_TRX_MEDIA_ERROR), 4);
    EXPECT_EQ(TrxPlay(media), TRX_OK);  // no graph: nothing happens
    EXPECT_EQ(TrxCloseMedia(media), TRX_OK);
    EXPECT_EQ(TrxCloseMedia(media), TRX_ERR_HANDLE);

    // Audio files are refused by the preview, other files by the audio-only job.
    const std::wstring song = File("song.mp3", "ID3");
    ASSERT_EQ(TrxOpenMedia(owner_, owner_, song.c_str(), 0, 1, 0, 0, 50, &media), TRX_OK);
    ASSERT_TRUE(WaitFor(WM_TRX_MEDIA_STOP, media));
    EXPECT_EQ(ParameterOf(media, WM_TRX_MEDIA_ERROR), 4);
    ASSERT_EQ(TrxOpenAudio(owner_, input_.c_str(), 1, 0, 50, &media), TRX_OK);
    ASSERT_TRUE(WaitFor(WM_TRX_MEDIA_STOP, media));
    EXPECT_EQ(MessagesOf(media), (std::vector<UINT> {WM_TRX_MEDIA_ERROR, WM_TRX_MEDIA_STOP}));
    ASSERT_EQ(TrxGetAudioData(owner_, input_.c_str(), 1, 1000, &media), TRX_OK);
    ASSERT_TRUE(WaitFor(WM_TRX_AUDIO_END, media));
    EXPECT_EQ(MessagesOf(media), (std::vector<UINT> {WM_TRX_AUDIO_ERROR, WM_TRX_AUDIO_END}));
}

TEST_F(EngineTest, InitialisingAgainDestroysEveryJob) {
    const MobileVideoConf profile = Profile(1);
    ASSERT_EQ(TrxSetMobileConfig(&profile), TRX_OK);
    CNTConfig request {};
    request.nTargetPhone = 1;
    TrxJob job = nullptr;
    TrxMedia media = nullptr;
    ASSERT_EQ(TrxConvert(owner_, input_.c_str(), File("out.mp4", "").c_str(), &request, &job), TRX_OK);
    ASSERT_EQ(TrxOpenMedia(owner_, owner_, input_.c_str(), 0, 0, 0, 0, 50, &media), TRX_OK);
    ASSERT_EQ(TrxInit(kInstance, owner_), TRX_OK);
    EXPECT_EQ(TrxAbortConvert(job), TRX_ERR_HANDLE);
    EXPECT_EQ(TrxCloseMedia(media), TRX_ERR_HANDLE);
    EXPECT_EQ(TrxConvert(owner_, input_.c_str(), File("out.mp4", "").c_str(), &request, &job), TRX_ERR_PHONE)
        << "TrxInit keeps no profile";
}

TEST_F(EngineTest, FiftyJobsCreatedAndAbortedWhileTheirWorkersStart) {
    const MobileVideoConf profile = Profile(1);
    ASSERT_EQ(TrxSetMobileConfig(&profile), TRX_OK);
    CNTConfig request {};
    request.nTargetPhone = 1;
    const std::wstring output = File("out.mp4", "");
    for (int i = 0; i < 50; ++i) {
        TrxJob job = nullptr;
        TrxMedia media = nullptr;
        ASSERT_EQ(TrxConvert(owner_, input_.c_str(), output.c_str(), &request, &job), TRX_OK);
        ASSERT_EQ(TrxOpenMedia(owner_, owner_, input_.c_str(), 0, 0, 0, 0, 50, &media), TRX_OK);
        EXPECT_EQ(TrxAbortConvert(job), TRX_OK);
        EXPECT_EQ(TrxCloseMedia(media), TRX_OK);
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    size_t ends = 0;
    for (const Message& m : received_) ends += m.message == WM_TRX_CONVERT_END || m.message == WM_TRX_MEDIA_STOP;
    EXPECT_EQ(ends, 100u) << "every job ends with its end message";
}

// MediaInfo is packed: its fields are read as values (+field), so that the
// test macros bind no reference to a misaligned member.
class ProbeTest : public EngineTest {
protected:
    MediaInfo Probe(const std::string& path, std::int32_t expected = TRX_OK) {
        MediaInfo info {};
        EXPECT_EQ(TrxGetFileInfo(Utf8ToWide(path).c_str(), &info), expected);
        return info;
    }
};

TEST_F(ProbeTest, AFileMadeHereIsDescribed) {
    const auto video = movanta::testing::EncodeVideo("mpeg4", 25);
    const auto audio = movanta::testing::EncodeAac(43);
    const std::string path = dir_.File("clip.mp4");
    ASSERT_TRUE(
        movanta::testing::MuxFile(path, "mp4", {{"mpeg4", &video}, {"aac", &audio, 0, 0, 44100, 2, 1024.0 / 44100}}));
    const MediaInfo info = Probe(path);
    EXPECT_EQ(std::u16string(info.szFormatName), u"mov,mp4,m4a,3gp,3g2,mj2");
    EXPECT_EQ(+info.nVideoCodecId, 15u);
    EXPECT_EQ(std::u16string(info.szVideoCodec), u"MPEG4");
    EXPECT_EQ(+info.nVideoWidth, 176u);
    EXPECT_EQ(+info.nVideoHeight, 144u);
    EXPECT_NEAR(+info.fVideoFrameRate, 25.0f, 0.01f);
    EXPECT_EQ(+info.nVideoFrames, 25u);
    EXPECT_EQ(+info.nAudioCodecId, 39u);
    EXPECT_EQ(std::u16string(info.szAudioCodec), u"AAC");
    EXPECT_EQ(+info.nAudioSampleRate, 44100u);
    EXPECT_EQ(+info.nAudioChannels, 2);
    EXPECT_NEAR(static_cast<double>(info.llDuration), 1000000.0, 50000.0);  // AAC adds its priming
    EXPECT_EQ(+info.llFileSize, static_cast<std::int64_t>(std::filesystem::file_size(path)));
    EXPECT_EQ(+info.bHasAudio, 0) << "only the preview sets it";
}

TEST_F(ProbeTest, TheLastStreamOfAKindIsReportedAndUnknownCodecsLeaveTheName) {
    const auto first = movanta::testing::EncodeAac(10);
    std::vector<movanta::testing::Unit> floats(20,
                                               movanta::testing::Unit {std::vector<std::uint8_t>(4 * 2 * 1024), true});
    movanta::testing::Encoded raw;
    raw.units = floats;
    const std::string path = dir_.File("two.mkv");
    ASSERT_TRUE(movanta::testing::MuxFile(
        path, "matroska",
        {{"aac", &first, 0, 0, 44100, 2, 1024.0 / 44100}, {"pcm_f32le", &raw, 0, 0, 22050, 2, 1024.0 / 22050}}));
    MediaInfo info {};
    std::memcpy(info.szAudioCodec, u"keep", sizeof(u"keep"));
    EXPECT_EQ(TrxGetFileInfo(Utf8ToWide(path).c_str(), &info), TRX_OK);
    EXPECT_EQ(+info.nAudioSampleRate, 22050u) << "the second audio stream is the one reported";
    EXPECT_EQ(+info.nAudioCodecId, 0u) << "32-bit float PCM is not in the table";
    EXPECT_EQ(std::u16string(info.szAudioCodec), u"AAC") << "the first stream's name stays";
}

TEST_F(ProbeTest, UnreadableAndEmptyFiles) {
    const std::string text = dir_.File("notes.avi");
    std::ofstream(text) << "this is not a video at all, just words in a file";
    const MediaInfo unreadable = Probe(text, TRX_ERR_OPEN);
    EXPECT_EQ(+unreadable.llFileSize, static_cast<std::int64_t>(std::filesystem::file_size(text)))
        << "the size is stored before the probe";

    const std::string empty = dir_.File("empty.mp4");
    std::ofstream(empty).close();
    MediaInfo untouched;
    std::memset(&untouched, 0xA5, sizeof untouched);
    const MediaInfo before = untouched;
    EXPECT_EQ(TrxGetFileInfo(Utf8ToWide(empty).c_str(), &untouched), TRX_ERR_FILE);
    EXPECT_EQ(std::memcmp(&untouched, &before, sizeof before), 0);
}

}  // namespace
