// The AMR encoder filter's classes, custom interface and the AMR subtype.
#pragma once

#include "com/unknown.h"
#include "dshow/media_subtypes.h"

inline constexpr CLSID CLSID_TxAmrNbEncoder = {
    0xC3A9128E, 0x060C, 0x40B5, {0xB5, 0xD9, 0xAC, 0xB5, 0x25, 0x7A, 0x97, 0xCC}};
inline constexpr CLSID CLSID_TxAmrModePage = {
    0x49900440, 0x3693, 0x4682, {0x84, 0x80, 0x8B, 0x49, 0x58, 0x95, 0xDB, 0x7A}};
inline constexpr IID IID_ITxAmrBitrate = {0x6D6142D0, 0xAEFC, 0x4449, {0x8E, 0x58, 0xBD, 0xB1, 0xEE, 0xD3, 0x9F, 0x0C}};
inline constexpr GUID MEDIASUBTYPE_WAVE = {
    0xE436EB8B, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

// Methods in this order after the IUnknown ones.
class ITxAmrBitrate : public IUnknown {
public:
    virtual HRESULT GetBitRateMode(int* mode) = 0;
    // E_INVALIDARG unless 0 <= mode <= 8; applies from the next frame.
    virtual HRESULT SetBitRateMode(int mode) = 0;

protected:
    ~ITxAmrBitrate() = default;
};
