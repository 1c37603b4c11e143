// Class ids and custom interfaces of the outside filters the engine puts in
// its graphs. The method positions the engine calls are fixed; the others
// belong to the filters' own design.
#pragma once

#include "com/unknown.h"
#include "win/winuser.h"

inline constexpr CLSID CLSID_TrxScope = {0xBA345F5B, 0x8E79, 0x4A2D, {0x86, 0xB6, 0xF2, 0x00, 0xEF, 0xDC, 0x2B, 0x40}};
inline constexpr CLSID CLSID_GppSource = {0xCA642B0D, 0xF26B, 0x4CF3, {0x85, 0xEF, 0x2B, 0x67, 0x23, 0x83, 0xD6, 0x88}};
inline constexpr CLSID CLSID_XvidDecoder = {
    0x64697678, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
inline constexpr CLSID CLSID_ImgEffect = {0x1B30EB49, 0x5343, 0x4025, {0x97, 0x86, 0x07, 0x51, 0x8E, 0x43, 0x9E, 0x76}};
inline constexpr CLSID CLSID_AudioGargle = {
    0x813ED3F0, 0x12B4, 0x4A08, {0xBC, 0x9C, 0x43, 0x8F, 0x9D, 0xB7, 0x2E, 0x10}};
inline constexpr CLSID CLSID_AacEncoder = {
    0xDC3E9940, 0x02E2, 0x4258, {0x8E, 0xC3, 0x68, 0x2D, 0x89, 0xB7, 0x32, 0x2A}};
inline constexpr CLSID CLSID_XvidEncoder = {
    0x938132EB, 0x1714, 0x4B6C, {0x8E, 0x67, 0x01, 0x05, 0xFE, 0xFB, 0x2F, 0x9D}};
inline constexpr CLSID CLSID_Mp3Encoder = {
    0xB8D27088, 0xDF5F, 0x4B7C, {0x98, 0xD2, 0x0E, 0x91, 0xA1, 0x69, 0x62, 0x86}};
inline constexpr CLSID CLSID_TxAmp = {0xF662E6AF, 0x477F, 0x4D27, {0x97, 0xA0, 0x45, 0xA7, 0xFF, 0x52, 0x78, 0xBC}};

inline constexpr IID IID_IAudioEffect = {0x1D478F33, 0xB11F, 0x4ED5, {0xB8, 0x2F, 0x85, 0xCB, 0x7F, 0xA3, 0x61, 0x68}};
inline constexpr IID IID_ITxAmp = {0x8CEBF8D3, 0x11B2, 0x43BE, {0x82, 0x9E, 0x44, 0x98, 0x90, 0xD0, 0xDF, 0x9F}};
inline constexpr IID IID_IImgEffectTarget = {
    0x52A712FB, 0x13D2, 0x4950, {0xBA, 0xCC, 0xAF, 0xCD, 0x4C, 0x99, 0x1C, 0x85}};
inline constexpr IID IID_IImgEffectValues = {
    0x67B3EA5B, 0x82A6, 0x41C4, {0xB1, 0x83, 0x3A, 0x00, 0x64, 0xCD, 0x0D, 0x28}};

// "audio gargle": an amplitude modulation. Method 6 arms the effect for a
// run, method 7 sets its value: the modulation rate in hertz (0: the sound
// passes unchanged).
class IAudioEffect : public IUnknown {
public:
    virtual HRESULT SetEnabled(BOOL enabled) = 0;
    virtual HRESULT GetEnabled(BOOL* enabled) = 0;
    // The peak of the last buffer, 0 to 32767.
    virtual HRESULT GetLevel(LONG* level) = 0;
    // How deep the modulation goes, 0 to 100 percent (100 unless set).
    virtual HRESULT SetDepth(LONG percent) = 0;
    virtual HRESULT GetValue(LONG* value) = 0;
    virtual HRESULT Arm() = 0;
    virtual HRESULT SetValue(LONG value) = 0;

protected:
    ~IAudioEffect() = default;
};

// "TxAmp": method 1 gives the owner window (with a parameter and the
// duration in milliseconds), 3 sets the mode, 4 reads the position, 5 sets
// the start.
//
// Mode 0 (unless set) amplifies PCM on its way to the renderer: the
// parameter is the gain in percent (0: unchanged), and the owner window
// receives WM_TXAMP_LEVEL with the peak of the sound (0 to 32767) in wParam
// and its time in milliseconds in lParam, ten times a second of sound.
// Mode 3 writes the compressed audio it receives to the file named through
// IFileSinkFilter, from the start position on, and ends the stream there.
// The position is the time written since the start; the second value the
// time of the stream reached.
inline constexpr UINT WM_TXAMP_LEVEL = WM_APP + 0x2A1;
inline constexpr LONG TXAMP_MODE_AMPLIFY = 0;
inline constexpr LONG TXAMP_MODE_WRITE = 3;

class ITxAmp : public IUnknown {
public:
    virtual HRESULT SetOwner(HWND owner, LONG parameter, LONG milliseconds) = 0;
    virtual HRESULT SetGain(LONG percent) = 0;
    virtual HRESULT SetMode(LONG mode) = 0;
    virtual HRESULT GetPosition(LONGLONG* position, LONGLONG* end) = 0;
    virtual HRESULT SetStart(LONGLONG start) = 0;

protected:
    ~ITxAmp() = default;
};

// "ImgEffect", first interface: method 1 names the filter it stands in for.
class IImgEffectTarget : public IUnknown {
public:
    virtual HRESULT SetReplacedFilter(const CLSID* clsid) = 0;

protected:
    ~IImgEffectTarget() = default;
};

// "ImgEffect", second interface: method 2 sets the value count, 4 the values.
class IImgEffectValues : public IUnknown {
public:
    virtual HRESULT GetCount(LONG* count) = 0;
    virtual HRESULT SetCount(LONG count) = 0;
    virtual HRESULT GetValues(LONG* values) = 0;
    virtual HRESULT SetValues(const LONG* values) = 0;

protected:
    ~IImgEffectValues() = default;
};
