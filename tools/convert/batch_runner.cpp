#include "batch_runner.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

#include "batch_plan.h"
#include "child_process.h"

namespace movanta::convert {
namespace fs = std::filesystem;
namespace {

constexpr int kPollMilliseconds = 250;
constexpr const char* kToolPrefix = "movanta-convert: ";

std::atomic<bool> g_stopAll {false};

void OnInterrupt(int) { g_stopAll = true; }

struct Job {
    BatchItem item;
    std::unique_ptr<ChildProcess> process;
    int percent = 0;
    std::string reason;  // the last error line
    std::string wrote;   // the line saying what was written
    bool done = false;
    int code = 0;
};

std::string Seconds(std::int64_t time) { return std::to_string(static_cast<double>(time) / 1e7); }

// The single-file command for one input: this program, the request's
// options, the input and the output.
std::vector<std::string> CommandFor(const Options& options, const BatchItem& item) {
    std::vector<std::string> argv = {fs::read_symlink("/proc/self/exe").string(),
                                     "--phone",
                                     std::to_string(options.phone),
                                     "--video-quality",
                                     std::to_string(options.videoQuality),
                                     "--audio-quality",
                                     std::to_string(options.audioQuality)};
    if (options.start) argv.insert(argv.end(), {"--start", Seconds(*options.start)});
    if (options.end) argv.insert(argv.end(), {"--end", Seconds(*options.end)});
    if (options.fit) argv.insert(argv.end(), {"--fit", std::to_string(*options.fit)});
    argv.insert(argv.end(), {item.input, item.output});
    return argv;
}

// Takes what a conversion printed: its progress, its error, its result.
void Take(Job& job, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        if (line.rfind(kToolPrefix, 0) == 0) job.reason = line.substr(std::string(kToolPrefix).size());
        if (line.rfind("Wrote ", 0) == 0) job.wrote = line;
        const size_t percent = line.find('%');
        if (line.find(" of ") != std::string::npos && percent != std::string::npos && percent >= 3) {
            job.percent = std::clamp(std::atoi(line.substr(percent - 3, 3).c_str()), 0, 100);
        }
    }
}

class Display {
public:
    explicit Display(bool terminal) : terminal_(terminal), begun_(std::chrono::steady_clock::now()) {}
    // A line that stays (a file started, ended or refused).
    void Event(const std::string& line) {
        Erase();
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }
    // On a terminal, the running files and the total, redrawn in place.
    void Status(const std::vector<Job>& jobs) {
        if (!terminal_) return;
        Erase();
        double done = 0;
        int counted = 0;
        for (const Job& job : jobs) {
            if (!job.item.refusal.empty()) continue;
            ++counted;
            done += job.done ? 1.0 : job.percent / 100.0;
            if (job.process && !job.done) {
                std::printf("  %3d%%  %s\n", job.percent, job.item.input.c_str());
                ++lines_;
            }
        }
        const double share = counted > 0 ? done / counted : 1;
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun_).count();
        char left[32] = "--:--";
        if (share > 0.01) {
            const int seconds = static_cast<int>(elapsed * (1 - share) / share + 0.5);
            std::snprintf(left, sizeof left, "%d:%02d", seconds / 60, seconds % 60);
        }
        std::printf("  total %3d%% of %d file(s), %s left\n", static_cast<int>(share * 100), counted, left);
        ++lines_;
        std::fflush(stdout);
    }
    void Erase() {
        if (lines_ > 0) std::printf("\033[%dF\033[J", lines_);
        lines_ = 0;
    }

private:
    bool terminal_;
    int lines_ = 0;
    std::chrono::steady_clock::time_point begun_;
};

void Summarize(const std::vector<Job>& jobs, bool stopped) {
    int converted = 0;
    for (const Job& job : jobs) converted += job.done && job.code == 0;
    std::printf("Converted %d of %zu file(s)%s\n", converted, jobs.size(), stopped ? " before the stop" : "");
    for (const Job& job : jobs) {
        if (job.done && job.code == 0) std::printf("  %s -> %s\n", job.item.input.c_str(), job.item.output.c_str());
    }
    if (converted == static_cast<int>(jobs.size())) return;
    std::printf("Not converted:\n");
    for (const Job& job : jobs) {
        if (job.done && job.code == 0) continue;
        std::string why = job.item.refusal;
        if (why.empty() && job.done) why = job.code == 130 ? "stopped" : job.reason.empty() ? "failed" : job.reason;
        if (why.empty()) why = "not started before the stop";
        std::printf("  %s: %s\n", job.item.input.c_str(), why.c_str());
    }
}

}  // namespace

int RunBatch(const Options& options) {
    std::error_code error;
    fs::create_directories(options.outputDir, error);
    if (!fs::is_directory(options.outputDir, error)) {
        std::fprintf(stderr, "%scannot make the folder %s\n", kToolPrefix, options.outputDir.c_str());
        return 1;
    }
    std::vector<Job> jobs;
    for (BatchItem& item : PlanBatch(options)) {
        Job job;
        job.item = std::move(item);
        jobs.push_back(std::move(job));
    }
    const int slots = options.jobs > 0 ? options.jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    Display display(isatty(STDOUT_FILENO) != 0);
    for (const Job& job : jobs) {
        if (!job.item.refusal.empty()) display.Event("Refused " + job.item.input + ": " + job.item.refusal);
    }

    g_stopAll = false;
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    bool stopSent = false;
    for (;;) {
        int running = 0;
        for (const Job& job : jobs) running += job.process && !job.done;
        for (Job& job : jobs) {
            if (g_stopAll || running >= slots) break;
            if (job.process || !job.item.refusal.empty()) continue;
            job.process = std::make_unique<ChildProcess>(CommandFor(options, job.item));
            display.Event("Started " + job.item.input);
            ++running;
        }
        if (running == 0) break;
        if (g_stopAll && !stopSent) {
            for (Job& job : jobs) {
                if (job.process && !job.done) job.process->Signal(SIGINT);
            }
            stopSent = true;
        }
        std::vector<pollfd> waits;
        for (const Job& job : jobs) {
            if (job.process && !job.done && job.process->Output() >= 0) waits.push_back({job.process->Output(), POLLIN, 0});
        }
        poll(waits.data(), waits.size(), kPollMilliseconds);
        for (Job& job : jobs) {
            if (!job.process || job.done) continue;
            Take(job, job.process->ReadLines());
            if (job.process->Output() >= 0) continue;
            job.code = job.process->Wait();
            job.done = true;
            if (job.code == 0) {
                display.Event("Finished " + job.item.input + ": " + job.wrote.substr(std::min<size_t>(6, job.wrote.size())));
            } else if (job.code == 130 && !options.keepPartial) {
                fs::remove(job.item.output, error);
                display.Event("Stopped " + job.item.input + "; its unfinished file was removed");
            } else if (job.code == 130) {
                display.Event("Stopped " + job.item.input + "; the part converted is in " + job.item.output);
            } else {
                display.Event("Failed " + job.item.input + ": " + (job.reason.empty() ? "failed" : job.reason));
            }
        }
        display.Status(jobs);
    }
    display.Erase();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    Summarize(jobs, g_stopAll);
    if (g_stopAll) return 130;
    const bool allConverted = std::all_of(jobs.begin(), jobs.end(), [](const Job& job) { return job.done && job.code == 0; });
    return allConverted ? 0 : 1;
}

}  // namespace movanta::convert
