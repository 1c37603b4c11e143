#include "video_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "com/unknown.h"
#include "dshow/refclock.h"

namespace movanta::dshow {
class CVideoRenderer::InputPin final : public CTimedRendererPin {
public:
    InputPin(CVideoRenderer* renderer, HRESULT* result)
        : CTimedRendererPin(L"Video renderer input", renderer, result, L"Input") {}
    HRESULT CheckMediaType(const CMediaType* type) override {
        return IsUncompressedPicture(*type) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    }
};

class CVideoRenderer::Window final : public CNestedInterface<IVideoWindow> {
public:
    explicit Window(CVideoRenderer& renderer) : CNestedInterface(renderer), r_(renderer) {}
    HRESULT put_Visible(LONG visible) override {
        CAutoLock lock(&r_.m_csRenderer);
        r_.m_visible = visible;
        r_.ScreenChanged();
        return S_OK;
    }
    HRESULT get_Visible(LONG* visible) override { return Get(r_.m_visible, visible); }
    HRESULT put_Owner(OAHWND owner) override {
        CAutoLock lock(&r_.m_csRenderer);
        r_.m_owner = owner;
        r_.ScreenChanged();
        return S_OK;
    }
    HRESULT get_Owner(OAHWND* owner) override {
        if (owner == nullptr) return E_POINTER;
        CAutoLock lock(&r_.m_csRenderer);
        *owner = r_.m_owner;
        return S_OK;
    }
    HRESULT put_WindowStyle(LONG style) override { return Set(r_.m_style, style); }
    HRESULT get_WindowStyle(LONG* style) override { return Get(r_.m_style, style); }
    HRESULT put_MessageDrain(OAHWND drain) override {
        CAutoLock lock(&r_.m_csRenderer);
        r_.m_drain = drain;
        return S_OK;
    }
    HRESULT SetWindowForeground(LONG) override { return S_OK; }
    HRESULT SetWindowPosition(LONG left, LONG top, LONG width, LONG height) override {
        if (width < 0 || height < 0) return E_INVALIDARG;
        CAutoLock lock(&r_.m_csRenderer);
        r_.m_window = {left, top, left + width, top + height};
        r_.ScreenChanged();
        return S_OK;
    }
    HRESULT GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height) override {
        if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) return E_POINTER;
        CAutoLock lock(&r_.m_csRenderer);
        *left = r_.m_window.left;
        *top = r_.m_window.top;
        *width = r_.m_window.right - r_.m_window.left;
        *height = r_.m_window.bottom - r_.m_window.top;
        return S_OK;
    }
    // The headless back end has no window of its own to hand messages to.
    HRESULT NotifyOwnerMessage(OAHWND, LONG, LONG_PTR, LONG_PTR) override { return S_OK; }

private:
    HRESULT Set(LONG& field, LONG value) {
        CAutoLock lock(&r_.m_csRenderer);
        field = value;
        return S_OK;
    }
    HRESULT Get(const LONG& field, LONG* value) {
        if (value == nullptr) return E_POINTER;
        CAutoLock lock(&r_.m_csRenderer);
        *value = field;
        return S_OK;
    }
    CVideoRenderer& r_;
};

