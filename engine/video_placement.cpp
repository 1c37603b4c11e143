#include "engine/video_placement.h"

namespace movanta::engine {
namespace {

constexpr LONG kChildStyle = 0x42000000;  // WS_CHILD | WS_CLIPSIBLINGS
constexpr LONG kTrue = -1;                // OATRUE
constexpr LONG kFalse = 0;

}  // namespace

Placement FitVideo(LONG clientWidth, LONG clientHeight, LONG videoWidth, LONG videoHeight) {
    Placement placement;
    if (videoWidth <= 0 || videoHeight <= 0) return placement;
    if (videoWidth > clientWidth || videoHeight > clientHeight) {
        const double widthScale = static_cast<double>(clientWidth) / videoWidth;
        const double heightScale = static_cast<double>(clientHeight) / videoHeight;
        if (heightScale < widthScale) {
            placement.width = static_cast<LONG>(videoWidth * heightScale);
            placement.height = clientHeight;
            placement.left = (clientWidth - placement.width) / 2;
        } else {
            placement.width = clientWidth;
            placement.height = static_cast<LONG>(widthScale * videoHeight);
            placement.top = (clientHeight - placement.height) / 2;
        }
    } else {
        placement.width = videoWidth;
        placement.height = videoHeight;
        placement.left = (clientWidth - videoWidth) / 2;
        placement.top = (clientHeight - videoHeight) / 2;
    }
    return placement;
}

void PlaceVideo(GraphSession& graph, HWND videoWindow, const RECT& client) {
    const LONG clientWidth = client.right - client.left;
    const LONG clientHeight = client.bottom - client.top;
    IVideoWindow* window = graph.videoWindow.Get();
    window->put_Visible(kFalse);
    window->put_Owner(reinterpret_cast<OAHWND>(videoWindow));
    window->put_WindowStyle(kChildStyle);
    window->put_Visible(kTrue);
    window->SetWindowForeground(kTrue);
    window->SetWindowPosition(0, 0, clientWidth, clientHeight);

    LONG videoWidth = 0;
    LONG videoHeight = 0;
    if (FAILED(graph.basicVideo->GetVideoSize(&videoWidth, &videoHeight))) return;
    const Placement placement = FitVideo(clientWidth, clientHeight, videoWidth, videoHeight);
    graph.basicVideo->put_DestinationLeft(placement.left);
    graph.basicVideo->put_DestinationTop(placement.top);
    graph.basicVideo->put_DestinationWidth(placement.width);
    graph.basicVideo->put_DestinationHeight(placement.height);
}

}  // namespace movanta::engine
