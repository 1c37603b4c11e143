// The file source of the platform: any file libavformat reads, one output
// pin for its first video stream and one for its first audio stream, with
// compressed types the decoders accept (PCM audio as it stands). Seeking
// goes to the key frame before the target; the frames before the target
// come first, with negative times and marked preroll, for the decoders to
// decode and drop.
#pragma once

#include <memory>
#include <string>

#include "dshow/platform_filters.h"
#include "av_media_type.h"
#include "demuxer.h"
#include "dshow/source.h"

namespace movanta::dshow {

class CAvSourceFilter : public CSource {
public:
    // Describes a stream with the media type its pin offers; false for a
    // stream not to offer.
    using StreamTyper = bool (*)(const AVCodecParameters& codec, const AVRational& frameRate, CMediaType& type);

    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    static CUnknown* CreateAsfReader(LPUNKNOWN outer, HRESULT* result);
    // `typer` is MediaTypeOfStream unless a source names its streams its own way.
    CAvSourceFilter(LPUNKNOWN outer, REFCLSID clsid, StreamTyper typer = nullptr);
    ~CAvSourceFilter() override;

    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;

private:
    class FileSource final : public CNestedInterface<IFileSourceFilter> {
    public:
        explicit FileSource(CAvSourceFilter& filter) : CNestedInterface(filter), filter_(filter) {}
        // Opens the file and makes the pins; VFW_E_INVALID_FILE_FORMAT
        // when libavformat cannot read it, VFW_E_UNSUPPORTED_STREAM when
        // it has no stream to offer.
        HRESULT Load(LPCOLESTR file, const AM_MEDIA_TYPE* type) override;
        HRESULT GetCurFile(LPOLESTR* file, AM_MEDIA_TYPE* type) override;

    private:
        CAvSourceFilter& filter_;
    };

    StreamTyper m_typer;
    std::unique_ptr<Demuxer> m_demuxer;
    std::wstring m_file;
    FileSource m_fileSource {*this};
};

}  // namespace movanta::dshow
