// Media types for the streams libavformat reads, and back again: a source
// describes each stream with one, and a decoder recovers from it what it
// needs to open the codec.
//
// Video: VIDEOINFOHEADER followed by the codec's configuration bytes; the
// subtype is the codec's RIFF FourCC, MEDIASUBTYPE_H263 for H.263, or a
// private subtype naming the libavcodec codec. Audio: WAVEFORMATEX followed
// by the configuration bytes (cbSize of them); 8- and 16-bit PCM are
// MEDIASUBTYPE_PCM, AMR-NB is MEDIASUBTYPE_AMR, others their RIFF format
// tag or the private subtype.
#pragma once

#include "dshow/mediatype.h"

struct AVCodecParameters;
struct AVRational;

namespace movanta::dshow {

// False for a stream that is neither audio nor video, or has no codec.
bool MediaTypeOfStream(const AVCodecParameters& codec, const AVRational& frameRate, CMediaType& type);

// Fills codec id, type, sizes, rate, channels and configuration bytes;
// false for a type that names no codec libavcodec knows.
bool CodecOfMediaType(const CMediaType& type, AVCodecParameters* codec);

// True when the subtype describes a compressed stream of a codec that
// libavcodec can decode (PCM is not compressed).
bool IsDecodableCompressedType(const CMediaType& type);

}  // namespace movanta::dshow
