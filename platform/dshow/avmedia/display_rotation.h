// The turn a stream's pictures need to show upright: phones and cameras
// record in the sensor's orientation and note in a display matrix how the
// picture is to be turned. The file source answers it on its video pin;
// the video decoder turns every picture by it.
#pragma once

#include "dshow/interfaces.h"

struct AVStream;

namespace movanta::dshow {

// {8E0F6C4B-2D13-4A7E-9B58-1C3D5E7F9A21}
inline constexpr IID IID_IDisplayRotation = {
    0x8E0F6C4B, 0x2D13, 0x4A7E, {0x9B, 0x58, 0x1C, 0x3D, 0x5E, 0x7F, 0x9A, 0x21}};

class IDisplayRotation : public IUnknown {
public:
    // Degrees clockwise: 0, 90, 180 or 270.
    virtual HRESULT GetDisplayRotation(int* degrees) = 0;

protected:
    ~IDisplayRotation() = default;
};

// The stream's display matrix as degrees clockwise, rounded to a quarter
// turn (0 without a matrix); mirroring is not applied.
int DisplayRotation(const AVStream& stream);

// The rotation an output pin answers; 0 when it answers none.
int RotationOfPin(IPin* output);

}  // namespace movanta::dshow
