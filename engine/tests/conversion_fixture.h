// The fixture of whole conversions through the engine's exports with every
// plug-in of a real installation registered: the files are read back with
// libavformat and decoded with libavcodec, apart from this system's own code.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "all_plugins.h"
#include "app/phone_profiles.h"
#include "engine/free_space.h"
#include "owner_fixture.h"
#include "testing/media.h"

namespace movanta::engine {

using movanta::testing::Encoded;
using movanta::testing::MuxStream;
using movanta::testing::StreamInfo;

constexpr double kClipSeconds = 2.0;
constexpr ULONGLONG kConversionWait = 60000;

struct Expected {
    std::string video;  // libavcodec's codec name, empty for none
    std::string audio;
};

class Conversion : public enginetest::OwnerFixture {
protected:
    static void SetUpTestSuite() { setenv("SDL_AUDIODRIVER", "dummy", 1); }
    void SetUp() override {
        for (const char* plugin : {PLUGINS}) Register(plugin);
        OwnerFixture::SetUp();
    }
    void TearDown() override {
        SetFreeSpaceProbe(nullptr);
        OwnerFixture::TearDown();
    }

    // An AVI of `seconds` with MPEG-4 video and stereo 44.1 kHz MP3 audio.
    std::string MakeAvi(const std::string& name, double seconds, bool video = true, bool audio = true) {
        static const Encoded pictures = testing::EncodeVideo("mpeg4", 250);
        static const Encoded sound = testing::EncodeAudio("libmp3lame", 44100, 2, 400);
        // Longer clips repeat the units made once.
        Encoded v = pictures;
        Encoded a = sound;
        v.units.resize(static_cast<size_t>(seconds * 25));
        a.units.resize(static_cast<size_t>(seconds * 44100 / 1152));
        for (size_t i = pictures.units.size(); i < v.units.size(); ++i)
            v.units[i] = pictures.units[i % pictures.units.size()];
        for (size_t i = sound.units.size(); i < a.units.size(); ++i) a.units[i] = sound.units[i % sound.units.size()];
        std::vector<MuxStream> streams;
        if (video) streams.push_back({"mpeg4", &v});
        if (audio) streams.push_back({"mp3", &a, 0, 0, 44100, 2, 1152.0 / 44100});
        return Make(name, "avi", streams);
    }
    std::string Make(const std::string& name, const char* format, const std::vector<MuxStream>& streams) {
        const std::string path = dir_.File(name);
        EXPECT_TRUE(movanta::testing::MuxFile(path, format, streams)) << name;
        return path;
    }

    // Runs one conversion to its end; the messages' parameters are in received_.
    TrxJob Convert(const std::string& input, const std::string& output, int phone, int videoQuality = 1,
                   int audioQuality = 1, std::int64_t start = -1, std::int64_t end = -1) {
        const MobileVideoConf& profile = app::PhoneProfile(phone);
        EXPECT_EQ(TrxSetMobileConfig(&profile), TRX_OK);
        CNTConfig request {};
        request.nDstWidth = profile.nWidth;
        request.nDstHeight = profile.nHeight;
        request.nResampleMode = 1;
        request.nTargetPhone = phone;
        request.nVideoQuality = videoQuality;
        request.nAudioQuality = audioQuality;
        request.nSysFormat = TRX_SYS_MP4;
        request.llStart = start;
        request.llEnd = end < 0 ? static_cast<std::int64_t>(kClipSeconds * 1e7) : end;
        const std::wstring target = File(output, "");
        received_.clear();
        TrxJob job = nullptr;
        EXPECT_EQ(TrxConvert(owner_, Utf8ToWide(input).c_str(), target.c_str(), &request, &job), TRX_OK);
        EXPECT_TRUE(WaitFor(WM_TRX_CONVERT_END, job, kConversionWait)) << output;
        return job;
    }

    // The checks every phone file must pass.
    void CheckPhoneFile(const std::string& path, int phone, int videoQuality, const Expected& expected,
                        double seconds) {
        SCOPED_TRACE(path);
        const MobileVideoConf& profile = app::PhoneProfile(phone);
        const bool threeGp = path.ends_with(".3gp");
        const std::string bytes = testing::FileBytes(path);
        ASSERT_GT(bytes.size(), 12u);
        EXPECT_EQ(bytes.substr(4, 8), threeGp ? "ftyp3gp5" : "ftypmp42");
        const std::vector<StreamInfo> streams = testing::ReadBack(path);
        const StreamInfo* video = nullptr;
        const StreamInfo* audio = nullptr;
        for (const StreamInfo& stream : streams) (stream.width > 0 ? video : audio) = &stream;
        const double frameRate = profile.fFrameRate[videoQuality];
        if (expected.video.empty()) {
            EXPECT_EQ(video, nullptr);
        } else {
            ASSERT_NE(video, nullptr);
            EXPECT_EQ(video->codec, expected.video);
            // H.263 places the picture in the smallest standard size that holds it.
            const bool cif = expected.video == "h263" && profile.nWidth > 176;
            EXPECT_EQ(video->width, cif ? 352 : profile.nWidth);
            EXPECT_EQ(video->height, cif ? 288 : profile.nHeight);
            // The file can be decoded from its first picture.
            ASSERT_FALSE(video->packets.empty());
            EXPECT_TRUE(video->packets.front().key);
            const double frame = 1.0 / (frameRate > 0 ? frameRate : 25);
            EXPECT_NEAR(video->seconds, seconds, frame + 0.01);
            if (frameRate > 0) {
                EXPECT_LE(video->packets.size(), std::ceil(seconds * frameRate) + 1);
            }
            // The MPEG-4 track carries its RTP hint track.
            if (expected.video == "mpeg4") {
                EXPECT_NE(bytes.find("hint"), std::string::npos);
            }
        }
        if (expected.audio.empty()) {
            EXPECT_EQ(audio, nullptr);
        } else {
            ASSERT_NE(audio, nullptr);
            EXPECT_EQ(audio->codec, expected.audio);
            EXPECT_EQ(audio->sampleRate, expected.audio == "amr_nb" ? 8000 : 48000);
            EXPECT_EQ(audio->channels, expected.audio == "amr_nb" ? 1 : 2);
            EXPECT_NEAR(audio->seconds, seconds, 0.15);
        }
        if (video != nullptr && audio != nullptr) {
            EXPECT_NEAR(video->startSeconds, audio->startSeconds, 0.1);
        }
        EXPECT_EQ(testing::DecodeErrors(path), 0);
    }
};

// The codecs each phone's list gives a format.
inline Expected CodecsOf(int phone, bool threeGp) {
    if (!threeGp) return {"mpeg4", "aac"};
    if (phone == 2) return {"mpeg4", "amr_nb"};
    return {"h263", phone == 4 ? "aac" : "amr_nb"};
}

}  // namespace movanta::engine
