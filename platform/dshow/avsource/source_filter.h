// The file source of the platform: any file libavformat reads, one output
// pin for its first video stream and one for its first audio stream, with
// compressed types the decoders accept (PCM audio as it stands). Seeking
// goes to the key frame before the target; the frames before the target
// come first, with negative times and marked preroll, for the decoders to
// decode and drop.
#pragma once

#include <memory>
#include <string>

#include "av_media_type.h"
#include "demuxer.h"
#include "dshow/source.h"

namespace movanta::dshow {

// {D0B1A5E2-6C1F-4B57-9E3B-5A1C2F7E8D40}
inline constexpr CLSID CLSID_MovantaFileSource = {
    0xD0B1A5E2, 0x6C1F, 0x4B57, {0x9E, 0x3B, 0x5A, 0x1C, 0x2F, 0x7E, 0x8D, 0x40}};

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
