#include "gpp_source.h"


extern "C" {
#include <libavcodec/codec_par.h>
}

namespace movanta::outside {

bool GppStreamType(const AVCodecParameters& codec, const AVRational& frameRate, CMediaType& type) {
    if (!dshow::MediaTypeOfStream(codec, frameRate, type)) return false;
    if (codec.codec_id == AV_CODEC_ID_MPEG4) type.SetSubtype(&GUID_NULL);
    return true;
}

CUnknown* CreateGppSource(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<dshow::CAvSourceFilter>(result, outer, CLSID_GppSource, GppStreamType);
}

}  // namespace movanta::outside