class CVideoRenderer::Video final : public CNestedInterface<IBasicVideo> {
public:
    explicit Video(CVideoRenderer& renderer) : CNestedInterface(renderer), r_(renderer) {}
    HRESULT get_AvgTimePerFrame(REFTIME* time) override {
        if (time == nullptr) return E_POINTER;
        const VIDEOINFOHEADER* header = Connected();
        if (header == nullptr) return VFW_E_NOT_CONNECTED;
        *time = static_cast<REFTIME>(header->AvgTimePerFrame) / UNITS;
        return S_OK;
    }
    HRESULT GetVideoSize(LONG* width, LONG* height) override {
        if (width == nullptr || height == nullptr) return E_POINTER;
        const VIDEOINFOHEADER* header = Connected();
        if (header == nullptr) return VFW_E_NOT_CONNECTED;
        *width = header->bmiHeader.biWidth;
        *height = std::abs(header->bmiHeader.biHeight);
        return S_OK;
    }
    HRESULT put_DestinationLeft(LONG value) override { return Move(value, &RECT::left); }
    HRESULT put_DestinationTop(LONG value) override { return Move(value, &RECT::top); }
    HRESULT put_DestinationWidth(LONG value) override {
        if (value < 0) return E_INVALIDARG;
        CAutoLock lock(&r_.m_csRenderer);
        r_.m_destination.right = r_.m_destination.left + value;
        return S_OK;
    }
    HRESULT put_DestinationHeight(LONG value) override {
        if (value < 0) return E_INVALIDARG;
        CAutoLock lock(&r_.m_csRenderer);
        r_.m_destination.bottom = r_.m_destination.top + value;
        return S_OK;
    }
    HRESULT GetDestinationPosition(LONG* left, LONG* top, LONG* width, LONG* height) override {
        if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) return E_POINTER;
        CAutoLock lock(&r_.m_csRenderer);
        *left = r_.m_destination.left;
        *top = r_.m_destination.top;
        *width = r_.m_destination.right - r_.m_destination.left;
        *height = r_.m_destination.bottom - r_.m_destination.top;
        return S_OK;
    }

    HRESULT GetCurrentImage(LONG* size, LONG* image) override {
        if (size == nullptr) return E_POINTER;
        const VIDEOINFOHEADER* header = Connected();
        if (header == nullptr) return VFW_E_NOT_CONNECTED;
        std::lock_guard guard(r_.m_pictureLock);
        if (r_.m_picture.bytes.empty()) return E_UNEXPECTED;  // nothing shown yet
        const size_t needed = sizeof(BITMAPINFOHEADER) + r_.m_picture.bytes.size();
        if (image == nullptr) {
            *size = static_cast<LONG>(needed);
            return S_OK;
        }
        if (*size < 0 || static_cast<size_t>(*size) < needed) return E_OUTOFMEMORY;
        auto* out = reinterpret_cast<std::uint8_t*>(image);
        BITMAPINFOHEADER info = header->bmiHeader;
        info.biSizeImage = static_cast<DWORD>(r_.m_picture.bytes.size());
        std::memcpy(out, &info, sizeof(info));
        std::memcpy(out + sizeof(info), r_.m_picture.bytes.data(), r_.m_picture.bytes.size());
        *size = static_cast<LONG>(needed);
        return S_OK;
    }

private:
    const VIDEOINFOHEADER* Connected() {
        return r_.m_pin->IsConnected() ? VideoInfoOf(r_.m_pin->CurrentMediaType()) : nullptr;
    }
    // Moves one edge and keeps the size.
    HRESULT Move(LONG value, LONG RECT::*edge) {
        CAutoLock lock(&r_.m_csRenderer);
        RECT& rect = r_.m_destination;
        const LONG width = rect.right - rect.left;
        const LONG height = rect.bottom - rect.top;
        rect.*edge = value;
        rect.right = rect.left + width;
        rect.bottom = rect.top + height;
        return S_OK;
    }
    CVideoRenderer& r_;
};

class CVideoRenderer::Quality final : public CNestedInterface<IQualProp> {
public:
    explicit Quality(CVideoRenderer& renderer) : CNestedInterface(renderer), r_(renderer) {}
    HRESULT get_FramesDroppedInRenderer(int* frames) override { return Answer(frames, r_.dropped_); }
    HRESULT get_FramesDrawn(int* frames) override { return Answer(frames, r_.shown_); }
    HRESULT get_AvgFrameRate(int* rate) override {
        const int interval = Locked([](CVideoRenderer& r) { return r.m_intervals.Mean(); });
        return Answer(rate, interval > 0 ? 100000 / interval : 0);
    }
    HRESULT get_Jitter(int* jitter) override {
        return Answer(jitter, Locked([](CVideoRenderer& r) { return r.m_intervals.Deviation(); }));
    }
    HRESULT get_AvgSyncOffset(int* offset) override {
        return Answer(offset, Locked([](CVideoRenderer& r) { return r.m_lateness.Mean(); }));
    }
    HRESULT get_DevSyncOffset(int* deviation) override {
        return Answer(deviation, Locked([](CVideoRenderer& r) { return r.m_lateness.Deviation(); }));
    }

private:
    static HRESULT Answer(int* out, int value) {
        if (out == nullptr) return E_POINTER;
        *out = value;
        return S_OK;
    }
    int Locked(int (*read)(CVideoRenderer&)) {
        std::lock_guard guard(r_.m_pictureLock);
        return read(r_);
    }
    CVideoRenderer& r_;
};

void CVideoRenderer::Series::Add(double value) {
    count += 1;
    sum += value;
    squares += value * value;
}

int CVideoRenderer::Series::Mean() const {
    return count > 0 ? static_cast<int>(std::lround(sum / count)) : 0;
}

int CVideoRenderer::Series::Deviation() const {
    if (count < 2) return 0;
    const double mean = sum / count;
    return static_cast<int>(std::lround(std::sqrt(std::max(0.0, squares / count - mean * mean))));
}

CUnknown* CVideoRenderer::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CVideoRenderer>(result, outer);
}

