// Conversions of damaged home videos: bit flips, cut ends, zeroed runs and
// damaged headers in files of several kinds. Each conversion ends soon after
// the readable part is done, and succeeds only with a file that holds some
// of the clip.
#include "conversion_fixture.h"
#include "testing/damage.h"

namespace movanta::engine {
namespace {

TEST_F(Conversion, DamagedFilesEndSoonAndSucceedOnlyWithSomeOfTheClip) {
    const Encoded wmv = testing::EncodeVideo("wmv2", 75, 320, 240);
    const Encoded wma = testing::EncodeAudio("wmav2", 44100, 2, 70);
    const Encoded h264 = testing::EncodeVideo("libx264", 75, 320, 240);
    const Encoded aac = testing::EncodeAac(130);
    const MuxStream audio {"aac", &aac, 0, 0, 44100, 2, 1024.0 / 44100};
    const std::string originals[] = {
        Make("clip.wmv", "asf", {{"wmv2", &wmv, 320, 240}, {"wmav2", &wma, 0, 0, 44100, 2, 2048.0 / 44100}}),
        Make("clip.mp4", "mp4", {{"h264", &h264, 320, 240}, audio}),
        Make("clip.mkv", "matroska", {{"h264", &h264, 320, 240}, audio}),
    };
    int converted = 0;
    for (const std::string& original : originals) {
        const std::string bytes = testing::FileBytes(original);
        for (unsigned seed = 1; seed <= 10; ++seed) {
            const std::string damaged = original + "." + std::to_string(seed) + original.substr(original.rfind('.'));
            SCOPED_TRACE(damaged);
            std::ofstream(damaged, std::ios::binary) << testing::Damaged(bytes, seed);
            const ULONGLONG began = GetTickCount64();
            const TrxJob job = Convert(damaged, "out.3gp", 0, 1, 1, -1, 30000000);
            EXPECT_LT(GetTickCount64() - began, 15000u) << "ended by the stall limit";
            const std::vector<UINT> messages = MessagesOf(job);
            TrxAbortConvert(job);
            if (std::find(messages.begin(), messages.end(), WM_TRX_CONVERT_ERROR) != messages.end()) {
                EXPECT_EQ(ParameterOf(job, WM_TRX_CONVERT_ERROR), TRX_ERR_OPEN);
            } else {
                const std::vector<StreamInfo> streams = testing::ReadBack(dir_.File("out.3gp"));
                ASSERT_FALSE(streams.empty()) << "a success without a track";
                double seconds = 0;
                for (const StreamInfo& stream : streams) seconds = std::max(seconds, stream.seconds);
                EXPECT_GT(seconds, 0.2);
                ++converted;
            }
            std::filesystem::remove(dir_.File("out.3gp"));
        }
    }
    // Cut ends and bit flips keep most files convertible; damaged headers
    // may not.
    EXPECT_GE(converted, 18);
}

// The seconds of video libavformat reads from a file at 25 pictures a second.
double ReadableSeconds(const std::string& path) {
    for (const StreamInfo& stream : testing::ReadBack(path))
        if (stream.width > 0) return static_cast<double>(stream.packets.size()) / 25;
    return 0;
}

// A four-second clip cut in the middle keeps what comes before the cut; one
// with a zeroed run in the middle keeps nearly all of its length: the
// conversion carries on past the damage, with both streams.
TEST_F(Conversion, DamageInTheMiddleKeepsTheClipUpToTheDamage) {
    const Encoded h264 = testing::EncodeVideo("libx264", 100, 320, 240);
    const Encoded aac = testing::EncodeAac(175);
    const std::string originals[] = {
        MakeAvi("clip.avi", 4.0),
        Make("clip.mkv", "matroska", {{"h264", &h264, 320, 240}, {"aac", &aac, 0, 0, 44100, 2, 1024.0 / 44100}}),
    };
    for (const std::string& original : originals) {
        const std::string bytes = testing::FileBytes(original);
        std::string zeroed = bytes;
        std::fill_n(zeroed.begin() + static_cast<long>(bytes.size() / 2), 4096, '\0');
        const std::pair<std::string, std::string> damaged[] = {
            {original + ".cut" + original.substr(original.rfind('.')), bytes.substr(0, bytes.size() / 2)},
            {original + ".zeroed" + original.substr(original.rfind('.')), zeroed},
        };
        for (const auto& [path, content] : damaged) {
            SCOPED_TRACE(path);
            std::ofstream(path, std::ios::binary) << content;
            const double readable = ReadableSeconds(path);
            const TrxJob job = Convert(path, "out.3gp", 0, 1, 1, -1, 40000000);
            const std::vector<UINT> messages = MessagesOf(job);
            TrxAbortConvert(job);
            ASSERT_EQ(std::find(messages.begin(), messages.end(), WM_TRX_CONVERT_ERROR), messages.end());
            const std::vector<StreamInfo> streams = testing::ReadBack(dir_.File("out.3gp"));
            ASSERT_EQ(streams.size(), 2u);
            for (const StreamInfo& stream : streams) {
                SCOPED_TRACE(stream.codec);
                EXPECT_GT(stream.seconds, readable - 0.4);
                EXPECT_LT(stream.seconds, 4.15);
            }
            EXPECT_NEAR(streams[0].startSeconds, streams[1].startSeconds, 0.1);
            // Everything decodes but the silence the damage left, which the
            // AMR encoder sends as comfort-noise and no-data frames that
            // libavcodec's decoder does not implement.
            const StreamInfo& amr = streams[0].codec == "amr_nb" ? streams[0] : streams[1];
            const auto silence = std::count_if(amr.packets.begin(), amr.packets.end(),
                                               [](const testing::Unit& frame) { return frame.data.size() <= 6; });
            EXPECT_EQ(testing::DecodeErrors(dir_.File("out.3gp")), silence);
            std::filesystem::remove(dir_.File("out.3gp"));
        }
    }
}

}  // namespace
}  // namespace movanta::engine
