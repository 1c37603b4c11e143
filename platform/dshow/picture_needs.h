// What a conversion keeps of a video decoder's pictures: the size it scales
// them to and the time between the pictures it encodes. A decoder told so
// leaves out work whose result nobody would see; one never told (a preview)
// decodes everything.
#pragma once

#include "dshow/interfaces.h"

namespace movanta::dshow {

// {5B7C2E91-43A8-4F1D-8C6E-2A9D0B4F7E13}
inline constexpr IID IID_IPictureNeeds = {
    0x5B7C2E91, 0x43A8, 0x4F1D, {0x8C, 0x6E, 0x2A, 0x9D, 0x0B, 0x4F, 0x7E, 0x13}};

class IPictureNeeds : public IUnknown {
public:
    // The pictures kept are `width` x `height`, one every `frameTime` (100 ns
    // units; 0 keeps the source's rate). Takes effect when streaming starts.
    virtual HRESULT SetPictureNeeds(LONG width, LONG height, REFERENCE_TIME frameTime) = 0;

protected:
    ~IPictureNeeds() = default;
};

}  // namespace movanta::dshow
