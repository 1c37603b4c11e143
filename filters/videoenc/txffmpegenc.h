// The H.263 encoder filter's class and custom interface.
#pragma once

#include "com/unknown.h"
#include "dshow/media_subtypes.h"

inline constexpr CLSID CLSID_TxFFMpegEnc = {0x2444B036, 0xCBBE, 0x45E9, {0xA8, 0x41, 0x87, 0xC8, 0x3D, 0xBE, 0x61, 0xC0}};
inline constexpr IID IID_ITxFFMpegEnc = {0x42C01B86, 0x1EE3, 0x4C66, {0xB0, 0xDA, 0xEE, 0x2B, 0x37, 0x92, 0x10, 0x6B}};

// Methods in this order after the IUnknown ones.
class ITxFFMpegEnc : public IUnknown {
public:
    // S_FALSE, writing nothing, while the input pin is not connected.
    virtual HRESULT GetInputSize(int* width, int* height) = 0;
    virtual HRESULT GetBitrate(int* bitsPerSecond) = 0;
    // Takes effect at the next start of streaming.
    virtual HRESULT SetBitrate(int bitsPerSecond) = 0;
    virtual HRESULT GetEncOption(int* value) = 0;
    virtual HRESULT SetEncOption(int value) = 0;

protected:
    ~ITxFFMpegEnc() = default;
};
