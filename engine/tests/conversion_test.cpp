// Whole conversions: every phone and format, ranges, streams, phone files
// converted again, inputs that cannot be converted, full disks and aborts.
#include "conversion_fixture.h"

namespace movanta::engine {
namespace {

TEST_F(Conversion, EveryPhoneInBothFormatsFromAnMpeg4AndMp3Avi) {
    const std::string input = MakeAvi("clip.avi", kClipSeconds);
    for (int phone = 0; phone < app::kPhoneCount; ++phone) {
        for (const char* extension : {".3gp", ".mp4"}) {
            const std::string output = "phone" + std::to_string(phone) + extension;
            const TrxJob job = Convert(input, output, phone);
            EXPECT_EQ(MessagesOf(job), (std::vector<UINT> {WM_TRX_CONVERT_START, WM_TRX_CONVERT_END})) << output;
            EXPECT_EQ(TrxAbortConvert(job), TRX_OK);
            CheckPhoneFile(dir_.File(output), phone, 1, CodecsOf(phone, std::string(extension) == ".3gp"),
                           kClipSeconds);
        }
    }
}

TEST_F(Conversion, TheReportedSizeIsTheMediaWrittenAndFourAndAHalfPercent) {
    // What a finished job reports: the bytes of the samples the writer took,
    // with 4.5 % for the file's tables.
    const std::string input = MakeAvi("clip.avi", kClipSeconds);
    const TrxJob job = Convert(input, "sized.3gp", 0);
    std::int64_t position = 0;
    std::int64_t size = 0;
    ASSERT_EQ(TrxGetConvertPosition(job, &position, &size), TRX_OK);
    TrxAbortConvert(job);
    std::int64_t media = 0;
    for (const StreamInfo& stream : testing::ReadBack(dir_.File("sized.3gp"))) {
        for (const testing::Unit& packet : stream.packets) media += static_cast<std::int64_t>(packet.data.size());
    }
    ASSERT_GT(media, 0);
    // The writer also counts the few bytes of stream headers it leaves out
    // of the samples (the AMR storage header).
    EXPECT_NEAR(static_cast<double>(size) / 1.045, static_cast<double>(media), 16);
}

TEST_F(Conversion, ARangeKeepsJustThatPartAtEveryQuality) {
    const std::string input = MakeAvi("clip.avi", 4);
    for (int quality = 0; quality < 3; ++quality) {
        const std::string output = "range" + std::to_string(quality) + ".mp4";
        const TrxJob job = Convert(input, output, 0, quality, quality, 10000000, 25000000);
        EXPECT_EQ(MessagesOf(job), (std::vector<UINT> {WM_TRX_CONVERT_START, WM_TRX_CONVERT_END}));
        TrxAbortConvert(job);
        CheckPhoneFile(dir_.File(output), 0, quality, {"mpeg4", "aac"}, 1.5);
    }
}

TEST_F(Conversion, OnlyTheStreamsTheInputHasAreWritten) {
    const std::string silent = MakeAvi("silent.avi", kClipSeconds, true, false);
    TrxAbortConvert(Convert(silent, "silent.3gp", 0));
    CheckPhoneFile(dir_.File("silent.3gp"), 0, 1, {"h263", ""}, kClipSeconds);

    const std::string sound = MakeAvi("sound.avi", kClipSeconds, false, true);
    TrxAbortConvert(Convert(sound, "sound.mp4", 0));
    CheckPhoneFile(dir_.File("sound.mp4"), 0, 1, {"", "aac"}, kClipSeconds);

    // 8-bit mono 22050 Hz reaches the AAC encoder as stereo 48 kHz.
    const Encoded pictures = testing::EncodeVideo("mpeg4", 50);
    const Encoded narrow = testing::EncodeAudio("pcm_u8", 22050, 1, 44);
    const std::string input =
        Make("narrow.avi", "avi", {{"mpeg4", &pictures}, {"pcm_u8", &narrow, 0, 0, 22050, 1, 1024.0 / 22050}});
    TrxAbortConvert(Convert(input, "narrow.mp4", 3));
    CheckPhoneFile(dir_.File("narrow.mp4"), 3, 1, {"mpeg4", "aac"}, kClipSeconds);
}

TEST_F(Conversion, PhoneFilesWithMpeg4AndAacComeThroughTheirOwnSourceAndDecoder) {
    const Encoded pictures = testing::EncodeVideo("mpeg4", 50);
    const Encoded sound = testing::EncodeAac(86);
    const std::string input =
        Make("phone.3gp", "3gp", {{"mpeg4", &pictures}, {"aac", &sound, 0, 0, 44100, 2, 1024.0 / 44100}});
    for (const auto& [output, phone, expected] : {std::tuple {"again.mp4", 0, Expected {"mpeg4", "aac"}},
                                                  std::tuple {"again.3gp", 4, Expected {"h263", "aac"}}}) {
        const TrxJob job = Convert(input, output, phone);
        EXPECT_EQ(MessagesOf(job), (std::vector<UINT> {WM_TRX_CONVERT_START, WM_TRX_CONVERT_END})) << output;
        TrxAbortConvert(job);
        CheckPhoneFile(dir_.File(output), phone, 1, expected, kClipSeconds);
    }
}

TEST_F(Conversion, PhoneFilesConvertAgain) {
    // The 3GP files of phones 0, 2 and 4 (H.263 + AMR, MPEG-4 + AMR, H.263 +
    // AAC) go back through "Source" and the H.263, MPEG-4 and AMR decoders.
    const std::string input = MakeAvi("clip.avi", kClipSeconds);
    for (int phone : {0, 2, 4}) {
        const std::string phoneFile = "phone" + std::to_string(phone) + ".3gp";
        TrxAbortConvert(Convert(input, phoneFile, phone));
        const std::string again = "again" + std::to_string(phone) + ".mp4";
        const TrxJob job = Convert(dir_.File(phoneFile), again, 0);
        EXPECT_EQ(MessagesOf(job), (std::vector<UINT> {WM_TRX_CONVERT_START, WM_TRX_CONVERT_END})) << phoneFile;
        TrxAbortConvert(job);
        // The AMR decoder drops the track's first frame (it lacks the storage
        // header), 20 ms; the rest of the range is there.
        CheckPhoneFile(dir_.File(again), 0, 1, {"mpeg4", "aac"}, kClipSeconds);
        // The original's 440 Hz tone comes through both conversions.
        int rate = 0;
        const std::vector<float> sound = testing::DecodeSound(dir_.File(again), &rate);
        ASSERT_GT(rate, 0);
        const size_t from = static_cast<size_t>(rate) / 4;
        const size_t to = std::min(sound.size(), static_cast<size_t>(rate) * 7 / 4);
        ASSERT_GT(to, from + static_cast<size_t>(rate)) << "a second and more of sound";
        int crossings = 0;
        for (size_t i = from + 1; i < to; ++i) crossings += (sound[i - 1] < 0) != (sound[i] < 0);
        EXPECT_NEAR(crossings / 2.0 * rate / static_cast<double>(to - from), 440, 15) << "Hz";
    }
}

TEST_F(Conversion, InputsThatCannotBeConvertedEndWithAnErrorAndNoHang) {
    // A .3gp input whose video none of its decoders takes (H.264).
    const Encoded pictures = testing::EncodeVideo("libx264", 50);
    const std::string phoneFile = Make("phone.3gp", "3gp", {{"h264", &pictures}});
    std::string damaged(200000, '\0');
    for (size_t i = 0; i < damaged.size(); ++i) damaged[i] = static_cast<char>((i * 7919) >> 3);
    const std::string garbage = dir_.File("garbage.avi");
    std::ofstream(garbage, std::ios::binary) << "RIFF" << damaged;

    for (const std::string& input : {phoneFile, garbage}) {
        received_.clear();
        const TrxJob job = Convert(input, "refused.mp4", 0);
        EXPECT_EQ(MessagesOf(job), (std::vector<UINT> {WM_TRX_CONVERT_ERROR, WM_TRX_CONVERT_END})) << input;
        EXPECT_EQ(ParameterOf(job, WM_TRX_CONVERT_ERROR), TRX_ERR_OPEN);
        TrxAbortConvert(job);
    }
}

TEST_F(Conversion, AConversionThatWritesNothingFailsAtOnceAsUnreadable) {
    // Pictures that no decoder takes, and a range past a clip's end (its
    // streams end while the graph is still paused): the writer ends
    // without a sample, at once, not when its stall limit runs out.
    Encoded garbage;
    for (int i = 0; i < 50; ++i) garbage.units.push_back({std::vector<std::uint8_t>(600, std::uint8_t(i * 37)), true});
    const std::string unreadable = Make("garbage.avi", "avi", {{"mpeg4", &garbage}});
    const std::string clip = MakeAvi("clip.avi", kClipSeconds);
    for (const auto& [input, start, end] :
         {std::tuple {unreadable, std::int64_t {-1}, std::int64_t {20000000}},
          std::tuple {clip, std::int64_t {50000000}, std::int64_t {60000000}}}) {
        const ULONGLONG began = GetTickCount64();
        const TrxJob job = Convert(input, "empty.3gp", 0, 1, 1, start, end);
        EXPECT_LT(GetTickCount64() - began, 10000u) << input;
        EXPECT_EQ(MessagesOf(job), (std::vector<UINT> {WM_TRX_CONVERT_START, WM_TRX_CONVERT_ERROR, WM_TRX_CONVERT_END}))
            << input;
        EXPECT_EQ(ParameterOf(job, WM_TRX_CONVERT_ERROR), TRX_ERR_OPEN) << input;
        TrxAbortConvert(job);
    }
}

TEST_F(Conversion, MusicJobsWriteTheSoundAsMp3FromTheStart) {
    const std::string input = MakeAvi("clip.avi", 4);
    struct Case {
        const char* output;
        std::int32_t bitrateIndex;
        std::int64_t start;
        std::int64_t kilobits;
        double seconds;
    };
    for (const Case& c : {Case {"all.mp3", 3, -1, 128, 4.0}, Case {"late.mp3", 1, 20000000, 64, 2.0},
                          Case {"odd.mp3", 9, 0, 128, 4.0}}) {
        SCOPED_TRACE(c.output);
        const MusicConfig request {c.bitrateIndex, c.start, 40000000, 0};
        const std::wstring target = File(c.output, "");
        received_.clear();
        TrxJob job = nullptr;
        ASSERT_EQ(TrxConvertMusic(owner_, Utf8ToWide(input).c_str(), target.c_str(), &request, &job), TRX_OK);
        ASSERT_TRUE(WaitFor(WM_TRX_CONVERT_END, job, kConversionWait));
        EXPECT_EQ(MessagesOf(job), (std::vector<UINT> {WM_TRX_CONVERT_START, WM_TRX_CONVERT_END}));
        std::int64_t position = 0;
        std::int64_t size = -1;
        EXPECT_EQ(TrxGetConvertPosition(job, &position, &size), TRX_OK);
        EXPECT_NEAR(position / 1e7, c.seconds, 0.3);
        EXPECT_EQ(size, 0);
        TrxAbortConvert(job);
        const std::vector<StreamInfo> streams = testing::ReadBack(dir_.File(c.output));
        ASSERT_EQ(streams.size(), 1u);
        EXPECT_EQ(streams[0].codec, "mp3");
        EXPECT_EQ(streams[0].sampleRate, 44100);
        // Blocks of sound pass whole: the start is kept to within one block.
        const std::uintmax_t bytes = std::filesystem::file_size(dir_.File(c.output));
        EXPECT_NEAR(bytes * 8.0 / 1000 / c.seconds, c.kilobits, c.kilobits * 0.15) << "kbit/s";
        EXPECT_EQ(testing::DecodeErrors(dir_.File(c.output)), 0);
    }

    // Without sound there is nothing to write.
    received_.clear();
    const std::string silent = MakeAvi("silent.avi", kClipSeconds, true, false);
    const MusicConfig request {3, -1, 0, 0};
    TrxJob job = nullptr;
    ASSERT_EQ(TrxConvertMusic(owner_, Utf8ToWide(silent).c_str(), File("none.mp3", "").c_str(), &request, &job),
              TRX_OK);
    ASSERT_TRUE(WaitFor(WM_TRX_CONVERT_END, job, kConversionWait));
    EXPECT_EQ(MessagesOf(job), (std::vector<UINT> {WM_TRX_CONVERT_ERROR, WM_TRX_CONVERT_END}));
    EXPECT_EQ(ParameterOf(job, WM_TRX_CONVERT_ERROR), 0);
    TrxAbortConvert(job);
}

TEST_F(Conversion, AFullDiskEndsTheConversionWithErrorZero) {
    // Long enough that the writer is still busy when the disk is first
    // checked, 200 ms in, on any machine (the check stops it there).
    const std::string input = MakeAvi("long.avi", 600);
    SetFreeSpaceProbe([](const std::wstring&, std::uint64_t& bytes) {
        bytes = 1000;
        return true;
    });
    const TrxJob job = Convert(input, "full.3gp", 0);
    EXPECT_EQ(MessagesOf(job), (std::vector<UINT> {WM_TRX_CONVERT_START, WM_TRX_CONVERT_ERROR, WM_TRX_CONVERT_END}));
    EXPECT_EQ(ParameterOf(job, WM_TRX_CONVERT_ERROR), 0);
    TrxAbortConvert(job);
}

TEST_F(Conversion, AbortingInTheMiddleLeavesAPlayableFile) {
    const std::string input = MakeAvi("long.avi", 600);
    const MobileVideoConf& profile = app::PhoneProfile(3);
    TrxSetMobileConfig(&profile);
    CNTConfig request {};
    request.nResampleMode = 1;
    request.nTargetPhone = 3;
    request.nVideoQuality = 2;
    request.nAudioQuality = 1;
    request.llStart = -1;
    request.llEnd = 6000000000;
    const std::wstring output = File("aborted.mp4", "");
    TrxJob job = nullptr;
    ASSERT_EQ(TrxConvert(owner_, Utf8ToWide(input).c_str(), output.c_str(), &request, &job), TRX_OK);
    ASSERT_TRUE(WaitFor(WM_TRX_CONVERT_START, job, kConversionWait));
    std::int64_t position = 0;
    std::int64_t size = 0;
    const ULONGLONG end = GetTickCount64() + 10000;
    while (position < 10000000 && GetTickCount64() < end) {
        Sleep(5);
        TrxGetConvertPosition(job, &position, &size);
    }
    ASSERT_EQ(TrxAbortConvert(job), TRX_OK);
    // A conversion stopped by its owner posts no error.
    for (UINT message : MessagesOf(job)) EXPECT_NE(message, WM_TRX_CONVERT_ERROR);
    const std::vector<StreamInfo> streams = testing::ReadBack(dir_.File("aborted.mp4"));
    ASSERT_EQ(streams.size(), 2u);
    for (const StreamInfo& stream : streams) EXPECT_GT(stream.seconds, 0.5);
    // The sound, quicker to code, may be whole; the pictures stopped early.
    const StreamInfo& video = streams[0].width > 0 ? streams[0] : streams[1];
    EXPECT_LT(video.seconds, 300) << "the conversion stopped well before the end";
    EXPECT_EQ(testing::DecodeErrors(dir_.File("aborted.mp4")), 0);
}

}  // namespace
}  // namespace movanta::engine
