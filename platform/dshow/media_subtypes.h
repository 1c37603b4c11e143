// Media subtypes of this system's own compressed streams, shared by the
// encoders, the decoders, the writer and the file source.
#pragma once

#include "dshow/uuids.h"

// AMR-NB in the AMR file storage format (a header byte per frame).
inline constexpr GUID MEDIASUBTYPE_AMR = {0x8470F225, 0x7921, 0x44FA, {0x94, 0x11, 0x69, 0x08, 0xC2, 0x13, 0xED, 0xE4}};
// H.263 pictures, one a sample.
inline constexpr GUID MEDIASUBTYPE_H263 = {
    0x428FF4B9, 0xE5EF, 0x4A5D, {0xA2, 0xD7, 0x6F, 0x4A, 0x66, 0x13, 0x2C, 0xA2}};
// MPEG-4 Part 2 pictures, one a sample, the first carrying the headers.
inline constexpr GUID MEDIASUBTYPE_XVID = FourCCGuid(MakeFourCC('X', 'V', 'I', 'D'));
// AAC in ADTS framing (wave format tag 0x00FF).
inline constexpr GUID MEDIASUBTYPE_AAC = FourCCGuid(0x000000FF);
// MPEG audio layer III frames (wave format tag 0x0055).
inline constexpr GUID MEDIASUBTYPE_MP3 = FourCCGuid(0x00000055);
