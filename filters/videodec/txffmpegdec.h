// The H.263 decoder filter's class and custom interface.
#pragma once

#include "com/unknown.h"

inline constexpr CLSID CLSID_TxFFMpegDec = {
    0xCE7A18D1, 0x5503, 0x430E, {0xA0, 0xD7, 0x23, 0x96, 0x5C, 0x93, 0xD5, 0x29}};
inline constexpr IID IID_ITxFFMpegDec = {0xA7F4E5B4, 0x06D7, 0x4E3F, {0x8E, 0xE0, 0xE6, 0xDF, 0x43, 0xE6, 0xB9, 0xAE}};

// Methods in this order after the IUnknown ones.
class ITxFFMpegDec : public IUnknown {
public:
    // S_FALSE, writing nothing, while the input pin is not connected.
    virtual HRESULT GetInputSize(int* width, int* height) = 0;
    virtual HRESULT GetBitrate(int* bitsPerSecond) = 0;
    virtual HRESULT GetEncOption(int* value) = 0;

protected:
    ~ITxFFMpegDec() = default;
};
