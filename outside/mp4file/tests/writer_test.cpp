// Files written through the library, read back by libavformat and by our
// own box reader.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "box_reader.h"
#include "dump.h"
#include "testing/media.h"
#include "mp4file.h"
#include "testing/testing.h"

namespace {

using movanta::testing::Encoded;
using movanta::testing::StreamInfo;
using movanta::testing::Unit;

const char* const k3gpBrands[] = {"3gp5", "3gp4"};

const StreamInfo* Stream(const std::vector<StreamInfo>& streams, const std::string& codec) {
    for (const StreamInfo& stream : streams) {
        if (stream.codec == codec) return &stream;
    }
    return nullptr;
}

void ExpectSameUnits(const std::vector<Unit>& written, const std::vector<Unit>& read, bool checkKeys) {
    ASSERT_EQ(read.size(), written.size());
    for (size_t i = 0; i < written.size(); ++i) {
        EXPECT_EQ(read[i].data, written[i].data) << "sample " << i;
        if (checkKeys) {
            EXPECT_EQ(read[i].key, written[i].key) << "sample " << i;
        }
    }
}

class WriterTest : public ::testing::Test {
protected:
    std::string Path(const char* name) { return dir_.File(name); }

    // An MP4 with MPEG-4 video (hinted) and AAC audio, as the writer filter makes one.
    std::string WriteMp4(std::uint16_t maxPayload = 1460) {
        const std::string path = Path("clip.mp4");
        MP4FileHandle file = MP4Create(path.c_str(), MP4_DETAILS_ERROR);
        EXPECT_NE(file, MP4_INVALID_FILE_HANDLE);
        EXPECT_TRUE(MP4SetTimeScale(file, 10000));
        video_ = movanta::testing::EncodeVideo("mpeg4", 25);
        audio_ = movanta::testing::EncodeAac(43);
        videoTrack_ = MP4AddVideoTrack(file, 10000, 400, 176, 144, MP4_MPEG4_VIDEO_TYPE);
        EXPECT_EQ(MP4GetNumberOfTracks(file, MP4_VIDEO_TRACK_TYPE), 1u);
        MP4SetVideoProfileLevel(file, 0x03);
        EXPECT_TRUE(MP4SetTrackESConfiguration(file, videoTrack_, video_.config.data(),
                                               static_cast<std::uint32_t>(video_.config.size())));
        const MP4TrackId audio = MP4AddAudioTrack(file, 44100, 1024, MP4_MPEG4_AUDIO_TYPE);
        MP4SetAudioProfileLevel(file, 2);
        EXPECT_TRUE(MP4SetTrackESConfiguration(file, audio, audio_.config.data(),
                                               static_cast<std::uint32_t>(audio_.config.size())));
        // Interleaved as the two pins deliver them.
        size_t a = 0;
        for (size_t v = 0; v < video_.units.size(); ++v) {
            const Unit& unit = video_.units[v];
            EXPECT_TRUE(MP4WriteSample(file, videoTrack_, unit.data.data(), std::uint32_t(unit.data.size()), 400, 0,
                                       unit.key));
            for (; a < audio_.units.size() && a * 1024 * 25 <= (v + 1) * 44100; ++a) {
                EXPECT_TRUE(MP4WriteSample(file, audio, audio_.units[a].data.data(),
                                           std::uint32_t(audio_.units[a].data.size())));
            }
        }
        for (; a < audio_.units.size(); ++a) {
            MP4WriteSample(file, audio, audio_.units[a].data.data(), std::uint32_t(audio_.units[a].data.size()));
        }
        EXPECT_TRUE(MP4AV_Rfc3016Hinter(file, videoTrack_, maxPayload));
        EXPECT_TRUE(MP4Close(file));
        return path;
    }

