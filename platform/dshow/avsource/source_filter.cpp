#include "source_filter.h"


extern "C" {
#include <libavformat/avformat.h>
}

#include "com/comapi.h"
#include "source_pin.h"
#include "win/debug.h"
#include "win/text.h"

namespace movanta::dshow {

CUnknown* CAvSourceFilter::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CAvSourceFilter>(result, outer, CLSID_MovantaFileSource);
}

CUnknown* CAvSourceFilter::CreateAsfReader(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CAvSourceFilter>(result, outer, CLSID_WMAsfReader);
}

CAvSourceFilter::CAvSourceFilter(LPUNKNOWN outer, REFCLSID clsid, StreamTyper typer)
    : CSource(L"File Source", outer, clsid), m_typer(typer != nullptr ? typer : MediaTypeOfStream) {}

// The pins refer to the demuxer: they go first.
CAvSourceFilter::~CAvSourceFilter() {
    while (!m_paStreams.empty()) delete m_paStreams.back();  // each removes itself
}

HRESULT CAvSourceFilter::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IFileSourceFilter) return GetInterface(static_cast<IFileSourceFilter*>(&m_fileSource), object);
    return CSource::NonDelegatingQueryInterface(iid, object);
}

HRESULT CAvSourceFilter::FileSource::Load(LPCOLESTR file, const AM_MEDIA_TYPE*) {
    if (file == nullptr) return E_POINTER;
    CAutoLock lock(&filter_.m_cStateLock);
    if (filter_.m_demuxer) return E_UNEXPECTED;  // one file a source
    auto demuxer = std::make_unique<Demuxer>();
    std::string error;
    if (!demuxer->Open(WideToUtf8(file), error)) {
        TRACE("%s", error.c_str());
        return demuxer->Streams().empty() && error.find("no audio or video") != std::string::npos
                   ? VFW_E_UNSUPPORTED_STREAM
                   : VFW_E_INVALID_FILE_FORMAT;
    }
    filter_.m_demuxer = std::move(demuxer);
    filter_.m_file = file;
    int slot = 0;
    for (AVStream* stream : filter_.m_demuxer->Streams()) {
        CMediaType type;
        filter_.m_typer(*stream->codecpar, stream->avg_frame_rate, type);
        const bool video = type.majortype == MEDIATYPE_Video;
        HRESULT hr = S_OK;
        new CAvSourcePin(&filter_, *filter_.m_demuxer, slot++, type, video ? L"Video" : L"Audio", &hr);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT CAvSourceFilter::FileSource::GetCurFile(LPOLESTR* file, AM_MEDIA_TYPE* type) {
    if (file == nullptr) return E_POINTER;
    CAutoLock lock(&filter_.m_cStateLock);
    *file = nullptr;
    if (type != nullptr) *type = AM_MEDIA_TYPE {};
    if (!filter_.m_demuxer) return E_FAIL;
    *file = CoTaskMemString(filter_.m_file);
    return *file == nullptr ? E_OUTOFMEMORY : S_OK;
}

}  // namespace movanta::dshow
