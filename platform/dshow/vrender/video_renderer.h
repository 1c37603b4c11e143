// The video renderer of the platform: YV12, YUY2 or RGB24 pictures shown at
// their time on the graph's clock, in the window given through
// IVideoWindow (its owner, at the place SetWindowPosition gives, or over
// its whole client area), while it is visible. A picture that arrives after
// its time has passed is dropped, not queued. IQualProp tells how many
// pictures were drawn and dropped since the renderer was made, and how late
// the drawn ones came. The last picture shown is kept (LastPicture); the
// headless back end shows nothing else.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "dshow/timed_renderer.h"
#include "screen_picture.h"

namespace movanta::dshow {

// {3C1E7A52-9B4D-4E0F-8C61-2D7B5A9E0F20}
inline constexpr CLSID CLSID_MovantaVideoRenderer = {
    0x3C1E7A52, 0x9B4D, 0x4E0F, {0x8C, 0x61, 0x2D, 0x7B, 0x5A, 0x9E, 0x0F, 0x20}};

class CVideoRenderer final : public CTimedRenderer {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CVideoRenderer(LPUNKNOWN outer);
    ~CVideoRenderer() override;

    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int index) override;

    struct Picture {
        GUID subtype {};
        LONG width = 0;
        LONG height = 0;  // negative for a top-down RGB24 picture
        REFERENCE_TIME start = 0;
        std::vector<std::uint8_t> bytes;
    };
    // The picture shown last (empty bytes before the first).
    Picture LastPicture();
    int PicturesShown() const { return shown_; }
    int PicturesDropped() const { return dropped_; }

private:
    class InputPin;
    class Window;
    class Video;
    class Quality;
    friend class InputPin;

    // Running mean and standard deviation of a series of milliseconds.
    struct Series {
        double count = 0;
        double sum = 0;
        double squares = 0;
        void Add(double value);
        int Mean() const;
        int Deviation() const;
    };

    // Holds the sample until its time (or shows it at once when paused, as
    // the picture that stands still), then keeps it as the picture shown.
    HRESULT Render(IMediaSample* sample) override;
    // `late`: how long after its time a running picture is shown (negative:
    // shown paused, not timed).
    void Show(IMediaSample* sample, REFERENCE_TIME start, REFERENCE_TIME late = -1);

    // The owner, visibility or place changed (under m_csRenderer): the
    // screen's copy follows, and a picture left on an old owner goes.
    void ScreenChanged();
    // The picture just kept, put on the owner's screen (under m_pictureLock).
    void PutOnScreen();

    InputPin* m_pin = nullptr;
    std::mutex m_pictureLock;
    Picture m_picture;
    std::atomic<int> shown_ {0};
    std::atomic<int> dropped_ {0};

    // IVideoWindow and IBasicVideo state, under m_csRenderer.
    OAHWND m_owner = 0;
    OAHWND m_drain = 0;
    LONG m_style = 0;
    LONG m_visible = -1;  // OATRUE
    RECT m_window {0, 0, 0, 0};
    RECT m_destination {0, 0, 0, 0};
    std::unique_ptr<Window> m_windowInterface;
    std::unique_ptr<Video> m_videoInterface;
    std::unique_ptr<Quality> m_qualityInterface;

    // Where pictures go on the screen, a copy of the state above that the
    // streaming thread reads under m_screenLock alone.
    struct Screen {
        HWND owner = nullptr;
        bool visible = true;
        RECT place {0, 0, 0, 0};  // empty: the owner's whole client area
    };
    std::mutex m_screenLock;
    Screen m_screen;
    ScreenPictureMaker m_screenPictures;  // under m_pictureLock

    // IQualProp figures, under m_pictureLock.
    Series m_lateness;
    Series m_intervals;
    REFERENCE_TIME m_lastDrawn = 0;  // system time of the last running picture
};

}  // namespace movanta::dshow
