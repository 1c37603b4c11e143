// The conversion engine's interface: every export returns a result code;
// jobs report to their owner window with posted WM_TRX_* messages whose
// wParam is the job's handle.
#pragma once

#include <cstdint>

#include "engine/records.h"
#include "win/winuser.h"

struct TrxJobTag;
struct TrxMediaTag;
using TrxJob = TrxJobTag*;
using TrxMedia = TrxMediaTag*;

// Result codes of the exports.
inline constexpr std::int32_t TRX_OK = 0;
inline constexpr std::int32_t TRX_ERR_NOT_INIT = 2;
inline constexpr std::int32_t TRX_ERR_FILE = 3;
inline constexpr std::int32_t TRX_ERR_OPEN = 4;
inline constexpr std::int32_t TRX_ERR_HANDLE = 8;
inline constexpr std::int32_t TRX_ERR_NOMEM = 10;
inline constexpr std::int32_t TRX_ERR_PHONE = 14;
// Error codes carried by WM_TRX_*_ERROR.
inline constexpr std::int32_t TRX_ERR_GRAPH = 2;
inline constexpr std::int32_t TRX_ERR_RATE = 13;

inline constexpr UINT WM_TRX_MEDIA_START = 0x8101;
inline constexpr UINT WM_TRX_MEDIA_PLAY = 0x8102;
inline constexpr UINT WM_TRX_MEDIA_STOP = 0x8103;
inline constexpr UINT WM_TRX_MEDIA_PAUSE = 0x8104;
inline constexpr UINT WM_TRX_MEDIA_STOPPED = 0x8105;
inline constexpr UINT WM_TRX_MEDIA_ERROR = 0x8107;
inline constexpr UINT WM_TRX_MEDIA_NOTICE = 0x8108;
inline constexpr UINT WM_TRX_CONVERT_START = 0x8109;
inline constexpr UINT WM_TRX_CONVERT_END = 0x810A;
inline constexpr UINT WM_TRX_CONVERT_ERROR = 0x810C;
inline constexpr UINT WM_TRX_AUDIO_START = 0x810D;
inline constexpr UINT WM_TRX_AUDIO_END = 0x810E;
inline constexpr UINT WM_TRX_AUDIO_ERROR = 0x810F;

extern "C" {
std::int32_t TrxInit(HINSTANCE instance, HWND defaultOwner);
std::int32_t TrxTEnd();
std::int32_t TrxSetMobileConfig(const MobileVideoConf* profile);
std::int32_t TrxSetDTConfig(const std::int32_t* words);
std::int32_t TrxConvert(HWND owner, LPCWSTR input, LPCWSTR output, const CNTConfig* request, TrxJob* job);
std::int32_t TrxConvertMusic(HWND owner, LPCWSTR input, LPCWSTR output, const MusicConfig* request, TrxJob* job);
std::int32_t TrxAbortConvert(TrxJob job);
std::int32_t TrxGetConvertPosition(TrxJob job, std::int64_t* position, std::int64_t* size);
std::int32_t TrxOpenMedia(HWND owner, HWND videoWindow, LPCWSTR path, std::int32_t ignored1, std::int32_t startRunning,
                          std::int32_t ignored2, std::int32_t mute, std::int32_t volume, TrxMedia* media);
std::int32_t TrxOpenAudio(HWND owner, LPCWSTR path, std::int32_t startRunning, std::int32_t mute, std::int32_t volume,
                          TrxMedia* media);
std::int32_t TrxGetAudioData(HWND owner, LPCWSTR path, std::int32_t startRunning, std::int32_t amplifierParameter,
                             TrxMedia* media);
std::int32_t TrxCloseMedia(TrxMedia media);
std::int32_t TrxPlay(TrxMedia media);
std::int32_t TrxPause(TrxMedia media);
std::int32_t TrxStop(TrxMedia media);
// The position as one 64-bit value (the platform passes it in two halves).
std::int32_t TrxSeeking(TrxMedia media, std::int64_t position);
std::int32_t TrxVolume(TrxMedia media, std::int32_t volume, std::int32_t mute);
std::int32_t TrxSetAmpScaleVal(TrxMedia media, std::int32_t value);
std::int32_t TrxGetMediaPosition(TrxMedia media, std::int64_t* position, std::int64_t* duration);
std::int32_t TrxNotifyOwnerMessage(TrxMedia media, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
std::int32_t TrxSetVideoEffect(std::int32_t count, const std::int32_t* values);
std::int32_t TrxGetFileInfo(LPCWSTR path, MediaInfo* info);
}
