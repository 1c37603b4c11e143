// Conversions of the clips today's phones and cameras record: pictures of
// 4K and 8K, and pictures recorded turned with a display rotation.
#include <array>

#include "conversion_fixture.h"

namespace movanta::engine {
namespace {

using movanta::testing::Pattern;
using movanta::testing::PictureDecoder;

const StreamInfo* VideoOf(const std::vector<StreamInfo>& streams) {
    for (const StreamInfo& stream : streams) {
        if (stream.width > 0) return &stream;
    }
    return nullptr;
}

TEST_F(Conversion, PicturesOfFourAndEightKReachThePhonesSizeInBothFormats) {
    for (const auto& [width, height] : {std::pair {3840, 2160}, std::pair {7680, 4320}}) {
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        SCOPED_TRACE(size);
        const Encoded pictures = testing::EncodeVideo("libx264", 5, width, height);
        const std::string input = Make(size + ".mp4", "mp4", {{"h264", &pictures, width, height}});
        for (const char* extension : {".3gp", ".mp4"}) {
            const std::string output = "phone" + size + extension;
            const TrxJob job = Convert(input, output, 0);
            EXPECT_EQ(MessagesOf(job), (std::vector<UINT> {WM_TRX_CONVERT_START, WM_TRX_CONVERT_END})) << output;
            TrxAbortConvert(job);
            const std::vector<StreamInfo> streams = testing::ReadBack(dir_.File(output));
            const StreamInfo* video = VideoOf(streams);
            ASSERT_NE(video, nullptr) << output;
            EXPECT_EQ(video->width, 176) << output;
            EXPECT_EQ(video->height, 144) << output;
            EXPECT_GE(video->packets.size(), 2u) << output;
            EXPECT_EQ(testing::DecodeErrors(dir_.File(output)), 0) << output;
        }
    }
}

// The corner of the picture that is brightest: 0 top left, 1 top right,
// 2 bottom right, 3 bottom left.
int BrightCorner(const PictureDecoder::Picture& picture) {
    const int w = picture.width / 8;
    const int h = picture.height / 8;
    const std::array<std::pair<int, int>, 4> origins = {
        {{0, 0}, {picture.width - w, 0}, {picture.width - w, picture.height - h}, {0, picture.height - h}}};
    int brightest = -1;
    long best = -1;
    for (int corner = 0; corner < 4; ++corner) {
        long sum = 0;
        for (int y = origins[corner].second; y < origins[corner].second + h; ++y) {
            for (int x = origins[corner].first; x < origins[corner].first + w; ++x) {
                sum += picture.luma[static_cast<size_t>(y) * picture.width + x];
            }
        }
        if (sum > best) {
            best = sum;
            brightest = corner;
        }
    }
    return brightest;
}

TEST_F(Conversion, ClipsRecordedTurnedConvertUprightAndProbeAtTheSizeShown) {
    // The top left corner is marked; a player turns the picture clockwise
    // by the rotation, which takes the mark round a corner a quarter turn.
    const Encoded pictures = testing::EncodeVideo("mpeg4", 25, 320, 240, Pattern::kMarkedCorner);
    for (int rotation : {0, 90, 180, 270}) {
        SCOPED_TRACE(rotation);
        const std::string name = "turned" + std::to_string(rotation);
        MuxStream stream {"mpeg4", &pictures, 320, 240};
        stream.rotation = rotation;
        const std::string input = Make(name + ".mp4", "mp4", {stream});

        MediaInfo info {};
        ASSERT_EQ(TrxGetFileInfo(Utf8ToWide(input).c_str(), &info), TRX_OK);
        const bool across = rotation % 180 != 0;
        // The record is packed: its fields are read by value.
        const std::uint32_t width = info.nVideoWidth;
        const std::uint32_t height = info.nVideoHeight;
        EXPECT_EQ(width, across ? 240u : 320u);
        EXPECT_EQ(height, across ? 320u : 240u);

        const TrxJob job = Convert(input, name + ".3gp", 0);
        EXPECT_EQ(MessagesOf(job), (std::vector<UINT> {WM_TRX_CONVERT_START, WM_TRX_CONVERT_END}));
        TrxAbortConvert(job);
        const std::vector<StreamInfo> streams = testing::ReadBack(dir_.File(name + ".3gp"));
        const StreamInfo* video = VideoOf(streams);
        ASSERT_NE(video, nullptr);
        ASSERT_FALSE(video->packets.empty());
        PictureDecoder decoder("h263");
        PictureDecoder::Picture last;
        for (const testing::Unit& packet : video->packets) {
            PictureDecoder::Picture picture = decoder.Decode(packet.data);
            if (picture.width > 0) last = std::move(picture);
        }
        ASSERT_EQ(last.width, 176);
        EXPECT_EQ(BrightCorner(last), rotation / 90);
    }
}

}  // namespace
}  // namespace movanta::engine
