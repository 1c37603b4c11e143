// CVideoStatic: the window the engine shows the video in (skin control
// 1001). The engine's video renderer must hear of the owner window's moves,
// palette and display changes: those messages are forwarded to it with the
// media handle before the window handles them itself.
#pragma once

#include <functional>

#include "afxwin/controls.h"
#include "engine/convengine.h"

namespace movanta::app {

class CVideoStatic : public CStatic {
public:
    using Forward = std::function<void(TrxMedia media, HWND window, UINT message, WPARAM wParam, LPARAM lParam)>;

    // The engine's TrxNotifyOwnerMessage unless another is given.
    explicit CVideoStatic(Forward forward = {});
    // The media whose renderer hears the messages (null: none is open).
    void SetMedia(TrxMedia media) { m_media = media; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    Forward m_forward;
    TrxMedia m_media = nullptr;
};

}  // namespace movanta::app
