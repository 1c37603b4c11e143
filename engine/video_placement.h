// Where the preview shows its video in the application's video window.
#pragma once

#include "engine/graph_session.h"
#include "win/windows.h"

namespace movanta::engine {

// The picture's place for a video of `videoWidth` x `videoHeight` in a
// client area of `clientWidth` x `clientHeight`: a larger video is scaled
// down to fit with its shape kept and centred; a smaller one keeps its
// size, centred.
struct Placement {
    LONG left = 0;
    LONG top = 0;
    LONG width = 0;
    LONG height = 0;
};
Placement FitVideo(LONG clientWidth, LONG clientHeight, LONG videoWidth, LONG videoHeight);

// Makes `videoWindow` the owner of the graph's video window, covering its
// client area, and sets the picture's place in it.
void PlaceVideo(GraphSession& graph, HWND videoWindow, const RECT& client);

}  // namespace movanta::engine
