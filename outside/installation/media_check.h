// Whether the media layer the application plays and converts with works.
#pragma once

#include <string>

namespace movanta::installation {

inline constexpr unsigned kMediaLayerWorks = 90;

struct MediaCheck {
    unsigned level = 0;  // kMediaLayerWorks when everything needed was created
    std::string reason;  // what was missing, when something was
};

// Creates the filter graph manager, the file source and the video and audio
// decoders by class id (the decoders load FFmpeg's libraries), and releases
// them again.
MediaCheck CheckMediaLayer();

}  // namespace movanta::installation
