#include "engine/graph_session.h"

#include <fstream>

#include "com/comapi.h"
#include "win/debug.h"
#include "win/text.h"
#include "win/thread.h"

namespace movanta::engine {

HRESULT GraphSession::Init(DWORD context, bool previewInterfaces) {
    Release();
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, context, IID_IGraphBuilder, graph.ReceiveVoid());
    if (SUCCEEDED(hr)) {
        control = graph.As<IMediaControl>(IID_IMediaControl);
        seeking = graph.As<IMediaSeeking>(IID_IMediaSeeking);
        events = graph.As<IMediaEventEx>(IID_IMediaEventEx);
        if (!control || !seeking || !events) hr = E_NOINTERFACE;
    }
    if (SUCCEEDED(hr) && previewInterfaces) {
        basicVideo = graph.As<IBasicVideo>(IID_IBasicVideo);
        basicAudio = graph.As<IBasicAudio>(IID_IBasicAudio);
        videoWindow = graph.As<IVideoWindow>(IID_IVideoWindow);
        if (!basicVideo || !basicAudio || !videoWindow) hr = E_NOINTERFACE;
    }
    if (FAILED(hr)) Release();
    return hr;
}

void GraphSession::Release() {
    videoWindow.Reset();
    basicAudio.Reset();
    basicVideo.Reset();
    events.Reset();
    seeking.Reset();
    control.Reset();
    graph.Reset();
}

void GraphSession::ReadDuration(std::int64_t& duration) {
    seeking->SetTimeFormat(&TIME_FORMAT_MEDIA_TIME);
    LONGLONG read = 0;
    if (SUCCEEDED(seeking->GetDuration(&read))) duration = read;
}

HRESULT GraphSession::AddFilter(REFCLSID clsid, LPCWSTR name, ComPtr<IBaseFilter>* added) {
    if (!graph) return E_UNEXPECTED;
    ComPtr<IBaseFilter> filter;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.ReceiveVoid());
    if (FAILED(hr)) return hr;
    hr = graph->AddFilter(filter.Get(), name);
    if (FAILED(hr)) return hr;
    if (added != nullptr) *added = filter;
    return S_OK;
}

namespace {

constexpr LONG kCompletionWait = 200;

// A stream over a file, for IPersistStream::Save.
class FileStream final : public IStream {
public:
    explicit FileStream(const std::string& path) : out_(path, std::ios::binary | std::ios::trunc) {}
    bool IsOpen() const { return out_.is_open(); }
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT Read(void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT Write(const void* data, ULONG size, ULONG* written) override {
        out_.write(static_cast<const char*>(data), size);
        if (written != nullptr) *written = out_ ? size : 0;
        return out_ ? S_OK : E_FAIL;
    }

private:
    std::ofstream out_;
};

}  // namespace

HRESULT GraphSession::Save(const std::wstring& path) {
    auto persist = graph.As<IPersistStream>(IID_IPersistStream);
    if (!persist) return E_NOINTERFACE;
    FileStream stream(NativePath(path.c_str()));
    if (!stream.IsOpen()) return E_FAIL;
    return persist->Save(&stream, TRUE);
}

HRESULT GraphSession::WaitForCompletion(LONG* code) {
    const HRESULT waited = events->WaitForCompletion(kCompletionWait, code);
    if (FAILED(waited) && waited != E_ABORT) Sleep(kCompletionWait);
    return waited;
}

bool IsAcceptedBuildResult(HRESULT hr) {
    return hr == S_OK || hr == VFW_S_DUPLICATE_NAME || hr == VFW_S_PARTIAL_RENDER || hr == VFW_S_AUDIO_NOT_RENDERED;
}

void ReportBuildResult(HRESULT hr) {
    struct Name {
        HRESULT code;
        const char* text;
    };
    static const Name kNames[] = {
        {VFW_S_DUPLICATE_NAME, " VFW_S_DUPLICATE_NAME \n"},
        {VFW_S_PARTIAL_RENDER, " VFW_S_PARTIAL_RENDER \n"},
        {VFW_S_VIDEO_NOT_RENDERED, " VFW_S_VIDEO_NOT_RENDERED \n"},
        {VFW_S_AUDIO_NOT_RENDERED, " VFW_S_AUDIO_NOT_RENDERED \n"},
        {E_ABORT, " E_ABORT \n"},
        {E_FAIL, " E_FAIL \n"},
        {VFW_E_NOT_FOUND, " VFW_E_NOT_FOUND \n"},
        {VFW_E_CANNOT_CONNECT, " VFW_E_CANNOT_CONNECT \n"},
        {VFW_E_CANNOT_RENDER, " VFW_E_CANNOT_RENDER \n"},
        {VFW_E_INVALID_FILE_FORMAT, " VFW_E_INVALID_FILE_FORMAT \n"},
        {VFW_E_UNKNOWN_FILE_TYPE, " VFW_E_UNKNOWN_FILE_TYPE \n"},
        {VFW_E_CANNOT_LOAD_SOURCE_FILTER, " VFW_E_CANNOT_LOAD_SOURCE_FILTER \n"},
        {VFW_E_UNSUPPORTED_STREAM, " VFW_E_UNSUPPORTED_STREAM \n"},
        {E_OUTOFMEMORY, " E_OUTOFMEMORY \n"},
        {E_INVALIDARG, " E_INVALIDARG \n"},
    };
    for (const Name& name : kNames) {
        if (name.code == hr) OutputDebugStringA(name.text);
    }
}

ComPtr<IPin> PinByIndex(IBaseFilter* filter, PIN_DIRECTION direction, int index) {
    ComPtr<IEnumPins> pins;
    if (filter == nullptr || FAILED(filter->EnumPins(pins.Receive()))) return {};
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.Receive(), nullptr) == S_OK) {
        PIN_DIRECTION found = PINDIR_INPUT;
        pin->QueryDirection(&found);
        if (found == direction && index-- == 0) return pin;
    }
    return {};
}

}  // namespace movanta::engine
