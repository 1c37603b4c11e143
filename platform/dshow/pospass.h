// IMediaSeeking passed upstream: every call goes to the output pin connected
// to the given input pin. Transform output pins and renderers use it so that
// seeking the graph reaches the source.
#pragma once

#include "dshow/filter.h"

class CPosPassThru : public CUnknown, public IMediaSeeking {
public:
    // `inputPin` is not referenced: the pass-through lives inside its filter.
    CPosPassThru(LPCWSTR name, LPUNKNOWN outer, HRESULT* result, IPin* inputPin);

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;

    HRESULT GetCapabilities(DWORD* capabilities) override;
    HRESULT CheckCapabilities(DWORD* capabilities) override;
    HRESULT IsFormatSupported(const GUID* format) override;
    HRESULT QueryPreferredFormat(GUID* format) override;
    HRESULT GetTimeFormat(GUID* format) override;
    HRESULT IsUsingTimeFormat(const GUID* format) override;
    HRESULT SetTimeFormat(const GUID* format) override;
    HRESULT GetDuration(LONGLONG* duration) override;
    HRESULT GetStopPosition(LONGLONG* stop) override;
    HRESULT GetCurrentPosition(LONGLONG* current) override;
    HRESULT ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                              const GUID* sourceFormat) override;
    HRESULT SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) override;
    HRESULT GetPositions(LONGLONG* current, LONGLONG* stop) override;
    HRESULT GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
    HRESULT SetRate(double rate) override;
    HRESULT GetRate(double* rate) override;
    HRESULT GetPreroll(LONGLONG* preroll) override;

private:
    // The upstream IMediaSeeking (with a reference), or an error.
    HRESULT GetPeer(IMediaSeeking** peer);
    IPin* m_pPin;
};
