// The MP4/3GP writer filter's class and custom interface.
#pragma once

#include "com/unknown.h"
#include "dshow/types.h"

inline constexpr CLSID CLSID_Mp4Muxer = {0x1CBA5333, 0x4652, 0x48E0, {0xA9, 0x02, 0x01, 0x87, 0x89, 0xEC, 0x58, 0x4C}};
inline constexpr IID IID_ITxMuxer = {0xB5C0C6DC, 0x9AF4, 0x40AA, {0x9E, 0x55, 0xB8, 0x86, 0xA2, 0x1B, 0x3F, 0x59}};

// GetStatus answers.
inline constexpr int TRXMUXER_STATUS_RUNNING = 0;
inline constexpr int TRXMUXER_STATUS_END = 1;
inline constexpr int TRXMUXER_STATUS_ERROR = 2;
inline constexpr int TRXMUXER_STATUS_VAB_FPS = 3;

// Methods in this order after the IUnknown ones; each answers 0 or 1.
class ITxMuxer : public IUnknown {
public:
    virtual HRESULT GetStatus(LONGLONG* position, LONGLONG* size, int* status) = 0;
    virtual int SetMediaPosition(LONGLONG position) = 0;
    virtual int SetDstResulotion(LONGLONG start, LONGLONG end, int width, int height) = 0;
    virtual int SetSourceIsWmv(int isWmv) = 0;
    virtual int StartStreaming() = 0;

protected:
    ~ITxMuxer() = default;
};
