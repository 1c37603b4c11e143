// CTxAmrModePage ("Bitrate Mode"): eight radio buttons, one an AMR mode
// (4.75 to 12.20 kbit/s), that set the encoder's mode through
// ITxAmrBitrate. The page keeps which button is checked; a click reaches it
// as WM_COMMAND with the button's identifier.
#pragma once

#include "dshow/proppage.h"
#include "filters/speechenc/txamrbitrate.h"

namespace movanta::amr {

class CTxAmrModePage final : public CBasePropertyPage {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CTxAmrModePage(LPUNKNOWN outer);
    ~CTxAmrModePage() override;

    static constexpr int kDialogId = 101;
    static constexpr int kFirstButton = 1000;  // button k has identifier 1000 + k and codes mode k
    static constexpr int kButtonCount = 8;
    static const wchar_t* const kLabels[kButtonCount];

    HRESULT OnConnect(IUnknown* object) override;
    HRESULT OnDisconnect() override;
    HRESULT OnActivate() override;
    HRESULT OnDeactivate() override;
    HRESULT OnApplyChanges() override;
    LRESULT OnReceiveMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The index of the checked button, or -1 when none is (mode 8 has none).
    int CheckedButton() const { return m_checked; }

private:
    ITxAmrBitrate* m_bitrate = nullptr;  // holds a reference while connected
    int m_mode = 3;
    int m_checked = -1;
    bool m_active = false;
};

}  // namespace movanta::amr
