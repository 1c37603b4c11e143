// Saving the graph: a readable description of its filters and connections.
#include <string>

#include "graph.h"
#include "pin_utils.h"
#include "win/text.h"

using namespace movanta::dshow;

HRESULT CFilterGraph::GetClassID(CLSID* clsid) {
    if (clsid == nullptr) return E_POINTER;
    *clsid = CLSID_FilterGraph;
    return S_OK;
}

HRESULT CFilterGraph::Save(IStream* stream, BOOL) {
    if (stream == nullptr) return E_POINTER;
    std::string text = "MOVANTA FILTER GRAPH 1\nFILTERS\n";
    std::string connections = "CONNECTIONS\n";
    {
        CAutoLock lock(&m_lock);
        for (const Entry& entry : m_filters) {
            CLSID clsid = GUID_NULL;
            entry.filter->GetClassID(&clsid);
            text += "  \"" + movanta::WideToUtf8(entry.name) + "\" " + movanta::GuidToString(clsid) + "\n";
            for (ComPtr<IPin>& pin : PinsOf(entry.filter, PINDIR_OUTPUT)) {
                ComPtr<IPin> peer = PeerOf(pin.Get());
                if (!peer) continue;
                ComPtr<IBaseFilter> downstream = FilterOf(peer.Get());
                AM_MEDIA_TYPE type {};
                pin->ConnectionMediaType(&type);
                connections += "  \"" + movanta::WideToUtf8(entry.name) + "\" \"" +
                               movanta::WideToUtf8(NameOf(pin.Get())) + "\" -> \"" +
                               movanta::WideToUtf8(downstream ? NameOf(downstream.Get()) : L"") + "\" \"" +
                               movanta::WideToUtf8(NameOf(peer.Get())) + "\" " + movanta::GuidToString(type.majortype) +
                               " " + movanta::GuidToString(type.subtype) + "\n";
                FreeMediaType(type);
            }
        }
    }
    text += connections + "END\n";
    ULONG written = 0;
    const HRESULT hr = stream->Write(text.data(), static_cast<ULONG>(text.size()), &written);
    if (FAILED(hr)) return hr;
    return written == text.size() ? S_OK : E_FAIL;
}

HRESULT CFilterGraph::GetSizeMax(ULARGE_INTEGER* size) {
    if (size == nullptr) return E_POINTER;
    CAutoLock lock(&m_lock);
    size->QuadPart = 4096 + m_filters.size() * 1024;
    return S_OK;
}
