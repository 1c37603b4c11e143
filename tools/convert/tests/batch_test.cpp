// movanta-convert for many files and for a size: the batch's command line,
// a folder of clips converted two at a time with the failures reported,
// Ctrl-C in the middle of a batch, and files fitted under a size.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "convert_fixture.h"
#include "convert_options.h"
#include "fit_plan.h"
#include "testing/media.h"
#include "testing/testing.h"

namespace movanta::convert {
namespace {
namespace fs = std::filesystem;

TEST(BatchOptions, ManyInputsGoWithAnOutputFolder) {
    std::string error;
    auto options = ParseOptions({"--format", "3gp", "--jobs", "2", "--overwrite", "a.avi", "b.mkv", "--output-dir", "out"},
                                error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->mode, Options::Mode::Batch);
    EXPECT_EQ(options->inputs, (std::vector<std::string> {"a.avi", "b.mkv"}));
    EXPECT_EQ(options->outputDir, "out");
    EXPECT_EQ(options->format, "3gp");
    EXPECT_EQ(options->jobs, 2);
    EXPECT_TRUE(options->overwrite);

    EXPECT_FALSE(ParseOptions({"--jobs", "2", "a.avi", "a.3gp"}, error));
    EXPECT_EQ(error, "--format, --jobs, --overwrite and --keep-partial go with --output-dir");
    EXPECT_FALSE(ParseOptions({"--format", "avi", "a.avi", "--output-dir", "out"}, error));
    EXPECT_EQ(error, "--format takes 3gp or mp4, not \"avi\"");
    EXPECT_FALSE(ParseOptions({"--jobs", "0", "a.avi", "--output-dir", "out"}, error));
    EXPECT_FALSE(ParseOptions({"--output-dir", "out"}, error));
    EXPECT_EQ(error, "--output-dir needs at least one input file");
    EXPECT_FALSE(ParseOptions({"--music", "a.avi", "--output-dir", "out"}, error));
}

class BatchRun : public ConvertFixture {
protected:
    std::vector<std::string> Outputs() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(out_)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string out_ = dir_.File("out");
};

TEST_F(BatchRun, ConvertsEveryInputTwoAtATimeAndReportsWhatFailedWithItsReason) {
    const std::string first = Clip("first.avi", 10);
    const std::string second = dir_.File("second.avi");
    fs::copy_file(first, second);
    const std::string broken = dir_.File("broken.avi");
    std::ofstream(broken) << "This is not a video file.\n";
    const std::string taken = dir_.File("taken.avi");
    fs::copy_file(first, taken);
    fs::create_directory(out_);
    std::ofstream(out_ + "/taken.3gp") << "older";

    std::string output;
    const std::vector<std::string> command = {CONVERT_PATH, "--format", "3gp", "--jobs", "2", first,   second,
                                              broken,       taken,      "--output-dir", out_};
    ASSERT_EQ(testing::Run(command, &output), 1) << output;
    EXPECT_EQ(Outputs(), (std::vector<std::string> {"first.3gp", "second.3gp", "taken.3gp"})) << output;
    for (const char* name : {"/first.3gp", "/second.3gp"}) {
        EXPECT_EQ(testing::ReadBack(out_ + name).size(), 2u) << name;
        EXPECT_EQ(testing::DecodeErrors(out_ + name), 0) << name;
    }
    std::ifstream older(out_ + "/taken.3gp");
    std::string kept;
    older >> kept;
    EXPECT_EQ(kept, "older") << "an existing file stays without --overwrite";
    // The two conversions ran at once: both started before either ended.
    const size_t firstEnd = output.find("Finished ");
    EXPECT_LT(output.find("Started " + first), firstEnd) << output;
    EXPECT_LT(output.find("Started " + second), firstEnd) << output;
    EXPECT_NE(output.find("Converted 2 of 4 file(s)"), std::string::npos) << output;
    EXPECT_NE(output.find("  " + broken + ": cannot read " + broken + ": it is not a media file"), std::string::npos)
        << output;
    EXPECT_NE(output.find("  " + taken + ": " + out_ + "/taken.3gp exists (--overwrite replaces it)"),
              std::string::npos)
        << output;

    // One at a time gives the same pictures (and as much sound: its frames
    // may start a few samples apart from run to run); --overwrite replaces
    // the old file.
    const auto twoAtATime = testing::ReadBack(out_ + "/first.3gp");
    ASSERT_EQ(testing::Run({CONVERT_PATH, "--format", "3gp", "--jobs", "1", "--overwrite", first, taken, "--output-dir",
                            out_},
                           &output),
              0)
        << output;
    const auto oneAtATime = testing::ReadBack(out_ + "/first.3gp");
    ASSERT_EQ(oneAtATime.size(), twoAtATime.size());
    for (const testing::StreamInfo& stream : oneAtATime) {
        const auto same = std::find_if(twoAtATime.begin(), twoAtATime.end(),
                                       [&](const testing::StreamInfo& other) { return other.codec == stream.codec; });
        ASSERT_NE(same, twoAtATime.end()) << stream.codec;
        if (stream.width > 0) {
            // The same pictures, coded alike; the picture headers' time
            // references follow where the file's times start, as the sound.
            ASSERT_EQ(stream.packets.size(), same->packets.size());
            for (size_t p = 0; p < stream.packets.size(); ++p) {
                const auto& a = stream.packets[p].data;
                const auto& b = same->packets[p].data;
                ASSERT_EQ(a.size(), b.size()) << "picture " << p;
                EXPECT_TRUE(std::equal(a.begin() + 5, a.end(), b.begin() + 5)) << "picture " << p;
            }
        } else {
            EXPECT_NEAR(static_cast<double>(stream.packets.size()), static_cast<double>(same->packets.size()), 1);
        }
    }
    EXPECT_EQ(testing::ReadBack(out_ + "/taken.3gp").size(), 2u);
}

TEST_F(BatchRun, CtrlCKeepsTheFinishedFilesAndRemovesTheUnfinished) {
    const std::string quick = Clip("quick.avi", 10);
    const std::string slow = Clip("slow.avi", 240);
    testing::Child batch({CONVERT_PATH, "--phone", "3", "--video-quality", "2", "--format", "mp4", "--jobs", "1", quick,
                          slow, "--output-dir", out_});
    for (std::string line = batch.ReadLine(); !line.empty(); line = batch.ReadLine()) {
        if (line.rfind("Started " + slow, 0) == 0) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    batch.Kill(SIGINT);
    std::string rest;
    for (std::string line = batch.ReadLine(); !line.empty(); line = batch.ReadLine()) rest += line + "\n";
    EXPECT_EQ(batch.Wait(), 130) << rest;
    EXPECT_EQ(Outputs(), std::vector<std::string> {"quick.mp4"}) << rest;
    EXPECT_NE(rest.find("Converted 1 of 2 file(s) before the stop"), std::string::npos) << rest;
    EXPECT_NE(rest.find("  " + slow + ": stopped"), std::string::npos) << rest;
}

TEST(FitSize, SizesAndTheRateThatFitsThem) {
    EXPECT_EQ(ParseSize("200k"), 200000);
    EXPECT_EQ(ParseSize("1.5M"), 1500000);
    EXPECT_EQ(ParseSize("300000"), 300000);
    for (const char* wrong : {"", "k", "-5k", "1.5G", "2e5", "0"}) EXPECT_FALSE(ParseSize(wrong)) << wrong;
    // 200 KB for 30 s with 7.4 kbit/s of sound leaves about 43 kbit/s.
    const auto thirty = VideoBitrateToFit(200000, 30, 7400, false);
    ASSERT_TRUE(thirty);
    EXPECT_NEAR(*thirty, 43000, 2000);
    EXPECT_FALSE(VideoBitrateToFit(20000, 60, 7400, false)) << "under 16 kbit/s";
    // A file 10 % over comes out lower by more than that.
    EXPECT_LT(LowerVideoBitrate(40000, 220000, 200000, 30, 7400, false), 36000);
}

TEST_F(BatchRun, FittingUnderASizeForTheMessagePhone) {
    // Half a minute under the phone's 200 KB; a minute, whose key pictures
    // alone (one every ten) take more than that, under 320 KB.
    const std::pair<int, std::string> cases[] = {{30, "200000"}, {60, "320000"}};
    for (const auto& [seconds, size] : cases) {
        SCOPED_TRACE(seconds);
        const std::string clip = Clip("clip" + std::to_string(seconds) + ".avi", seconds, 640, 480);
        const std::string fitted = dir_.File("fitted.3gp");
        std::string output;
        ASSERT_EQ(testing::Run({CONVERT_PATH, "--phone", "2", "--fit", size, clip, fitted}, &output), 0) << output;
        EXPECT_NE(output.find("Fitting under " + size + " bytes: video at "), std::string::npos) << output;
        EXPECT_LE(fs::file_size(fitted), std::stoul(size)) << output;
        const auto streams = testing::ReadBack(fitted);
        ASSERT_EQ(streams.size(), 2u);
        for (const auto& stream : streams) EXPECT_NEAR(stream.seconds, seconds, 0.3) << stream.codec;
        EXPECT_EQ(testing::DecodeErrors(fitted), 0);
        fs::remove(fitted);

        ASSERT_EQ(testing::Run({CONVERT_PATH, "--info", "--phone", "2", "--fit", size, clip}, &output), 0);
        EXPECT_NE(output.find("Fit       under " + size + " bytes for phone 2 (.3gp): video at "), std::string::npos)
            << output;
    }
    // A size no usable rate reaches: said, and no file kept.
    std::string output;
    EXPECT_EQ(testing::Run({CONVERT_PATH, "--phone", "2", "--fit", "40k", dir_.File("clip60.avi"),
                            dir_.File("small.3gp")},
                           &output),
              1);
    EXPECT_NE(output.find("cannot fit under 40000 bytes: even 16 kbit/s of video makes about"), std::string::npos)
        << output;
    EXPECT_FALSE(fs::exists(dir_.File("small.3gp")));
}

}  // namespace
}  // namespace movanta::convert
