// Conversions of damaged home videos: bit flips, cut ends, zeroed runs and
// damaged headers in files of several kinds. Each conversion ends soon after
// the readable part is done, and succeeds only with a file that holds some
// of the clip.
#include <chrono>
#include <random>

#include "conversion_fixture.h"

namespace movanta::engine {
namespace {

// One damage of `bytes`, chosen by `seed`.
std::string Damaged(std::string bytes, unsigned seed) {
    std::mt19937 random(seed);
    const size_t size = bytes.size();
    auto at = [&](size_t from, size_t to) { return std::uniform_int_distribution<size_t>(from, to - 1)(random); };
    switch (seed % 5) {
        case 0:  // bit flips
            for (int i = 0; i < 20; ++i) bytes[at(0, size)] ^= static_cast<char>(1 << (random() % 8));
            break;
        case 1:  // the end cut off
            bytes.resize(at(size / 4, size));
            break;
        case 2: {  // a run of zeros
            const size_t from = at(0, size);
            std::fill(bytes.begin() + static_cast<long>(from),
                      bytes.begin() + static_cast<long>(std::min(size, from + 4096)), '\0');
            break;
        }
        case 3:  // the header damaged
            for (int i = 0; i < 8; ++i) bytes[at(0, std::min<size_t>(size, 512))] = static_cast<char>(random());
            break;
        default: {  // a chunk spliced in from elsewhere
            const size_t from = at(0, size / 2);
            const size_t to = at(size / 2, size);
            std::copy_n(bytes.begin() + static_cast<long>(from), std::min<size_t>(2048, size - to),
                        bytes.begin() + static_cast<long>(to));
            break;
        }
    }
    return bytes;
}

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
        std::ifstream file(original, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        for (unsigned seed = 1; seed <= 10; ++seed) {
            const std::string damaged = original + "." + std::to_string(seed) + original.substr(original.rfind('.'));
            SCOPED_TRACE(damaged);
            std::ofstream(damaged, std::ios::binary) << Damaged(bytes, seed);
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

}  // namespace
}  // namespace movanta::engine
