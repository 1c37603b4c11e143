// Custom interfaces of the outside encoders the engine puts in its graphs:
// "Xvid Encoder", "AAC Encoder" and "MP3 Encoder". The engine calls fixed
// method positions (the bit rate setters, the AAC cut-off and version); the
// other methods belong to the encoders' own design.
#pragma once

#include "com/unknown.h"

inline constexpr IID IID_IXvidEncoder = {0x3C0EC895, 0x4553, 0x4BD4, {0xAB, 0x65, 0xA5, 0xC6, 0x96, 0x00, 0xA5, 0xBC}};
inline constexpr IID IID_IAacEncoder = {0x3B252A87, 0xC025, 0x4B61, {0xBC, 0xD5, 0x71, 0xC0, 0xE2, 0x2B, 0x4E, 0x65}};
inline constexpr IID IID_IMp3Encoder = {0xCA7E9EF0, 0x1CBE, 0x11D3, {0x8D, 0x29, 0x00, 0xA0, 0xC9, 0x4B, 0xBF, 0xEE}};

// "Xvid Encoder": method 3 sets the bit rate in bit/s. Settings take effect
// at the next start of streaming.
class IXvidEncoder : public IUnknown {
public:
    // S_FALSE, writing nothing, while the input pin is not connected.
    virtual HRESULT GetInputSize(LONG* width, LONG* height) = 0;
    virtual HRESULT GetBitrate(LONG* bitsPerSecond) = 0;
    virtual HRESULT SetBitrate(LONG bitsPerSecond) = 0;
    // The largest distance between two key pictures, in pictures.
    virtual HRESULT GetKeyInterval(LONG* pictures) = 0;
    virtual HRESULT SetKeyInterval(LONG pictures) = 0;

protected:
    ~IXvidEncoder() = default;
};

// "AAC Encoder": method 2 sets the MPEG version written in the ADTS
// headers (0 MPEG-4, 1 MPEG-2), 12 the cut-off frequency in hertz (0: the
// encoder's own choice), 14 the bit rate of each channel in bit/s.
// Settings take effect at the next start of streaming.
class IAacEncoder : public IUnknown {
public:
    virtual HRESULT GetMpegVersion(LONG* version) = 0;
    virtual HRESULT SetMpegVersion(LONG version) = 0;
    // The audio object type: 2 (low complexity) is the only one coded.
    virtual HRESULT GetObjectType(LONG* objectType) = 0;
    virtual HRESULT SetObjectType(LONG objectType) = 0;
    // The connected input: channels, rate and bits; S_FALSE when unconnected.
    virtual HRESULT GetInputFormat(LONG* channels, LONG* samplesPerSecond, LONG* bitsPerSample) = 0;
    // AAC frames coded since streaming started.
    virtual HRESULT GetFrameCount(LONGLONG* frames) = 0;
    // Whether the temporal noise shaping tool is used (off unless set).
    virtual HRESULT GetNoiseShaping(BOOL* enabled) = 0;
    virtual HRESULT SetNoiseShaping(BOOL enabled) = 0;
    // The bit rate in bit/s of all channels together, as coded.
    virtual HRESULT GetTotalBitrate(LONG* bitsPerSecond) = 0;
    virtual HRESULT GetCutoff(LONG* hertz) = 0;
    virtual HRESULT GetChannelBitrate(LONG* bitsPerSecond) = 0;
    virtual HRESULT SetCutoff(LONG hertz) = 0;
    virtual HRESULT GetOutputHeader(BOOL* adts) = 0;
    virtual HRESULT SetChannelBitrate(LONG bitsPerSecond) = 0;

protected:
    ~IAacEncoder() = default;
};

// "MP3 Encoder": method 4 sets the bit rate in kbit/s.
class IMp3Encoder : public IUnknown {
public:
    // 0 for joint stereo (unless set), 1 for plain stereo; mono input
    // gives mono output either way.
    virtual HRESULT GetChannelMode(LONG* mode) = 0;
    virtual HRESULT SetChannelMode(LONG mode) = 0;
    virtual HRESULT GetBitrate(LONG* kilobitsPerSecond) = 0;
    virtual HRESULT SetBitrate(LONG kilobitsPerSecond) = 0;

protected:
    ~IMp3Encoder() = default;
};
