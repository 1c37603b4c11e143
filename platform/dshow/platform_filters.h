// Class ids of the platform's own media filters, for the code that creates
// them without needing their headers.
#pragma once

#include "com/guid.h"

namespace movanta::dshow {

// The file source on libavformat (avsource.so).
// {D0B1A5E2-6C1F-4B57-9E3B-5A1C2F7E8D40}
inline constexpr CLSID CLSID_MovantaFileSource = {
    0xD0B1A5E2, 0x6C1F, 0x4B57, {0x9E, 0x3B, 0x5A, 0x1C, 0x2F, 0x7E, 0x8D, 0x40}};
// The video and audio decoders on libavcodec (avdecode.so).
// {3C1E7A52-9B4D-4E0F-8C61-2D7B5A9E0F11}
inline constexpr CLSID CLSID_MovantaVideoDecoder = {
    0x3C1E7A52, 0x9B4D, 0x4E0F, {0x8C, 0x61, 0x2D, 0x7B, 0x5A, 0x9E, 0x0F, 0x11}};
// {3C1E7A52-9B4D-4E0F-8C61-2D7B5A9E0F12}
inline constexpr CLSID CLSID_MovantaAudioDecoder = {
    0x3C1E7A52, 0x9B4D, 0x4E0F, {0x8C, 0x61, 0x2D, 0x7B, 0x5A, 0x9E, 0x0F, 0x12}};

}  // namespace movanta::dshow
