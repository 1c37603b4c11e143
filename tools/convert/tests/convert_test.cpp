// movanta-convert: its command line, and whole runs of the program with
// every plug-in registered: a conversion, the outputs it refuses, failures
// that leave nothing behind (file systems that refuse bytes among them),
// and Ctrl-C keeping a playable part.
#include <gtest/gtest.h>

#include <sys/mount.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "convert_fixture.h"
#include "convert_options.h"
#include "testing/media.h"
#include "testing/testing.h"

namespace movanta::convert {
namespace {

namespace fs = std::filesystem;

std::optional<Options> Parse(std::vector<std::string> arguments, std::string* error = nullptr) {
    std::string reason;
    auto options = ParseOptions(arguments, reason);
    if (error != nullptr) *error = reason;
    return options;
}

TEST(ConvertOptions, TimesAreSecondsOrClockReadings) {
    EXPECT_EQ(ParseTime("12.5"), 125000000);
    EXPECT_EQ(ParseTime("1:02.5"), 625000000);
    EXPECT_EQ(ParseTime("1:00:00"), 36000000000);
    EXPECT_EQ(ParseTime("0"), 0);
    for (const char* bad : {"", "-1", "1:2:3:4", "1.5:00", "abc", "1e3", ":", "1:"}) {
        EXPECT_FALSE(ParseTime(bad)) << bad;
    }
}

TEST(ConvertOptions, ArgumentsAndTheirRanges) {
    auto options = Parse({"--phone", "3", "--video-quality", "2", "--audio-quality", "0", "--start", "5", "--end",
                          "1:00", "in.avi", "out.mp4"});
    ASSERT_TRUE(options);
    EXPECT_EQ(options->mode, Options::Mode::Convert);
    EXPECT_EQ(options->phone, 3);
    EXPECT_EQ(options->videoQuality, 2);
    EXPECT_EQ(options->audioQuality, 0);
    EXPECT_EQ(*options->start, 50000000);
    EXPECT_EQ(*options->end, 600000000);
    EXPECT_EQ(options->input, "in.avi");
    EXPECT_EQ(options->output, "out.mp4");

    options = Parse({"in.avi", "out.3gp"});
    ASSERT_TRUE(options);
    EXPECT_EQ(options->phone, 0);
    EXPECT_EQ(options->videoQuality, 1);
    EXPECT_FALSE(options->start);
    EXPECT_EQ(Parse({})->mode, Options::Mode::Sample);
    EXPECT_EQ(Parse({"--info", "in.avi"})->mode, Options::Mode::Info);
    EXPECT_EQ(Parse({"--music", "--mp3-bitrate", "5", "in.avi", "out.mp3"})->mp3BitrateIndex, 5);

    std::string error;
    EXPECT_FALSE(Parse({"--phone", "5", "in.avi", "out.3gp"}, &error));
    EXPECT_EQ(error, "--phone takes 0 to 4, not \"5\"");
    EXPECT_FALSE(Parse({"--video-quality"}, &error));
    EXPECT_EQ(error, "--video-quality needs a value");
    EXPECT_FALSE(Parse({"--start", "10", "--end", "5", "in.avi", "out.3gp"}, &error));
    EXPECT_EQ(error, "the end must come after the start");
    EXPECT_FALSE(Parse({"--fast", "in.avi", "out.3gp"}, &error));
    EXPECT_EQ(error, "unknown option --fast");
    EXPECT_FALSE(Parse({"in.avi"}, &error));
    EXPECT_FALSE(Parse({"--info", "a.avi", "b.avi"}, &error));
}

class ConvertRun : public ConvertFixture {
protected:
    void SetUp() override {
        ConvertFixture::SetUp();
        input_ = Clip("clip.avi", 10);
    }
    int Convert(const std::vector<std::string>& arguments, std::string* output = nullptr) {
        std::vector<std::string> argv = {CONVERT_PATH};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return testing::Run(argv, output);
    }
    // Files in the folder other than the input.
    std::vector<std::string> Left() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_.Path())) {
            if (entry.path() != input_) names.push_back(entry.path().filename().string());
        }
        return names;
    }

    std::string input_;
};

TEST_F(ConvertRun, ConvertsShowingTheEstimateAndProgress) {
    std::string output;
    ASSERT_EQ(Convert({"--phone", "4", "--end", "4", input_, dir_.File("out.3gp")}, &output), 0) << output;
    // Phone 4's 3GP files carry AAC: (256000 + 64000) bit/s for 4 s.
    EXPECT_NE(output.find("Estimated size: 160KB"), std::string::npos) << output;
    EXPECT_NE(output.find("of 4.0 s"), std::string::npos) << output;
    EXPECT_NE(output.find("Wrote " + dir_.File("out.3gp")), std::string::npos) << output;
    EXPECT_EQ(Left(), std::vector<std::string> {"out.3gp"}) << "no temporary file left";
    const auto streams = testing::ReadBack(dir_.File("out.3gp"));
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_NEAR(streams[0].seconds, 4, 0.2);
    EXPECT_EQ(testing::DecodeErrors(dir_.File("out.3gp")), 0);

    ASSERT_EQ(Convert({"--info", input_}, &output), 0);
    EXPECT_NE(output.find("Video     MPEG4 176x144"), std::string::npos) << output;
}

