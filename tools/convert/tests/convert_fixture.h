// The fixture of whole runs of movanta-convert: every plug-in registered in
// a private registry, a temporary folder, and clips made in it.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "all_plugins.h"
#include "com/server_file.h"
#include "testing/media.h"
#include "testing/testing.h"

namespace movanta::convert {

class ConvertFixture : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* plugin : {PLUGINS}) {
            std::string error;
            ASSERT_EQ(RegisterServerFile(plugin, true, error), ServerFileResult::Done) << error;
        }
    }
    // A clip of `seconds` (a multiple of ten): MPEG-4 pictures and stereo MP3
    // sound in an AVI, the same ten seconds repeated. The ten seconds are
    // encoded once for each picture size.
    std::string Clip(const std::string& name, int seconds, int width = 176, int height = 144) {
        static std::map<std::pair<int, int>, testing::Encoded> tenSecondsOfPictures;
        static const testing::Encoded tenSecondsOfSound = testing::EncodeAudio("libmp3lame", 44100, 2, 383);
        testing::Encoded& ten = tenSecondsOfPictures[{width, height}];
        if (ten.units.empty()) ten = testing::EncodeVideo("mpeg4", 250, width, height);
        testing::Encoded pictures = ten;
        testing::Encoded sound = tenSecondsOfSound;
        for (auto* encoded : {&pictures, &sound}) {
            const auto units = encoded->units;
            for (int r = 1; r < seconds / 10; ++r) encoded->units.insert(encoded->units.end(), units.begin(), units.end());
        }
        const std::string path = dir_.File(name);
        EXPECT_TRUE(
            testing::MuxFile(path, "avi",
                             {{"mpeg4", &pictures, width, height}, {"mp3", &sound, 0, 0, 44100, 2, 1152.0 / 44100}}));
        return path;
    }

    testing::ScopedRegistry registry_;
    testing::TempDir dir_;
};

}  // namespace movanta::convert