    movanta::testing::TempDir dir_;
    Encoded video_;
    Encoded audio_;
    MP4TrackId videoTrack_ = MP4_INVALID_TRACK_ID;
};

TEST_F(WriterTest, AnMp4WithMpeg4VideoAndAacReadsBackSampleForSample) {
    const std::string path = WriteMp4();
    const auto streams = movanta::testing::ReadBack(path);
    const StreamInfo* video = Stream(streams, "mpeg4");
    const StreamInfo* audio = Stream(streams, "aac");
    ASSERT_NE(video, nullptr);
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(video->width, 176);
    EXPECT_EQ(video->height, 144);
    EXPECT_NEAR(video->seconds, 1.0, 0.001);
    EXPECT_EQ(audio->sampleRate, 44100);
    EXPECT_NEAR(audio->seconds, audio_.units.size() * 1024 / 44100.0, 0.001);
    ExpectSameUnits(video_.units, video->packets, true);
    ExpectSameUnits(audio_.units, audio->packets, false);

    std::ifstream file(path, std::ios::binary);
    char head[24];
    file.read(head, sizeof head);
    EXPECT_EQ(std::string(head + 4, 4), "ftyp");
    EXPECT_EQ(std::string(head + 8, 4), "mp42");
    EXPECT_EQ(std::string(head + 16, 8), "mp42isom");
}

TEST_F(WriterTest, A3gpFileWithH263AndAmrHasTheBrandsAndModeSetAskedFor) {
    const std::string path = Path("clip.3gp");
    MP4FileHandle file = MP4CreateEx(path.c_str(), 1, 0, 1, 1, "3gp5", 1, k3gpBrands, 2);
    ASSERT_NE(file, MP4_INVALID_FILE_HANDLE);
    MP4SetTimeScale(file, 10000);
    const Encoded video = movanta::testing::EncodeVideo("h263", 20);
    const std::vector<Unit> amr = movanta::testing::AmrFrames(40);
    const MP4TrackId videoTrack = MP4AddH263VideoTrack(file, 1000, 0, 176, 144, 10, 0, 0, 0);
    const MP4TrackId audioTrack = MP4AddAmrAudioTrack(file, 8000, 0, 0, 1, false);
    ASSERT_NE(videoTrack, MP4_INVALID_TRACK_ID);
    ASSERT_NE(audioTrack, MP4_INVALID_TRACK_ID);
    for (size_t i = 0; i < video.units.size(); ++i) {
        ASSERT_TRUE(MP4WriteSample(file, videoTrack, video.units[i].data.data(),
                                   std::uint32_t(video.units[i].data.size()), 40, 0, video.units[i].key));
        for (size_t f = i * 2; f < i * 2 + 2; ++f) {
            ASSERT_TRUE(MP4WriteSample(file, audioTrack, amr[f].data.data(), std::uint32_t(amr[f].data.size())));
        }
    }
    MP4SetAmrModeSet(file, audioTrack, 0x8100);
    EXPECT_FALSE(MP4AV_Rfc3016Hinter(file, videoTrack, 1460)) << "only MPEG-4 video is hinted";
    ASSERT_TRUE(MP4Close(file));

    std::ifstream in(path, std::ios::binary);
    unsigned char head[24];
    in.read(reinterpret_cast<char*>(head), sizeof head);
    const unsigned char expected[24] = {0,   0,   0,   24,  'f', 't', 'y', 'p', '3', 'g', 'p', '5',
                                        0,   0,   0,   1,   '3', 'g', 'p', '5', '3', 'g', 'p', '4'};
    EXPECT_EQ(std::memcmp(head, expected, 24), 0) << "the file-type box is not exactly the one asked for";

    const auto streams = movanta::testing::ReadBack(path);
    const StreamInfo* h263 = Stream(streams, "h263");
    const StreamInfo* amrStream = Stream(streams, "amr_nb");
    ASSERT_NE(h263, nullptr);
    ASSERT_NE(amrStream, nullptr);
    EXPECT_EQ(h263->width, 176);
    EXPECT_NEAR(h263->seconds, 0.8, 0.001);
    EXPECT_EQ(amrStream->sampleRate, 8000);
    EXPECT_NEAR(amrStream->seconds, 0.8, 0.001);
    ExpectSameUnits(video.units, h263->packets, true);
    ExpectSameUnits(amr, amrStream->packets, false);

    std::string dump;
    ASSERT_TRUE(mp4file::DumpFile(path, dump)) << dump;
    EXPECT_NE(dump.find("major=3gp5 minor=1 compatible=3gp5 3gp4"), std::string::npos) << dump;
    EXPECT_NE(dump.find("[damr] vendor=MVNT mode_set=0x8100 mode_change_period=0 frames_per_sample=1"),
              std::string::npos)
        << dump;
    EXPECT_NE(dump.find("[d263] vendor=MVNT level=10 profile=0"), std::string::npos) << dump;
}

TEST_F(WriterTest, HintPacketsReassembleThePicturesAndTheSdpIsWellFormed) {
    const std::uint16_t payload = 300;  // small, so pictures span several packets
    const std::string path = WriteMp4(payload);
    auto reader = mp4file::BoxReader::Open(path);
    ASSERT_TRUE(reader);
    std::vector<mp4file::Box> traks;
    for (const mp4file::Box& top : reader->TopLevel()) {
        if (top.type != "moov") continue;
        for (const mp4file::Box& child : reader->Children(top)) {
            if (child.type == "trak") traks.push_back(child);
        }
    }
    ASSERT_EQ(traks.size(), 3u);
    const mp4file::Box& hint = traks[2];
    const auto sdpBox = reader->Find(hint, "udta/hnti/sdp ");
    ASSERT_TRUE(sdpBox);
    const std::vector<std::uint8_t> sdpBytes = reader->Payload(*sdpBox);
    const std::string sdp(sdpBytes.begin(), sdpBytes.end());
    EXPECT_EQ(sdp.rfind("m=video 0 RTP/AVP 96\r\n", 0), 0u) << sdp;
    EXPECT_NE(sdp.find("a=rtpmap:96 MP4V-ES/90000\r\n"), std::string::npos) << sdp;
    std::string hex;
    for (std::uint8_t b : video_.config) {
        char two[3];
        std::snprintf(two, sizeof two, "%02X", b);
        hex += two;
    }
    EXPECT_NE(sdp.find("a=fmtp:96 profile-level-id="), std::string::npos) << sdp;
    EXPECT_NE(sdp.find("; config=" + hex + "\r\n"), std::string::npos) << sdp;
    const auto reference = reader->Find(hint, "tref/hint");
    ASSERT_TRUE(reference);
    EXPECT_EQ(reader->Payload(*reference), (std::vector<std::uint8_t> {0, 0, 0, std::uint8_t(videoTrack_)}));

    const auto pictures = mp4file::TrackSampleLocations(*reader, traks[0]);
    const auto hints = mp4file::TrackSampleLocations(*reader, hint);
    ASSERT_EQ(pictures.size(), video_.units.size());
    ASSERT_EQ(hints.size(), pictures.size());
    for (size_t i = 0; i < hints.size(); ++i) {
        std::vector<std::uint8_t> bytes(hints[i].size);
        ASSERT_TRUE(reader->Read(hints[i].offset, bytes.data(), bytes.size()));
        mp4file::FieldReader in(bytes);
        const auto packets = in.Read(2);
        in.Skip(2);
        std::vector<std::uint8_t> rebuilt;
        for (std::uint64_t p = 0; p < packets; ++p) {
            in.Skip(4);
            const auto first = in.Read(1);
            const auto second = in.Read(1);
            EXPECT_EQ(first, 0x80u);
            EXPECT_EQ(second & 0x7F, 96u);
            EXPECT_EQ((second & 0x80) != 0, p + 1 == packets) << "marker bit, picture " << i;
            in.Skip(4);
            ASSERT_EQ(in.Read(2), 1u);
            ASSERT_EQ(in.Read(1), 2u);  // sample constructor
            in.Skip(1);
            const auto length = in.Read(2);
            const auto sample = in.Read(4);
            const auto offset = in.Read(4);
            in.Skip(4);
            EXPECT_LE(length, payload);
            ASSERT_EQ(sample, i + 1);
            std::vector<std::uint8_t> part(length);
            ASSERT_TRUE(reader->Read(pictures[i].offset + offset, part.data(), part.size()));
            rebuilt.insert(rebuilt.end(), part.begin(), part.end());
        }
        ASSERT_FALSE(in.Failed());
        EXPECT_EQ(rebuilt, video_.units[i].data) << "picture " << i;
    }

    std::string dump;
    ASSERT_TRUE(mp4file::DumpFile(path, dump));
    EXPECT_NE(dump.find("sdp: a=rtpmap:96 MP4V-ES/90000"), std::string::npos) << dump;
    EXPECT_NE(dump.find("[tims] timescale=90000"), std::string::npos) << dump;
}

TEST_F(WriterTest, ATrackThatReceivedNoSamplesIsWrittenValidly) {
    const std::string path = Path("empty-video.mp4");
    MP4FileHandle file = MP4Create(path.c_str());
    const MP4TrackId video = MP4AddVideoTrack(file, 10000, 400, 176, 144);
    const MP4TrackId audio = MP4AddAmrAudioTrack(file, 8000, 0x8100, 0, 1, false);
    const std::vector<Unit> amr = movanta::testing::AmrFrames(10);
    for (const Unit& frame : amr) MP4WriteSample(file, audio, frame.data.data(), std::uint32_t(frame.data.size()));
    EXPECT_EQ(MP4GetTrackNumberOfSamples(file, video), 0u);
    EXPECT_FALSE(MP4AV_Rfc3016Hinter(file, video, 1460)) << "no samples: no hint track";
    ASSERT_TRUE(MP4Close(file));
    std::string dump;
    EXPECT_TRUE(mp4file::DumpFile(path, dump)) << dump;
    const auto streams = movanta::testing::ReadBack(path);
    const StreamInfo* amrStream = Stream(streams, "amr_nb");
    ASSERT_NE(amrStream, nullptr);
    ExpectSameUnits(amr, amrStream->packets, false);
}

TEST_F(WriterTest, CallsWithBadHandlesOrTracksAreRefused) {
    int local = 0;
    MP4FileHandle bogus = &local;
    const std::uint8_t byte = 0;
    EXPECT_EQ(MP4AddVideoTrack(bogus, 10000, 400, 176, 144), MP4_INVALID_TRACK_ID);
    EXPECT_FALSE(MP4WriteSample(bogus, 1, &byte, 1));
    EXPECT_FALSE(MP4Close(bogus));
    EXPECT_FALSE(MP4Close(MP4_INVALID_FILE_HANDLE));
    EXPECT_EQ(MP4Create(Path("no/such/folder/x.mp4").c_str()), MP4_INVALID_FILE_HANDLE);

    MP4FileHandle file = MP4Create(Path("ok.mp4").c_str());
    EXPECT_FALSE(MP4WriteSample(file, 7, &byte, 1));
    const MP4TrackId h263 = MP4AddH263VideoTrack(file, 1000, 0, 176, 144, 10, 0, 0, 0);
    EXPECT_FALSE(MP4SetTrackESConfiguration(file, h263, &byte, 1)) << "H.263 tracks have no esds";
    EXPECT_FALSE(MP4WriteSample(file, h263, nullptr, 10));
    EXPECT_TRUE(MP4Close(file));
    EXPECT_FALSE(MP4Close(file)) << "a closed handle is not a file any more";
}

TEST_F(WriterTest, AFailedWriteIsReportedAndCloseDoesNotClaimSuccess) {
    // In a child process limited to 64 KiB of file, as on a full disk.
    const std::string path = Path("limited.mp4");
    const Encoded video = movanta::testing::EncodeVideo("mpeg4", 50);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit {64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        MP4FileHandle file = MP4Create(path.c_str());
        const MP4TrackId track = MP4AddVideoTrack(file, 10000, 400, 176, 144);
        const bool failedBefore = MP4FileHasFailed(file);
        int refused = 0;
        for (int round = 0; round < 200; ++round) {  // several megabytes: past the write buffer
            for (const Unit& unit : video.units) {
                if (!MP4WriteSample(file, track, unit.data.data(), std::uint32_t(unit.data.size()), 400, 0, unit.key)) {
                    ++refused;
                }
            }
        }
        const bool failed = MP4FileHasFailed(file);
        const bool closed = MP4Close(file);
        _exit(!failedBefore && failed && refused > 0 && !closed ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "the writer crashed";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "a failed write was not reported, or close claimed success";
    EXPECT_FALSE(MP4FileHasFailed(nullptr));
}

TEST_F(WriterTest, AnHourOfSamplesCostsTableMemoryNotMedia) {
    auto residentKiB = [] {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
        }
        return 0L;
    };
    const std::string path = Path("hour.3gp");
    MP4FileHandle file = MP4CreateEx(path.c_str(), 1, 0, 1, 1, "3gp5", 1, k3gpBrands, 2);
    const MP4TrackId video = MP4AddH263VideoTrack(file, 1000, 0, 176, 144, 10, 0, 0, 0);
    const MP4TrackId audio = MP4AddAmrAudioTrack(file, 8000, 0x8100, 0, 1, false);
    std::vector<std::uint8_t> picture(1000, 0x55);
    const std::vector<Unit> amr = movanta::testing::AmrFrames(10);
    const long before = residentKiB();
    for (int i = 0; i < 25 * 3600; ++i) {
        ASSERT_TRUE(MP4WriteSample(file, video, picture.data(), 1000, 40, 0, i % 25 == 0));
        for (int f = 0; f < 2; ++f) {
            const Unit& frame = amr[(i * 2 + f) % amr.size()];
            ASSERT_TRUE(MP4WriteSample(file, audio, frame.data.data(), std::uint32_t(frame.data.size())));
        }
    }
    const long grown = residentKiB() - before;
    ASSERT_TRUE(MP4Close(file));
    EXPECT_LT(grown, 16 * 1024) << "memory grew by " << grown << " KiB for " << 25 * 3600 << " pictures";

    std::string dump;
    ASSERT_TRUE(mp4file::DumpFile(path, dump));
    EXPECT_NE(dump.find("samples=90000"), std::string::npos);
    EXPECT_NE(dump.find("samples=180000"), std::string::npos);
    EXPECT_NE(dump.find("[mvhd] size=108\n    timescale=1000 duration=3600000"), std::string::npos) << dump.substr(0, 600);
}

TEST_F(WriterTest, SixtyFourBitDataIsReadBack) {
    const std::string path = Path("large.mp4");
    MP4FileHandle file = MP4Create(path.c_str(), 0, MP4_CREATE_64BIT_DATA);
    const Encoded video = movanta::testing::EncodeVideo("mpeg4", 10);
    const MP4TrackId track = MP4AddVideoTrack(file, 10000, 400, 176, 144);
    MP4SetTrackESConfiguration(file, track, video.config.data(), std::uint32_t(video.config.size()));
    for (const Unit& unit : video.units) {
        MP4WriteSample(file, track, unit.data.data(), std::uint32_t(unit.data.size()), 400, 0, unit.key);
    }
    ASSERT_TRUE(MP4Close(file));
    std::string dump;
    ASSERT_TRUE(mp4file::DumpFile(path, dump));
    EXPECT_NE(dump.find("[co64]"), std::string::npos);
    const auto streams = movanta::testing::ReadBack(path);
    ASSERT_EQ(streams.size(), 1u);
    ExpectSameUnits(video.units, streams[0].packets, true);
}

TEST_F(WriterTest, Mp4dumpReadsFilesFromElsewhereAndSaysWhenOneIsDamaged) {
    const std::string path = Path("elsewhere.mp4");
    const Encoded video = movanta::testing::EncodeVideo("mpeg4", 10);
    ASSERT_TRUE(movanta::testing::MuxFile(path, "mp4", {{"mpeg4", &video}}));
    std::string dump;
    EXPECT_TRUE(mp4file::DumpFile(path, dump)) << dump;
    EXPECT_NE(dump.find("[mp4v] width=176 height=144"), std::string::npos) << dump;
    EXPECT_NE(dump.find("object_type=0x20"), std::string::npos) << dump;

    std::filesystem::resize_file(path, std::filesystem::file_size(path) - 20);
    dump.clear();
    EXPECT_FALSE(mp4file::DumpFile(path, dump));
    std::ofstream(Path("garbage.mp4")) << std::string(100, '\xff');
    dump.clear();
    EXPECT_FALSE(mp4file::DumpFile(Path("garbage.mp4"), dump));
}

}  // namespace
