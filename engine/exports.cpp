// The Trx* exports: argument checks, the job lists, and the hand-over to the
// jobs. Called from the application's user-interface thread.
#include <malloc.h>

#include <algorithm>
#include <new>

#include "engine/convengine.h"
#include "engine/engine_state.h"
#include "engine/probe.h"
#include "win/files.h"
#include "win/sync.h"
#include "win/text.h"

using namespace movanta::engine;

namespace movanta::engine {

EngineState& Engine() {
    static EngineState state;
    return state;
}

}  // namespace movanta::engine

namespace {

// The size of a readable file; 0 when it is missing, unreadable or empty.
LONGLONG ReadableSize(LPCWSTR path) {
    if (path == nullptr) return 0;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    LARGE_INTEGER size {};
    const BOOL known = GetFileSizeEx(file, &size);
    CloseHandle(file);
    return known ? size.QuadPart : 0;
}

HWND OwnerOr(HWND owner) {
    return owner != nullptr ? owner : Engine().defaultOwner;
}

template <class Job, class Handle>
std::shared_ptr<Job> FindJob(std::vector<std::shared_ptr<Job>>& list, Handle handle) {
    auto it = std::find_if(list.begin(), list.end(), [&](const std::shared_ptr<Job>& job) {
        return reinterpret_cast<Handle>(job.get()) == handle;
    });
    return it == list.end() ? nullptr : *it;
}

// Takes the job out of its list after its workers ended or the wait ran out;
// a worker still running keeps the job alive until it ends.
template <class Job>
void Destroy(std::vector<std::shared_ptr<Job>>& list, const std::shared_ptr<Job>& job) {
    job->Abort();
    list.erase(std::remove(list.begin(), list.end(), job), list.end());
}

std::shared_ptr<CAVPreview> PreviewOf(TrxMedia media, std::int32_t& result) {
    EngineState& engine = Engine();
    if (!engine.Initialised()) {
        result = TRX_ERR_NOT_INIT;
        return nullptr;
    }
    auto job = media == nullptr ? nullptr : FindJob(engine.previews, media);
    result = job ? TRX_OK : TRX_ERR_HANDLE;
    return job;
}

// The checks every opening export makes before its job exists.
std::int32_t CheckOpening(LPCWSTR path, void* out) {
    if (!Engine().Initialised()) return TRX_ERR_NOT_INIT;
    if (ReadableSize(path) <= 0) return TRX_ERR_FILE;
    if (out == nullptr) return TRX_ERR_NOMEM;
    return TRX_OK;
}

std::shared_ptr<CAVPreview> NewPreview() {
    try {
        auto job = std::make_shared<CAVPreview>();
        std::lock_guard guard(job->m_graphLock);
        job->m_effectValues.clear();
        return job;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

extern "C" {

std::int32_t TrxInit(HINSTANCE instance, HWND defaultOwner) {
    if (instance == nullptr || defaultOwner == nullptr) return TRX_ERR_NOT_INIT;
    TrxTEnd();
    // glibc gives each thread that allocates its own arena, up to eight a
    // core; a conversion's decoding, encoding and writing threads allocate
    // and free megabytes of pictures, which spread over one arena each
    // leave several megabytes unused in between. Two arenas hold the same
    // pictures in less memory at no cost in speed.
    mallopt(M_ARENA_MAX, 2);
    EngineState& engine = Engine();
    engine.instance = instance;
    engine.defaultOwner = defaultOwner;
    engine.profile.reset();
    return TRX_OK;
}

std::int32_t TrxTEnd() {
    EngineState& engine = Engine();
    engine.instance = nullptr;
    engine.defaultOwner = nullptr;
    while (!engine.previews.empty()) Destroy(engine.previews, engine.previews.front());
    while (!engine.conversions.empty()) Destroy(engine.conversions, engine.conversions.front());
    engine.profile.reset();
    return TRX_OK;
}

std::int32_t TrxSetMobileConfig(const MobileVideoConf* profile) {
    // No profile keeps the current one.
    if (profile == nullptr) return TRX_ERR_NOMEM;
    EngineState& engine = Engine();
    engine.profile.reset();
    engine.profile = ProfileCopy::From(profile);
    return engine.profile ? TRX_OK : TRX_ERR_NOMEM;
}

std::int32_t TrxSetDTConfig(const std::int32_t* words) {
    if (words != nullptr) {
        Engine().dtConfig[0] = words[0];
        Engine().dtConfig[1] = words[1];
    }
    return TRX_OK;
}

std::int32_t TrxConvert(HWND owner, LPCWSTR input, LPCWSTR output, const CNTConfig* request, TrxJob* job) {
    EngineState& engine = Engine();
    if (!engine.Initialised()) return TRX_ERR_NOT_INIT;
    if (ReadableSize(input) <= 0) return TRX_ERR_FILE;
    if (!engine.profile || (request != nullptr && request->nTargetPhone != engine.profile->Conf().nTargetPhone)) {
        return TRX_ERR_PHONE;
    }
    if (request == nullptr || job == nullptr) return TRX_ERR_NOMEM;
    // The qualities choose among the profile's three rates of each kind.
    constexpr int kQualities = 3;
    if (request->nVideoQuality < 0 || request->nVideoQuality >= kQualities || request->nAudioQuality < 0 ||
        request->nAudioQuality >= kQualities) {
        return TRX_ERR_NOMEM;
    }
    std::shared_ptr<CMovanta> created;
    try {
        created = std::make_shared<CMovanta>(engine.profile);
        engine.conversions.push_back(created);
    } catch (const std::bad_alloc&) {
        return TRX_ERR_NOMEM;
    }
    *job = reinterpret_cast<TrxJob>(created.get());
    created->CovertMedia(OwnerOr(owner), input, output, *request);
    return TRX_OK;
}

std::int32_t TrxConvertMusic(HWND owner, LPCWSTR input, LPCWSTR output, const MusicConfig* request, TrxJob* job) {
    EngineState& engine = Engine();
    if (!engine.Initialised()) return TRX_ERR_NOT_INIT;
    if (ReadableSize(input) <= 0) return TRX_ERR_FILE;
    if (request == nullptr || job == nullptr) return TRX_ERR_NOMEM;
    std::shared_ptr<CMovanta> created;
    try {
        created = std::make_shared<CMovanta>(nullptr);
        engine.conversions.push_back(created);
    } catch (const std::bad_alloc&) {
        return TRX_ERR_NOMEM;
    }
    *job = reinterpret_cast<TrxJob>(created.get());
    created->ConvertMusic(OwnerOr(owner), input, output, *request);
    return TRX_OK;
}

std::int32_t TrxAbortConvert(TrxJob job) {
    EngineState& engine = Engine();
    if (!engine.Initialised()) return TRX_ERR_NOT_INIT;
    auto found = job == nullptr ? nullptr : FindJob(engine.conversions, job);
    if (!found) return TRX_ERR_HANDLE;
    Destroy(engine.conversions, found);
    return TRX_OK;
}

std::int32_t TrxGetConvertPosition(TrxJob job, std::int64_t* position, std::int64_t* size) {
    EngineState& engine = Engine();
    if (!engine.Initialised()) return TRX_ERR_NOT_INIT;
    auto found = job == nullptr ? nullptr : FindJob(engine.conversions, job);
    if (!found) return TRX_ERR_HANDLE;
    if (position != nullptr) *position = found->Position();
    if (size != nullptr) *size = found->IsMusic() ? 0 : static_cast<std::int64_t>(found->Size() * 1.045);
    return TRX_OK;
}

std::int32_t TrxOpenMedia(HWND owner, HWND videoWindow, LPCWSTR path, std::int32_t, std::int32_t startRunning,
                          std::int32_t, std::int32_t mute, std::int32_t volume, TrxMedia* media) {
    if (const std::int32_t checked = CheckOpening(path, media); checked != TRX_OK) return checked;
    auto job = NewPreview();
    if (!job) return TRX_ERR_NOMEM;
    Engine().previews.push_back(job);
    *media = reinterpret_cast<TrxMedia>(job.get());
    job->PreviewMedia(OwnerOr(owner), videoWindow, path, startRunning != 0, mute, volume);
    return TRX_OK;
}

std::int32_t TrxOpenAudio(HWND owner, LPCWSTR path, std::int32_t startRunning, std::int32_t mute, std::int32_t volume,
                          TrxMedia* media) {
    if (const std::int32_t checked = CheckOpening(path, media); checked != TRX_OK) return checked;
    auto job = NewPreview();
    if (!job) return TRX_ERR_NOMEM;
    Engine().previews.push_back(job);
    *media = reinterpret_cast<TrxMedia>(job.get());
    job->OpenAudio(OwnerOr(owner), path, startRunning != 0, mute, volume);
    return TRX_OK;
}

std::int32_t TrxGetAudioData(HWND owner, LPCWSTR path, std::int32_t startRunning, std::int32_t amplifierParameter,
                             TrxMedia* media) {
    if (const std::int32_t checked = CheckOpening(path, media); checked != TRX_OK) return checked;
    auto job = NewPreview();
    if (!job) return TRX_ERR_NOMEM;
    Engine().previews.push_back(job);
    *media = reinterpret_cast<TrxMedia>(job.get());
    job->GetAudioData(OwnerOr(owner), path, startRunning != 0, amplifierParameter);
    return TRX_OK;
}

std::int32_t TrxCloseMedia(TrxMedia media) {
    std::int32_t result = TRX_OK;
    auto job = PreviewOf(media, result);
    if (job) Destroy(Engine().previews, job);
    return result;
}

std::int32_t TrxPlay(TrxMedia media) {
    std::int32_t result = TRX_OK;
    if (auto job = PreviewOf(media, result)) job->PlayMedia(true);
    return result;
}

std::int32_t TrxPause(TrxMedia media) {
    std::int32_t result = TRX_OK;
    if (auto job = PreviewOf(media, result)) job->PauseMedia(true);
    return result;
}

std::int32_t TrxStop(TrxMedia media) {
    std::int32_t result = TRX_OK;
    if (auto job = PreviewOf(media, result)) job->StopMedia(true);
    return result;
}

std::int32_t TrxSeeking(TrxMedia media, std::int64_t position) {
    std::int32_t result = TRX_OK;
    if (auto job = PreviewOf(media, result)) job->Seek(position);
    return result;
}

std::int32_t TrxVolume(TrxMedia media, std::int32_t volume, std::int32_t mute) {
    std::int32_t result = TRX_OK;
    if (auto job = PreviewOf(media, result)) job->Volume(volume, mute);
    return result;
}

std::int32_t TrxSetAmpScaleVal(TrxMedia media, std::int32_t value) {
    std::int32_t result = TRX_OK;
    if (auto job = PreviewOf(media, result)) job->SetAmpScale(value);
    return result;
}

std::int32_t TrxGetMediaPosition(TrxMedia media, std::int64_t* position, std::int64_t* duration) {
    std::int32_t result = TRX_OK;
    if (auto job = PreviewOf(media, result)) {
        std::int64_t current = 0;
        std::int64_t length = 0;
        job->GetMediaPosition(current, length);
        if (position != nullptr) *position = current;
        if (duration != nullptr) *duration = length;
    }
    return result;
}

std::int32_t TrxNotifyOwnerMessage(TrxMedia media, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    std::int32_t result = TRX_OK;
    if (auto job = PreviewOf(media, result)) job->NotifyOwnerMessage(window, message, wParam, lParam);
    return result;
}

std::int32_t TrxSetVideoEffect(std::int32_t count, const std::int32_t* values) {
    std::vector<std::int32_t> copy;
    if (count > 0 && values != nullptr) copy.assign(values, values + count);
    for (auto& job : Engine().previews) job->SetVideoEffect(copy);
    return TRX_OK;
}

std::int32_t TrxGetFileInfo(LPCWSTR path, MediaInfo* info) {
    if (!Engine().Initialised() || info == nullptr) return TRX_ERR_NOT_INIT;
    const LONGLONG size = ReadableSize(path);
    if (size <= 0) return TRX_ERR_FILE;
    info->llFileSize = size;
    WCHAR shortPath[MAX_PATH];
    const DWORD length = GetShortPathNameW(path, shortPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRX_ERR_OPEN;
    return ProbeMediaFile(movanta::NativePath(shortPath), *info) ? TRX_OK : TRX_ERR_OPEN;
}

}  // extern "C"
