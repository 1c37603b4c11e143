// The frame scaler filter's class and custom interface.
#pragma once

#include "com/unknown.h"

inline constexpr CLSID CLSID_TxResample = {
    0x1E6744A8, 0xC195, 0x45D7, {0x91, 0xED, 0xE5, 0x14, 0x35, 0xB0, 0x37, 0x12}};
inline constexpr IID IID_ITxResample = {0x6BAF2CF6, 0x2A0E, 0x4923, {0xB3, 0xF1, 0xE5, 0x8C, 0xFF, 0xCD, 0xFD, 0xC4}};

// Methods in this order after the IUnknown ones.
class ITxResample : public IUnknown {
public:
    virtual HRESULT GetSrcResulotion(int* width, int* height) = 0;
    // S_FALSE (nothing changed) unless 8 <= width, height <= 3072.
    virtual HRESULT SetDstResulotion(int width, int height, int mode) = 0;
    // S_FALSE (no frame-rate limit) unless 0 < fps < 65.
    virtual HRESULT SetDstFramerate(float fps) = 0;
    virtual HRESULT StartConvert() = 0;

protected:
    ~ITxResample() = default;
};
