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

    JobEvents events;
    g_events = &events;
    TrxJob job = nullptr;
    std::int32_t answer = TRX_ERR_FILE;
    if (music) {
        std::printf("Converting %s to MP3 at %d kbit/s\n", options.input.c_str(),
                    static_cast<int>(Mp3Kilobits(options.mp3BitrateIndex)));
        const MusicConfig request {options.mp3BitrateIndex, start, end < 0 ? INT64_MAX : end, 0};
        answer = TrxConvertMusic(engine.Owner(), inputPath.c_str(), partialPath.c_str(), &request, &job);
    } else {
        TrxSetMobileConfig(&profile);
        CNTConfig request {};
        request.nDstWidth = profile.nWidth;
        request.nDstHeight = profile.nHeight;
        request.nResampleMode = 1;
        request.nTargetPhone = profile.nTargetPhone;
        request.nAudioQuality = options.audioQuality;
        request.nVideoQuality = options.videoQuality;
        request.nSysFormat = TRX_SYS_MP4;
        // Without a start or an end the writer takes the whole input.
        request.llStart = options.start || options.end ? start : -1;
        request.llEnd = end;
        // The estimate counts the audio codec this file really gets.
        const std::int32_t audioRates =
            app::AudioCodecOf(profile, format) == TRX_ACODEC_AAC ? TRX_SYS_MP4 : static_cast<std::int32_t>(TRX_SYS_3GP);
        std::printf("Converting %s for phone %d (%dx%d), video quality %d, audio quality %d\n", options.input.c_str(),
                    options.phone, profile.nWidth, profile.nHeight, options.videoQuality, options.audioQuality);
        if (end < 0) {
            std::printf("Estimated size: unknown (the input does not say how long it is)\n");
        } else {
            const app::SizeEstimate estimate =
                app::VideoLenToSize(profile, options.videoQuality, options.audioQuality, audioRates, end - start);
            std::printf("Estimated size: %s%s\n", WideToUtf8(estimate.text).c_str(),
                        estimate.overLimit ? " (over the phone's limit)" : "");
        }
        answer = TrxConvert(engine.Owner(), inputPath.c_str(), partialPath.c_str(), &request, &job);
    }
    if (answer != TRX_OK) {
        g_events = nullptr;
        RemovePartial(partial);
        return Fail("the engine refused the job (code " + std::to_string(answer) + ")");
    }

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
    const bool stopped = g_interrupted && !events.ended;
    if (stopped) std::printf("\nStopping...\n");
    TrxAbortConvert(job);
    engine.Pump();
    g_events = nullptr;
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    progress.Finish();

    std::error_code error;
    if (events.failed || (!events.started && !stopped)) {
        RemovePartial(partial);
        return Fail(ErrorText(events.error));
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
