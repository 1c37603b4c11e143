#include "display_rotation.h"

#include <cmath>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/display.h>
}

#include "com/com_ptr.h"
#include "dshow/interfaces.h"

namespace movanta::dshow {

int DisplayRotation(const AVStream& stream) {
    size_t size = 0;
    const std::uint8_t* matrix =
        av_stream_get_side_data(const_cast<AVStream*>(&stream), AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (matrix == nullptr || size < 9 * sizeof(std::int32_t)) return 0;
    // The matrix turns counter-clockwise by the angle it gives.
    const double angle = -av_display_rotation_get(reinterpret_cast<const std::int32_t*>(matrix));
    if (std::isnan(angle)) return 0;
    const long quarters = std::lround(angle / 90.0);
    return static_cast<int>(((quarters % 4) + 4) % 4) * 90;
}

int RotationOfPin(IPin* output) {
    ComPtr<IDisplayRotation> rotation;
    if (output == nullptr || FAILED(output->QueryInterface(IID_IDisplayRotation, rotation.ReceiveVoid()))) return 0;
    int degrees = 0;
    if (FAILED(rotation->GetDisplayRotation(&degrees))) return 0;
    return degrees == 90 || degrees == 180 || degrees == 270 ? degrees : 0;
}

}  // namespace movanta::dshow
