#include "conversion_runner.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "app/phone_profiles.h"
#include "batch_plan.h"
#include "fit_plan.h"
#include "engine/convengine.h"
#include "progress_line.h"
#include "sample_clip.h"
#include "win/text.h"
#include "win/windows.h"

namespace movanta::convert {
namespace fs = std::filesystem;
namespace {

constexpr DWORD kPollMilliseconds = 200;
constexpr UINT_PTR kProgressTimer = 1;
constexpr int kSampleSeconds = 10;
constexpr int kFitAttempts = 3;  // the first conversion and two at lower rates

std::atomic<bool> g_interrupted {false};

void OnInterrupt(int) {
    g_interrupted = true;
}

struct JobEvents {
    bool started = false;
    bool ended = false;
    bool failed = false;
    LPARAM error = 0;
};
JobEvents* g_events = nullptr;

LRESULT OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_events != nullptr) {
        if (message == WM_TRX_CONVERT_START) g_events->started = true;
        if (message == WM_TRX_CONVERT_END) g_events->ended = true;
        if (message == WM_TRX_CONVERT_ERROR) {
            g_events->failed = true;
            g_events->error = lParam;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The engine and a window that receives its messages, for one run.
class EngineSession {
public:
    EngineSession() {
        WNDCLASSW windowClass {};
        windowClass.lpfnWndProc = OwnerProc;
        windowClass.lpszClassName = L"MovantaConvertOwner";
        RegisterClassW(&windowClass);
        owner_ = CreateWindowExW(0, L"MovantaConvertOwner", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        ready_ = owner_ != nullptr && TrxInit(reinterpret_cast<HINSTANCE>(1), owner_) == TRX_OK;
    }
    ~EngineSession() {
        TrxTEnd();
        if (owner_ != nullptr) DestroyWindow(owner_);
    }
    EngineSession(const EngineSession&) = delete;
    EngineSession& operator=(const EngineSession&) = delete;
    bool Ready() const { return ready_; }
    HWND Owner() const { return owner_; }
    void Pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }

private:
    HWND owner_ = nullptr;
    bool ready_ = false;
};

int Fail(const std::string& message, int code = 1) {
    std::fprintf(stderr, "movanta-convert: %s\n", message.c_str());
    return code;
}

const char* ErrorText(LPARAM code) {
    switch (code) {
        case TRX_ERR_OPEN: return "the input cannot be opened, or none of its streams can be converted";
        case TRX_ERR_GRAPH: return "the media framework could not be started (are the plug-ins registered?)";
        case TRX_ERR_RATE: return "the input's frame rate changes too much to be converted";
        default:
            return "the conversion stopped: the disk is full or refused the file, or a stream broke off (the input "
                   "may be damaged)";
    }
}

// The output is written under a temporary name beside it, so an existing
// file of that name survives a failed run.
fs::path TemporaryBeside(const fs::path& output) {
    fs::path partial = output;
    partial.replace_filename("." + output.stem().string() + ".part" + std::to_string(getpid()) +
                             output.extension().string());
    return partial;
}

// Removes the unfinished output; says so when even that fails, as the
// file is then left beside the output.
void RemovePartial(const fs::path& partial) {
    std::error_code error;
    if (!fs::remove(partial, error) && error) {
        std::fprintf(stderr, "movanta-convert: cannot remove the unfinished %s: %s\n", partial.c_str(),
                     error.message().c_str());
    }
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;
    return fs::exists(b, error) && fs::equivalent(a, b, error);
}

// The sound's bit rate in a file of this format for the phone.
int AudioBitrateOf(const MobileVideoConf& profile, std::int32_t format, int audioQuality) {
    return app::AudioCodecOf(profile, format) == TRX_ACODEC_AAC ? profile.nAacBitrate[audioQuality]
                                                                : profile.nAmrBitrate[audioQuality];
}

// Why --fit cannot reach the size: what the lowest usable video rate gives.
std::string CannotFit(std::int64_t bytes, double seconds, int audioBitrate, bool hinted) {
    const double smallest =
        seconds * (kLowestVideoBitrate + audioBitrate) / 8 + static_cast<double>(ContainerBytes(seconds, hinted));
    char text[200];
    std::snprintf(text, sizeof text,
                  "%.1f s cannot fit under %lld bytes: even %d kbit/s of video makes about %.0f bytes; choose a "
                  "larger size or a shorter part",
                  seconds, static_cast<long long>(bytes), kLowestVideoBitrate / 1000, smallest);
    return text;
}

// Says what is converted, and the estimate of its size (`length` -1: unknown).
void ShowPhoneJob(const Options& options, const MobileVideoConf& conf, std::int32_t format, std::int64_t length) {
    // The estimate counts the audio codec this file really gets.
    const std::int32_t audioRates =
        app::AudioCodecOf(conf, format) == TRX_ACODEC_AAC ? TRX_SYS_MP4 : static_cast<std::int32_t>(TRX_SYS_3GP);
    std::printf("Converting %s for phone %d (%dx%d), video quality %d, audio quality %d\n", options.input.c_str(),
                options.phone, conf.nWidth, conf.nHeight, options.videoQuality, options.audioQuality);
    if (length < 0) {
        std::printf("Estimated size: unknown (the input does not say how long it is)\n");
        return;
    }
    const app::SizeEstimate estimate =
        app::VideoLenToSize(conf, options.videoQuality, options.audioQuality, audioRates, length);
    std::printf("Estimated size: %s%s\n", WideToUtf8(estimate.text).c_str(),
                estimate.overLimit ? " (over the phone's limit)" : "");
}

struct JobOutcome {
    std::int32_t refused = TRX_OK;  // the engine's answer to the request
    JobEvents events;
    bool stopped = false;  // by Ctrl-C
};

// One conversion into `partialPath`, with progress, to its end or Ctrl-C.
JobOutcome RunEngineJob(EngineSession& engine, const Options& options, const MobileVideoConf& conf,
                        std::int64_t start, std::int64_t end, const std::wstring& inputPath,
                        const std::wstring& partialPath) {
    JobOutcome outcome;
    JobEvents& events = outcome.events;
    g_events = &events;
    TrxJob job = nullptr;
    if (options.mode == Options::Mode::Music) {
        const MusicConfig request {options.mp3BitrateIndex, start, end < 0 ? INT64_MAX : end, 0};
        outcome.refused = TrxConvertMusic(engine.Owner(), inputPath.c_str(), partialPath.c_str(), &request, &job);
    } else {
        TrxSetMobileConfig(&conf);
        CNTConfig request {};
        request.nDstWidth = conf.nWidth;
        request.nDstHeight = conf.nHeight;
        request.nResampleMode = 1;
        request.nTargetPhone = conf.nTargetPhone;
        request.nAudioQuality = options.audioQuality;
        request.nVideoQuality = options.videoQuality;
        request.nSysFormat = TRX_SYS_MP4;
        // Without a start or an end the writer takes the whole input.
        request.llStart = options.start || options.end ? start : -1;
        request.llEnd = end;
        outcome.refused = TrxConvert(engine.Owner(), inputPath.c_str(), partialPath.c_str(), &request, &job);
    }
    if (outcome.refused != TRX_OK) {
        g_events = nullptr;
        return outcome;
    }

    g_interrupted = false;
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    ProgressLine progress(end < 0 ? 0 : end - start, isatty(STDOUT_FILENO) != 0);
    // The engine's messages wake the loop at once; the timer shows progress
    // and notices Ctrl-C.
    SetTimer(engine.Owner(), kProgressTimer, kPollMilliseconds, nullptr);
    MSG message;
    while (!events.ended && !g_interrupted && GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
        std::int64_t position = 0;
        std::int64_t size = 0;
        if (message.message == WM_TIMER && events.started && TrxGetConvertPosition(job, &position, &size) == TRX_OK) {
            progress.Show(position, size);
        }
    }
    KillTimer(engine.Owner(), kProgressTimer);
    outcome.stopped = g_interrupted && !events.ended;
    if (outcome.stopped) std::printf("\nStopping...\n");
    TrxAbortConvert(job);
    engine.Pump();
    g_events = nullptr;
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    progress.Finish();
    return outcome;
}

}  // namespace

int PrintFileInfo(const Options& options) {
    EngineSession engine;
    if (!engine.Ready()) return Fail("the conversion engine could not start");
    MediaInfo info {};
    if (TrxGetFileInfo(Utf8ToWide(options.input).c_str(), &info) != TRX_OK) {
        return Fail("cannot read " + options.input + ": it is missing or not a media file");
    }
    auto text = [](const char16_t* value) {
        return WideToUtf8(std::wstring(value, value + std::char_traits<char16_t>::length(value)));
    };
    std::printf("File      %s\nFormat    %s\nSize      %lld bytes\nDuration  %.3f s\n", options.input.c_str(),
                text(info.szFormatName).c_str(), static_cast<long long>(info.llFileSize), info.llDuration / 1e6);
    // The probe leaves the has-video and has-audio flags to the preview: a
    // stream is there when its fields are.
    if (info.szVideoCodec[0] != 0) {
        std::printf("Video     %s %ux%u %.3f fps %u bit/s\n", text(info.szVideoCodec).c_str(), info.nVideoWidth,
                    info.nVideoHeight, static_cast<double>(info.fVideoFrameRate), info.nVideoBitrate);
    }
    if (info.szAudioCodec[0] != 0) {
        std::printf("Audio     %s %u Hz %u channel(s) %u bit/s\n", text(info.szAudioCodec).c_str(),
                    info.nAudioSampleRate, static_cast<unsigned>(info.nAudioChannels), info.nAudioBitrate);
    }
    if (options.fit) {
        // What --fit gives the whole input in the phone's first format.
        const MobileVideoConf& profile = app::PhoneProfile(options.phone);
        const bool threeGp = BatchExtension(options) == ".3gp";
        const std::int32_t format = threeGp ? static_cast<std::int32_t>(TRX_SYS_3GP) : TRX_SYS_MP4;
        const double seconds = static_cast<double>(info.llDuration) / 1e6;
        const int audioBitrate = AudioBitrateOf(profile, format, options.audioQuality);
        const auto bitrate = VideoBitrateToFit(*options.fit, seconds, audioBitrate, !threeGp);
        if (bitrate) {
            std::printf("Fit       under %lld bytes for phone %d (%s): video at %.1f kbit/s\n",
                        static_cast<long long>(*options.fit), options.phone, threeGp ? ".3gp" : ".mp4",
                        *bitrate / 1000.0);
        } else {
            std::printf("Fit       %s\n", CannotFit(*options.fit, seconds, audioBitrate, !threeGp).c_str());
        }
    }
    return 0;
}

int RunJob(const Options& options) {
    const bool music = options.mode == Options::Mode::Music;
    const fs::path input(options.input);
    const fs::path output(options.output);
    const std::wstring extension = Utf8ToWide(output.extension().string());
    const bool threeGp = EqualsNoCase(extension, L".3gp");
    if (music ? !EqualsNoCase(extension, L".mp3") : !threeGp && !EqualsNoCase(extension, L".mp4")) {
        return Fail(music ? "the output of --music must end in .mp3" : "the output must end in .3gp or .mp4", 2);
    }
    const MobileVideoConf& profile = app::PhoneProfile(options.phone);
    const std::int32_t format = threeGp ? static_cast<std::int32_t>(TRX_SYS_3GP) : TRX_SYS_MP4;
    if (!music && (profile.nSysFormatMask & static_cast<std::uint32_t>(format)) == 0) {
        return Fail("phone " + std::to_string(options.phone) + " plays only .3gp files", 2);
    }
    if (!std::ifstream(input, std::ios::binary)) return Fail("cannot read " + options.input);
    if (SameFile(input, output)) return Fail("the output would overwrite the input", 2);

    EngineSession engine;
    if (!engine.Ready()) return Fail("the conversion engine could not start");
    MediaInfo info {};
    if (TrxGetFileInfo(Utf8ToWide(options.input).c_str(), &info) != TRX_OK) {
        return Fail("cannot read " + options.input + ": it is not a media file this program can open");
    }
    const std::int64_t duration = info.llDuration * 10;
    const std::int64_t start = options.start.value_or(0);
    // A file that does not say how long it is (a cut recording, say) is
    // converted to its end: without --end the end stays open (-1).
    const std::int64_t end = duration > 0 ? std::min(options.end.value_or(duration), duration) : options.end.value_or(-1);
    if (duration > 0 && start >= duration) return Fail("the start lies beyond the input's end", 2);

    const fs::path partial = TemporaryBeside(output);
    if (!std::ofstream(partial, std::ios::binary | std::ios::trunc)) {
        return Fail("cannot write " + options.output + ": " + std::strerror(errno));
    }
    const std::wstring inputPath = Utf8ToWide(options.input);
    const std::wstring partialPath = Utf8ToWide(partial.string());

    // The phone request, with the video rate --fit chose.
    MobileVideoConf conf = profile;
    const double seconds = end < 0 ? 0 : static_cast<double>(end - start) / 1e7;
    const bool hinted = !threeGp;  // the MP4 files' MPEG-4 track has a hint track
    const int audioBitrate = AudioBitrateOf(profile, format, options.audioQuality);
    if (!music && options.fit) {
        if (end < 0) {
            RemovePartial(partial);
            return Fail("--fit needs the length: the input does not say it, give --end", 2);
        }
        const auto bitrate = VideoBitrateToFit(*options.fit, seconds, audioBitrate, hinted);
        if (!bitrate) {
            RemovePartial(partial);
            return Fail(CannotFit(*options.fit, seconds, audioBitrate, hinted), 1);
        }
        conf.nVideoBitrate[options.videoQuality] = *bitrate;
        std::printf("Fitting under %lld bytes: video at %.1f kbit/s\n", static_cast<long long>(*options.fit),
                    *bitrate / 1000.0);
    }
    if (music) {
        std::printf("Converting %s to MP3 at %d kbit/s\n", options.input.c_str(),
                    static_cast<int>(Mp3Kilobits(options.mp3BitrateIndex)));
    } else {
        ShowPhoneJob(options, conf, format, end < 0 ? -1 : end - start);
    }

    JobOutcome outcome;
    for (int attempt = 1;; ++attempt) {
        outcome = RunEngineJob(engine, options, conf, start, end, inputPath, partialPath);
        if (outcome.refused != TRX_OK) {
            RemovePartial(partial);
            return Fail("the engine refused the job (code " + std::to_string(outcome.refused) + ")");
        }
        if (!options.fit || music || outcome.stopped || outcome.events.failed || !outcome.events.started) break;
        std::error_code sizeError;
        const auto bytes = static_cast<std::int64_t>(fs::file_size(partial, sizeError));
        if (sizeError || bytes <= *options.fit) break;
        const int lower = LowerVideoBitrate(conf.nVideoBitrate[options.videoQuality], bytes, *options.fit, seconds,
                                            audioBitrate, hinted);
        if (attempt == kFitAttempts || lower < kLowestRequestedBitrate) {
            RemovePartial(partial);
            return Fail("the file came out at " + std::to_string(bytes) + " bytes, over " +
                        std::to_string(*options.fit) + ", even at " +
                        std::to_string(conf.nVideoBitrate[options.videoQuality] / 1000) +
                        " kbit/s of video: choose a larger size or a shorter part");
        }
        std::printf("The file came out at %lld bytes, over %lld: converting again at %.1f kbit/s of video\n",
                    static_cast<long long>(bytes), static_cast<long long>(*options.fit), lower / 1000.0);
        conf.nVideoBitrate[options.videoQuality] = lower;
    }
    const bool stopped = outcome.stopped;

    std::error_code error;
    if (outcome.events.failed || (!outcome.events.started && !stopped)) {
        RemovePartial(partial);
        return Fail(ErrorText(outcome.events.error));
    }
    fs::rename(partial, output, error);
    if (error) {
        RemovePartial(partial);
        return Fail("cannot write " + options.output + ": " + error.message());
    }
    const auto bytes = fs::file_size(output, error);
    std::printf("%s %s (%llu bytes)\n", stopped ? "Stopped; the part converted is in" : "Wrote", options.output.c_str(),
                static_cast<unsigned long long>(error ? 0 : bytes));
    return stopped ? 130 : 0;
}

int ConvertSample() {
    std::error_code error;
    const fs::path folder = fs::temp_directory_path(error) / "movanta-sample";
    fs::create_directories(folder, error);
    if (error) return Fail("cannot make " + folder.string() + ": " + error.message());
    Options options;
    options.input = (folder / "sample.avi").string();
    options.output = (folder / "sample.3gp").string();
    std::printf("Making a 10-second sample clip: %s\n", options.input.c_str());
    std::string reason;
    if (!MakeSampleClip(options.input, kSampleSeconds, reason)) return Fail(reason);
    const int code = RunJob(options);
    if (code == 0) std::printf("The sample converted for phone 0 is %s\n", options.output.c_str());
    return code;
}

}  // namespace movanta::convert
