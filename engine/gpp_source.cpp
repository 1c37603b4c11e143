#include "engine/gpp_source.h"

#include "dshow/media_subtypes.h"
#include "dshow/mediatype.h"
#include "engine/graph_steps.h"

namespace movanta::engine {
namespace {

constexpr CLSID kH263Decoder = {0xCE7A18D1, 0x5503, 0x430E, {0xA0, 0xD7, 0x23, 0x96, 0x5C, 0x93, 0xD5, 0x29}};
constexpr CLSID kAmrDecoder = {0x5ABFF933, 0x5A1C, 0x44C8, {0x8E, 0x90, 0xE0, 0xEB, 0xC1, 0x24, 0xC8, 0x94}};

// Adds `decoder`, connects `source` to its input 0 and renders its output 0.
HRESULT DecodeAndRender(GraphSession& graph, IPin* source, REFCLSID decoder, LPCWSTR name) {
    ComPtr<IPin> output;
    const HRESULT hr = AddAndConnect(graph, decoder, name, source, &output);
    if (FAILED(hr)) return hr;
    return output ? graph.graph->Render(output.Get()) : E_FAIL;
}

}  // namespace

HRESULT BuildGppSource(GraphSession& graph, const std::wstring& path) {
    ComPtr<IBaseFilter> source;
    if (FAILED(graph.AddFilter(CLSID_GppSource, L"Source", &source))) return E_FAIL;
    auto loader = source.As<IFileSourceFilter>(IID_IFileSourceFilter);
    if (!loader || FAILED(loader->Load(path.c_str(), nullptr))) return E_FAIL;
    for (int index = 0; index < 2; ++index) {
        ComPtr<IPin> pin = PinByIndex(source.Get(), PINDIR_OUTPUT, index);
        if (!pin) return index == 0 ? E_FAIL : S_OK;
        CMediaType type;
        if (!FirstType(pin.Get(), type)) return E_FAIL;
        HRESULT hr = E_FAIL;
        if (type.majortype == MEDIATYPE_Video) {
            if (type.subtype == GUID_NULL) {
                hr = DecodeAndRender(graph, pin.Get(), CLSID_XvidDecoder, L"XVid");
            } else if (type.subtype == MEDIASUBTYPE_H263) {
                hr = DecodeAndRender(graph, pin.Get(), kH263Decoder, L"H263 Decoder");
            }
        } else if (type.majortype == MEDIATYPE_Audio) {
            if (type.subtype == MEDIASUBTYPE_AAC) {
                hr = graph.graph->Render(pin.Get());
            } else if (type.subtype == MEDIASUBTYPE_AMR) {
                hr = DecodeAndRender(graph, pin.Get(), kAmrDecoder, L"AMR Decoder");
            }
        }
        if (FAILED(hr)) return E_FAIL;
    }
    return S_OK;
}

}  // namespace movanta::engine