TEST_F(ConvertRun, RefusesOutputsItCannotWriteAndLeavesNothingOnFailure) {
    std::string output;
    EXPECT_EQ(Convert({input_, input_}, &output), 2);
    EXPECT_NE(output.find("must end in .3gp or .mp4"), std::string::npos) << output;
    const std::string renamed = dir_.File("clip.mp4");
    fs::copy_file(input_, renamed);
    const auto size = fs::file_size(renamed);
    EXPECT_EQ(Convert({renamed, renamed}, &output), 2);
    EXPECT_NE(output.find("the output would overwrite the input"), std::string::npos) << output;
    EXPECT_EQ(fs::file_size(renamed), size);
    fs::remove(renamed);

    EXPECT_EQ(Convert({"--phone", "2", input_, dir_.File("out.mp4")}, &output), 2);
    EXPECT_NE(output.find("plays only .3gp files"), std::string::npos) << output;
    EXPECT_EQ(Convert({input_, dir_.File("no/folder/out.3gp")}, &output), 1);
    EXPECT_NE(output.find("cannot write"), std::string::npos) << output;
    EXPECT_EQ(Convert({dir_.File("missing.avi"), dir_.File("out.3gp")}, &output), 1);
    EXPECT_TRUE(Left().empty());

    // A damaged input fails; an older file of the output's name survives.
    std::ofstream(dir_.File("damaged.avi"), std::ios::binary) << "RIFF" << std::string(50000, '\x17');
    std::ofstream(dir_.File("keep.3gp")) << "older";
    EXPECT_EQ(Convert({dir_.File("damaged.avi"), dir_.File("keep.3gp")}, &output), 1);
    EXPECT_NE(output.find("movanta-convert: "), std::string::npos) << output;
    std::ifstream kept(dir_.File("keep.3gp"));
    std::string text;
    kept >> text;
    EXPECT_EQ(text, "older");
    fs::remove(dir_.File("damaged.avi"));
    EXPECT_EQ(Left(), std::vector<std::string> {"keep.3gp"});
}

TEST_F(ConvertRun, AFileSystemThatRefusesBytesFailsTheConversionAndKeepsNoFile) {
    // A file size limit of 16 KB: the writes past it fail (the signal that
    // would end the process is ignored, as a quota gives no signal).
    std::string output;
    const std::string limited = "trap '' XFSZ; ulimit -f 32; exec \"$0\" \"$@\"";
    EXPECT_EQ(testing::Run({"/bin/sh", "-c", limited, CONVERT_PATH, input_, dir_.File("limited.3gp")}, &output), 1)
        << output;
    EXPECT_NE(output.find("the disk is full or refused the file"), std::string::npos) << output;
    EXPECT_EQ(output.find("Wrote"), std::string::npos) << output;
    EXPECT_TRUE(Left().empty()) << "no partial file";

    // A full small file system, where this system lets the test make one.
    const std::string small = dir_.File("small");
    fs::create_directory(small);
    if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0) GTEST_SKIP() << "cannot mount a small file system";
    EXPECT_EQ(Convert({input_, small + "/full.3gp"}, &output), 1) << output;
    EXPECT_NE(output.find("the disk is full"), std::string::npos) << output;
    EXPECT_TRUE(fs::is_empty(small)) << "no partial file";
    EXPECT_EQ(umount(small.c_str()), 0);
}

TEST_F(ConvertRun, ARecordingCutShortConvertsWhatItHolds) {
    // An ASF file cut at three fifths no longer says how long it is.
    const testing::Encoded pictures = testing::EncodeVideo("wmv2", 75);
    const testing::Encoded sound = testing::EncodeAudio("wmav2", 44100, 2, 70);
    const std::string whole = dir_.File("whole.wmv");
    ASSERT_TRUE(testing::MuxFile(whole, "asf", {{"wmv2", &pictures}, {"wmav2", &sound, 0, 0, 44100, 2, 2048.0 / 44100}}));
    fs::resize_file(whole, fs::file_size(whole) * 3 / 5);
    std::string output;
    ASSERT_EQ(Convert({whole, dir_.File("cut.3gp")}, &output), 0) << output;
    EXPECT_NE(output.find("Estimated size: unknown"), std::string::npos) << output;
    const auto streams = testing::ReadBack(dir_.File("cut.3gp"));
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_GT(streams[0].seconds, 1.0) << "most of the three seconds that are left";
}

TEST_F(ConvertRun, InterruptingKeepsAPlayablePart) {
    // A long clip, so the interrupt comes while the conversion runs.
    const std::string longInput = Clip("long.avi", 240);
    testing::Child child({CONVERT_PATH, "--phone", "3", "--video-quality", "2", longInput, dir_.File("part.mp4")});
    for (std::string line = child.ReadLine(); !line.empty(); line = child.ReadLine()) {
        if (line.find(" of ") != std::string::npos && line.find("   0.0 s") == std::string::npos) break;
    }
    child.Kill(SIGINT);
    EXPECT_EQ(child.Wait(), 130);
    const auto streams = testing::ReadBack(dir_.File("part.mp4"));
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_GT(streams[0].seconds, 1);
    EXPECT_LT(streams[0].seconds, 230);
    EXPECT_EQ(testing::DecodeErrors(dir_.File("part.mp4")), 0);
}

}  // namespace
}  // namespace movanta::convert
