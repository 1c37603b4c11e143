// Writes decoded pictures into a YV12, YUY2 or RGB24 buffer of the
// connected output size through libswscale (converting and, when the
// decoder's size differs from the connected one, scaling), so a picture
// never runs past the buffer.
#pragma once

#include "dshow/mediatype.h"

struct AVFrame;
struct SwsContext;

namespace movanta::dshow {

class PictureWriter {
public:
    PictureWriter() = default;
    ~PictureWriter();
    PictureWriter(const PictureWriter&) = delete;
    PictureWriter& operator=(const PictureWriter&) = delete;

    // Takes the connected output type; false for one it cannot write.
    bool SetOutput(const CMediaType& type);
    // Bytes of one output picture.
    long PictureBytes() const { return bytes_; }
    // Writes `frame` at `target` (at least PictureBytes() long).
    bool Write(const AVFrame& frame, std::uint8_t* target);
    void Reset();

private:
    enum class Layout { kYv12, kYuy2, kRgb24 };
    SwsContext* context_ = nullptr;
    Layout layout_ = Layout::kYv12;
    int stride_ = 0;  // pixels a row in the buffer
    int width_ = 0;   // pixels of picture a row
    int height_ = 0;
    int rows_ = 0;  // rows in the buffer
    bool bottomUp_ = false;
    long bytes_ = 0;
};

}  // namespace movanta::dshow
