#include "dshow/pospass.h"

CPosPassThru::CPosPassThru(LPCWSTR name, LPUNKNOWN outer, HRESULT* result, IPin* inputPin)
    : CUnknown(name, outer), m_pPin(inputPin) {
    if (inputPin == nullptr && result != nullptr) *result = E_POINTER;
}

HRESULT CPosPassThru::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IMediaSeeking) return GetInterface(static_cast<IMediaSeeking*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(iid, object);
}

HRESULT CPosPassThru::GetPeer(IMediaSeeking** peer) {
    *peer = nullptr;
    IPin* connected = nullptr;
    if (FAILED(m_pPin->ConnectedTo(&connected)) || connected == nullptr) return VFW_E_NOT_CONNECTED;
    const HRESULT hr = connected->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(peer));
    connected->Release();
    return FAILED(hr) ? E_NOTIMPL : S_OK;
}

// Forwards one call to the upstream IMediaSeeking.
#define PASS_UPSTREAM(call)                         \
    IMediaSeeking* peer = nullptr;                  \
    if (HRESULT hr = GetPeer(&peer); FAILED(hr)) {  \
        return hr;                                  \
    }                                               \
    const HRESULT result = peer->call;              \
    peer->Release();                                \
    return result

HRESULT CPosPassThru::GetCapabilities(DWORD* capabilities) { PASS_UPSTREAM(GetCapabilities(capabilities)); }
HRESULT CPosPassThru::CheckCapabilities(DWORD* capabilities) { PASS_UPSTREAM(CheckCapabilities(capabilities)); }
HRESULT CPosPassThru::IsFormatSupported(const GUID* format) { PASS_UPSTREAM(IsFormatSupported(format)); }
HRESULT CPosPassThru::QueryPreferredFormat(GUID* format) { PASS_UPSTREAM(QueryPreferredFormat(format)); }
HRESULT CPosPassThru::GetTimeFormat(GUID* format) { PASS_UPSTREAM(GetTimeFormat(format)); }
HRESULT CPosPassThru::IsUsingTimeFormat(const GUID* format) { PASS_UPSTREAM(IsUsingTimeFormat(format)); }
HRESULT CPosPassThru::SetTimeFormat(const GUID* format) { PASS_UPSTREAM(SetTimeFormat(format)); }
HRESULT CPosPassThru::GetDuration(LONGLONG* duration) { PASS_UPSTREAM(GetDuration(duration)); }
HRESULT CPosPassThru::GetStopPosition(LONGLONG* stop) { PASS_UPSTREAM(GetStopPosition(stop)); }
HRESULT CPosPassThru::GetCurrentPosition(LONGLONG* current) { PASS_UPSTREAM(GetCurrentPosition(current)); }
HRESULT CPosPassThru::ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                        const GUID* sourceFormat) {
    PASS_UPSTREAM(ConvertTimeFormat(target, targetFormat, source, sourceFormat));
}
HRESULT CPosPassThru::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) {
    PASS_UPSTREAM(SetPositions(current, currentFlags, stop, stopFlags));
}
HRESULT CPosPassThru::GetPositions(LONGLONG* current, LONGLONG* stop) { PASS_UPSTREAM(GetPositions(current, stop)); }
HRESULT CPosPassThru::GetAvailable(LONGLONG* earliest, LONGLONG* latest) {
    PASS_UPSTREAM(GetAvailable(earliest, latest));
}
HRESULT CPosPassThru::SetRate(double rate) { PASS_UPSTREAM(SetRate(rate)); }
HRESULT CPosPassThru::GetRate(double* rate) { PASS_UPSTREAM(GetRate(rate)); }
HRESULT CPosPassThru::GetPreroll(LONGLONG* preroll) { PASS_UPSTREAM(GetPreroll(preroll)); }

#undef PASS_UPSTREAM
