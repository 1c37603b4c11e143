// The writer core with pictures, ADTS blocks and AMR blocks built here.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "box_reader.h"
#include "dump.h"
#include "mp4_muxer.h"
#include "testing/media.h"
#include "testing/testing.h"

namespace {

using movanta::muxer::AudioKind;
using movanta::muxer::CMp4Muxer;
using movanta::muxer::VideoKind;

std::vector<std::uint8_t> H263Picture(int format, bool intra, std::size_t payload = 200) {
    std::vector<std::uint8_t> picture = {0x00, 0x00, 0x80, 0x02,
                                         static_cast<std::uint8_t>((format << 2) | (intra ? 0 : 2))};
    picture.resize(picture.size() + payload, 0x5A);
    return picture;
}

// One ADTS frame: 7-byte header (no CRC) and `payload` bytes.
std::vector<std::uint8_t> AdtsFrame(bool mpeg2, int profile, int rateIndex, int channels, std::size_t payload) {
    const std::size_t length = 7 + payload;
    std::vector<std::uint8_t> frame = {0xFF,
                                       static_cast<std::uint8_t>(0xF1 | (mpeg2 ? 0x08 : 0)),
                                       static_cast<std::uint8_t>((profile << 6) | (rateIndex << 2) | (channels >> 2)),
                                       static_cast<std::uint8_t>(((channels & 3) << 6) | ((length >> 11) & 3)),
                                       static_cast<std::uint8_t>(length >> 3),
                                       static_cast<std::uint8_t>(((length & 7) << 5) | 0x1F),
                                       0xFC};
    frame.resize(length, 0x21);
    return frame;
}

class CoreTest : public ::testing::Test {
protected:
    std::string Dump(const std::string& path) {
        std::string text;
        EXPECT_TRUE(mp4file::DumpFile(path, text)) << text;
        return text;
    }
    std::vector<mp4file::Box> Tracks(mp4file::BoxReader& reader) {
        std::vector<mp4file::Box> tracks;
        for (const auto& top : reader.TopLevel()) {
            if (top.type != "moov") continue;
            for (const auto& child : reader.Children(top)) {
                if (child.type == "trak") tracks.push_back(child);
            }
        }
        return tracks;
    }
    movanta::testing::TempDir dir_;
    CMp4Muxer muxer_;
};

TEST_F(CoreTest, Mpeg4HeadersBecomeTheConfigurationAndSamplesStartAtTheVop) {
    const auto video = movanta::testing::EncodeVideo("mpeg4", 25);
    // The first picture carries the headers (and the encoder's group header)
    // in front of its VOP: exactly those bytes become the configuration.
    std::vector<std::uint8_t> headers = video.config;
    const auto& first = video.units[0].data;
    for (size_t i = 0; i + 3 < first.size(); ++i) {
        if (first[i] == 0 && first[i + 1] == 0 && first[i + 2] == 1 && first[i + 3] == 0xB6) {
            headers.insert(headers.end(), first.begin(), first.begin() + i);
            break;
        }
    }
    const std::string path = dir_.File("clip.mp4");
    ASSERT_TRUE(muxer_.Init(path, 0));
    muxer_.SetVideoKind(VideoKind::Mpeg4);
    for (size_t i = 0; i < video.units.size(); ++i) {
        std::vector<std::uint8_t> picture = video.units[i].data;
        if (i == 0) picture.insert(picture.begin(), video.config.begin(), video.config.end());
        EXPECT_EQ(muxer_.WriteVideo(picture.data(), std::uint32_t(picture.size()), 400000, i * 400000), 0);
    }
    EXPECT_EQ(muxer_.WriteVideo(video.config.data(), 3, 400000, 0), 1) << "shorter than 4 bytes";
    muxer_.Release(0);

    auto reader = mp4file::BoxReader::Open(path);
    const auto tracks = Tracks(*reader);
    ASSERT_EQ(tracks.size(), 2u) << "the picture track and its hint track";
    const auto samples = mp4file::TrackSampleLocations(*reader, tracks[0]);
    ASSERT_EQ(samples.size(), 25u);
    std::uint8_t head[4];
    reader->Read(samples[0].offset, head, 4);
    EXPECT_EQ(std::vector<std::uint8_t>(head, head + 4), (std::vector<std::uint8_t> {0, 0, 1, 0xB6}));
    const std::string text = Dump(path);
    std::string hex;
    for (std::uint8_t b : headers) {
        char two[3];
        std::snprintf(two, sizeof two, "%02X", b);
        hex += two;
    }
    EXPECT_NE(text.find("config=" + hex + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[mp4v] width=176 height=144"), std::string::npos) << text;
    EXPECT_NE(text.find("handler=hint"), std::string::npos);
    EXPECT_NE(text.find("visual=0x"), std::string::npos);

    const auto streams = movanta::testing::ReadBack(path);
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].packets.size(), 25u);
    EXPECT_NEAR(streams[0].seconds, 1.0, 0.001);
}

TEST_F(CoreTest, H263PicturesSizeTheTrackAndUnknownFormatsWriteNothing) {
    const std::pair<int, const char*> sizes[] = {{1, "width=128 height=96"},
                                                 {2, "width=176 height=144"},
                                                 {3, "width=352 height=288"},
                                                 {4, "width=704 height=576"},
                                                 {5, "width=1408 height=1152"}};
    for (const auto& [format, size] : sizes) {
        const std::string path = dir_.File("f" + std::to_string(format) + ".3gp");
        ASSERT_TRUE(muxer_.Init(path, 1));
        muxer_.SetVideoKind(VideoKind::H263);
        const auto intra = H263Picture(format, true);
        const auto inter = H263Picture(format, false);
        EXPECT_EQ(muxer_.WriteVideo(intra.data(), std::uint32_t(intra.size()), 400000, 0), 0);
        EXPECT_EQ(muxer_.WriteVideo(inter.data(), std::uint32_t(inter.size()), 400000, 400000), 0);
        muxer_.Release(0);
        const std::string text = Dump(path);
        EXPECT_NE(text.find(std::string("[s263] ") + size), std::string::npos) << text;
        EXPECT_NE(text.find("[stss] size=20\n"), std::string::npos) << "one sync sample of two";
    }
    for (int format : {0, 6, 7}) {
        const std::string path = dir_.File("bad" + std::to_string(format) + ".3gp");
        ASSERT_TRUE(muxer_.Init(path, 1));
        muxer_.SetVideoKind(VideoKind::H263);
        const auto picture = H263Picture(format, true);
        EXPECT_EQ(muxer_.WriteVideo(picture.data(), std::uint32_t(picture.size()), 400000, 0), 1);
        EXPECT_EQ(muxer_.WriteVideo(picture.data(), 4, 400000, 0), 1) << "shorter than 5 bytes";
        muxer_.Release(0);
        EXPECT_EQ(Dump(path).find("[trak]"), std::string::npos);
    }
}

TEST_F(CoreTest, AdtsProfilesGiveTheTrackTypeAndConfiguration) {
    struct Case {
        bool mpeg2;
        int profile;
        const char* expected;
    };
    const Case cases[] = {{false, 1, "object_type=0x40"},
                          {true, 0, "object_type=0x66"},
                          {true, 1, "object_type=0x67"},
                          {true, 2, "object_type=0x68"}};
    for (const Case& c : cases) {
        const std::string path = dir_.File("a.mp4");
        ASSERT_TRUE(muxer_.Init(path, 0));
        muxer_.SetAudioKind(AudioKind::Aac);
        std::vector<std::uint8_t> block;
        for (int i = 0; i < 3; ++i) {
            const auto frame = AdtsFrame(c.mpeg2, c.profile, 4, 2, 100 + i);
            block.insert(block.end(), frame.begin(), frame.end());
        }
        const auto partial = AdtsFrame(c.mpeg2, c.profile, 4, 2, 100);
        block.insert(block.end(), partial.begin(), partial.begin() + 50);  // cut short: dropped
        EXPECT_EQ(muxer_.WriteAudio(block.data(), std::uint32_t(block.size()), 0, 0), 0);
        muxer_.Release(0);
        const std::string text = Dump(path);
        EXPECT_NE(text.find(c.expected), std::string::npos) << text;
        // Object type profile + 1, rate index 4 (44100 Hz), two channels.
        const std::string config = c.profile == 0 ? "config=0A10" : c.profile == 1 ? "config=1210" : "config=1A10";
        EXPECT_NE(text.find(config), std::string::npos) << text;
        EXPECT_NE(text.find("samplerate=44100"), std::string::npos);
        EXPECT_NE(text.find("samples=3"), std::string::npos) << text;
    }
    const std::string path = dir_.File("ssr.mp4");
    ASSERT_TRUE(muxer_.Init(path, 0));
    const auto frame = AdtsFrame(true, 3, 4, 2, 100);
    EXPECT_EQ(muxer_.WriteAudio(frame.data(), std::uint32_t(frame.size()), 0, 0), 1) << "MPEG-2 profile 3";
    muxer_.Release(0);
    EXPECT_EQ(Dump(path).find("[trak]"), std::string::npos);
}

TEST_F(CoreTest, AmrBlocksBecomeOneFramePerSample) {
    const std::string path = dir_.File("amr.3gp");
    ASSERT_TRUE(muxer_.Init(path, 1));
    muxer_.SetAudioKind(AudioKind::AmrNb);
    const std::uint8_t header[] = {'#', '!', 'A', 'M', 'R', '\n'};
    EXPECT_EQ(muxer_.WriteAudio(header, 5, 0, 0), 1) << "a first block of 5 bytes";
    EXPECT_EQ(muxer_.WriteAudio(header, 6, 0, 0), 0) << "exactly the file header";
    std::vector<std::uint8_t> block;
    block.push_back(0x3C);  // type 7: 31 speech bytes
    block.resize(32, 0x11);
    block.push_back(0x7C);  // type 15: no data
    block.push_back(0x04);  // type 0: 12 speech bytes, cut after 5
    block.resize(block.size() + 5, 0x22);
    EXPECT_EQ(muxer_.WriteAudio(block.data(), std::uint32_t(block.size()), 0, 0), 0);
    // A block that repeats the file header has it skipped too.
    std::vector<std::uint8_t> again(header, header + 6);
    again.push_back(0x7C);
    EXPECT_EQ(muxer_.WriteAudio(again.data(), std::uint32_t(again.size()), 0, 0), 0);
    muxer_.Release(0);

    auto reader = mp4file::BoxReader::Open(path);
    const auto tracks = Tracks(*reader);
    ASSERT_EQ(tracks.size(), 1u);
    const auto samples = mp4file::TrackSampleLocations(*reader, tracks[0]);
    ASSERT_EQ(samples.size(), 3u);
    EXPECT_EQ(samples[0].size, 32u);
    EXPECT_EQ(samples[1].size, 1u);
    EXPECT_EQ(samples[2].size, 1u);
    const std::string text = Dump(path);
    EXPECT_NE(text.find("mode_set=0x8100"), std::string::npos) << text;
    EXPECT_NE(text.find("audio=0x0F"), std::string::npos) << text;

    std::ifstream in(path, std::ios::binary);
    unsigned char head[24];
    in.read(reinterpret_cast<char*>(head), sizeof head);
    const unsigned char expected[24] = {0, 0, 0, 24, 'f', 't', 'y', 'p', '3', 'g', 'p', '5',
                                        0, 0, 0, 1,  '3', 'g', 'p', '5', '3', 'g', 'p', '4'};
    EXPECT_EQ(std::memcmp(head, expected, 24), 0);
}

TEST_F(CoreTest, AFirstAmrBlockWithoutTheFileHeaderIsAllFrames) {
    // The block with the header went before the file: a seek flushed it.
    const std::string path = dir_.File("flushed.3gp");
    ASSERT_TRUE(muxer_.Init(path, 1));
    muxer_.SetAudioKind(AudioKind::AmrNb);
    std::vector<std::uint8_t> block;
    for (int frame = 0; frame < 3; ++frame) {
        block.push_back(0x34);  // type 6: 26 speech bytes
        block.resize(block.size() + 26, static_cast<std::uint8_t>(frame));
    }
    EXPECT_EQ(muxer_.WriteAudio(block.data(), std::uint32_t(block.size()), 0, 0), 0);
    muxer_.Release(0);
    auto reader = mp4file::BoxReader::Open(path);
    const auto samples = mp4file::TrackSampleLocations(*reader, Tracks(*reader)[0]);
    ASSERT_EQ(samples.size(), 3u);
    for (const auto& sample : samples) EXPECT_EQ(sample.size, 27u);
}

TEST_F(CoreTest, AnOversizeUnitIsRefusedAndTheRestOfThePictureKept) {
    const std::string path = dir_.File("big.mp4");
    ASSERT_TRUE(muxer_.Init(path, 0));
    muxer_.SetVideoKind(VideoKind::Mpeg4);
    std::vector<std::uint8_t> picture = {0, 0, 1, 0xB6, 0x00};
    picture.resize(CMp4Muxer::kUnitBufferSize + 10, 0x33);  // a VOP unit too large
    const std::vector<std::uint8_t> small = {0, 0, 1, 0xB6, 0x40, 1, 2, 3};
    picture.insert(picture.end(), small.begin(), small.end());
    EXPECT_EQ(muxer_.WriteVideo(picture.data(), std::uint32_t(picture.size()), 400000, 0), 0);
    muxer_.Release(0);
    auto reader = mp4file::BoxReader::Open(path);
    const auto tracks = Tracks(*reader);
    ASSERT_FALSE(tracks.empty());
    const auto samples = mp4file::TrackSampleLocations(*reader, tracks[0]);
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_EQ(samples[0].size, small.size());
}

}  // namespace