CVideoRenderer::CVideoRenderer(LPUNKNOWN outer)
    : CTimedRenderer(L"Video Renderer", outer, CLSID_MovantaVideoRenderer),
      m_windowInterface(std::make_unique<Window>(*this)),
      m_videoInterface(std::make_unique<Video>(*this)),
      m_qualityInterface(std::make_unique<Quality>(*this)) {
    HRESULT hr = S_OK;
    m_pin = new InputPin(this, &hr);
}

CVideoRenderer::~CVideoRenderer() {
    // The last picture does not outlive the renderer on its window.
    if (m_screen.owner != nullptr) ShowWindowPicture(m_screen.owner, {}, {});
    delete m_pin;
}

HRESULT CVideoRenderer::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IVideoWindow) return GetInterface(static_cast<IVideoWindow*>(m_windowInterface.get()), object);
    if (iid == IID_IBasicVideo) return GetInterface(static_cast<IBasicVideo*>(m_videoInterface.get()), object);
    if (iid == IID_IQualProp) return GetInterface(static_cast<IQualProp*>(m_qualityInterface.get()), object);
    return CTimedRenderer::NonDelegatingQueryInterface(iid, object);
}

CBasePin* CVideoRenderer::GetPin(int index) {
    return index == 0 ? m_pin : nullptr;
}

void CVideoRenderer::ScreenChanged() {
    Screen now;
    now.owner = reinterpret_cast<HWND>(m_owner);
    now.visible = m_visible != 0;
    now.place = m_window;
    Screen before;
    {
        std::lock_guard guard(m_screenLock);
        before = std::exchange(m_screen, now);
    }
    if (before.owner != nullptr && (before.owner != now.owner || !now.visible)) {
        ShowWindowPicture(before.owner, {}, {});
    }
}

void CVideoRenderer::PutOnScreen() {
    Screen screen;
    {
        std::lock_guard guard(m_screenLock);
        screen = m_screen;
    }
    if (screen.owner == nullptr || !screen.visible) return;
    RECT place = screen.place;
    if (place.right <= place.left || place.bottom <= place.top) {
        if (!GetClientRect(screen.owner, &place)) return;
    }
    WindowPicture picture = m_screenPictures.Make(m_picture.subtype, m_picture.width, m_picture.height,
                                                  m_picture.bytes, place.right - place.left, place.bottom - place.top);
    if (!picture.pixels.empty()) ShowWindowPicture(screen.owner, place, std::move(picture));
}

CVideoRenderer::Picture CVideoRenderer::LastPicture() {
    std::lock_guard guard(m_pictureLock);
    return m_picture;
}

void CVideoRenderer::Show(IMediaSample* sample, REFERENCE_TIME start, REFERENCE_TIME late) {
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data))) return;
    const CMediaType& type = m_pin->CurrentMediaType();
    const VIDEOINFOHEADER* header = VideoInfoOf(type);
    std::lock_guard guard(m_pictureLock);
    m_picture.subtype = type.subtype;
    m_picture.width = header->bmiHeader.biWidth;
    m_picture.height = header->bmiHeader.biHeight;
    m_picture.start = start;
    m_picture.bytes.assign(data, data + sample->GetActualDataLength());
    PutOnScreen();
    ++shown_;
    if (late < 0) {
        m_lastDrawn = 0;  // the pace is taken while running only
        return;
    }
    const REFERENCE_TIME now = CSystemClock::Now();
    m_lateness.Add(static_cast<double>(late) / MILLISECONDS);
    if (m_lastDrawn != 0) m_intervals.Add(static_cast<double>(now - m_lastDrawn) / MILLISECONDS);
    m_lastDrawn = now;
}

HRESULT CVideoRenderer::Render(IMediaSample* sample) {
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    const bool timed = SUCCEEDED(sample->GetTime(&start, &stop));
    if (sample->IsPreroll() == S_OK) return S_OK;
    // Paused: the picture stands still until the graph runs, stops or flushes.
    if (m_State == State_Paused) {
        Show(sample, start);
        return WaitWhilePaused() ? S_OK : S_FALSE;
    }
    REFERENCE_TIME now = 0;
    if (timed && StreamTime(now)) {
        if (now >= std::max(stop, start + 1)) {  // its time has passed: dropped
            ++dropped_;
            return S_OK;
        }
        if (!WaitUntil(start)) return S_FALSE;
        StreamTime(now);
        Show(sample, start, std::max<REFERENCE_TIME>(0, now - start));
        return S_OK;
    }
    Show(sample, start);
    return S_OK;
}

}  // namespace movanta::dshow
