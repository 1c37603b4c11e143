// IBasicAudio, IBasicVideo and IVideoWindow of the graph: each call goes to
// the first filter (newest first) that has the interface.
#include "graph.h"

template <class Interface>
Interface* CFilterGraph::FindInterface(REFIID iid) {
    std::vector<IBaseFilter*> filters = FiltersSnapshot();
    Interface* found = nullptr;
    for (IBaseFilter* filter : filters) {
        if (SUCCEEDED(filter->QueryInterface(iid, reinterpret_cast<void**>(&found)))) break;
        found = nullptr;
    }
    ReleaseAll(filters);
    return found;
}

#define FORWARD(Interface, call)                                   \
    Interface* target = FindInterface<Interface>(IID_##Interface); \
    if (target == nullptr) return E_NOINTERFACE;                   \
    const HRESULT result = target->call;                           \
    target->Release();                                             \
    return result

HRESULT CFilterGraph::put_Volume(LONG volume) {
    FORWARD(IBasicAudio, put_Volume(volume));
}
HRESULT CFilterGraph::get_Volume(LONG* volume) {
    FORWARD(IBasicAudio, get_Volume(volume));
}
HRESULT CFilterGraph::put_Balance(LONG balance) {
    FORWARD(IBasicAudio, put_Balance(balance));
}
HRESULT CFilterGraph::get_Balance(LONG* balance) {
    FORWARD(IBasicAudio, get_Balance(balance));
}

HRESULT CFilterGraph::get_AvgTimePerFrame(REFTIME* time) {
    FORWARD(IBasicVideo, get_AvgTimePerFrame(time));
}
HRESULT CFilterGraph::GetVideoSize(LONG* width, LONG* height) {
    FORWARD(IBasicVideo, GetVideoSize(width, height));
}
HRESULT CFilterGraph::put_DestinationLeft(LONG value) {
    FORWARD(IBasicVideo, put_DestinationLeft(value));
}
HRESULT CFilterGraph::put_DestinationTop(LONG value) {
    FORWARD(IBasicVideo, put_DestinationTop(value));
}
HRESULT CFilterGraph::put_DestinationWidth(LONG value) {
    FORWARD(IBasicVideo, put_DestinationWidth(value));
}
HRESULT CFilterGraph::put_DestinationHeight(LONG value) {
    FORWARD(IBasicVideo, put_DestinationHeight(value));
}
HRESULT CFilterGraph::GetDestinationPosition(LONG* left, LONG* top, LONG* width, LONG* height) {
    FORWARD(IBasicVideo, GetDestinationPosition(left, top, width, height));
}
HRESULT CFilterGraph::GetCurrentImage(LONG* size, LONG* image) {
    FORWARD(IBasicVideo, GetCurrentImage(size, image));
}

HRESULT CFilterGraph::put_Visible(LONG visible) {
    FORWARD(IVideoWindow, put_Visible(visible));
}
HRESULT CFilterGraph::get_Visible(LONG* visible) {
    FORWARD(IVideoWindow, get_Visible(visible));
}
HRESULT CFilterGraph::put_Owner(OAHWND owner) {
    FORWARD(IVideoWindow, put_Owner(owner));
}
HRESULT CFilterGraph::get_Owner(OAHWND* owner) {
    FORWARD(IVideoWindow, get_Owner(owner));
}
HRESULT CFilterGraph::put_WindowStyle(LONG style) {
    FORWARD(IVideoWindow, put_WindowStyle(style));
}
HRESULT CFilterGraph::get_WindowStyle(LONG* style) {
    FORWARD(IVideoWindow, get_WindowStyle(style));
}
HRESULT CFilterGraph::put_MessageDrain(OAHWND drain) {
    FORWARD(IVideoWindow, put_MessageDrain(drain));
}
HRESULT CFilterGraph::SetWindowForeground(LONG focus) {
    FORWARD(IVideoWindow, SetWindowForeground(focus));
}
HRESULT CFilterGraph::SetWindowPosition(LONG left, LONG top, LONG width, LONG height) {
    FORWARD(IVideoWindow, SetWindowPosition(left, top, width, height));
}
HRESULT CFilterGraph::GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height) {
    FORWARD(IVideoWindow, GetWindowPosition(left, top, width, height));
}
HRESULT CFilterGraph::NotifyOwnerMessage(OAHWND window, LONG message, LONG_PTR wParam, LONG_PTR lParam) {
    FORWARD(IVideoWindow, NotifyOwnerMessage(window, message, wParam, lParam));
}

#undef FORWARD
