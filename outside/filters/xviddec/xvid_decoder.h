// "XVid": the MPEG-4 Part 2 decoder for ".3gp" input. The platform's video
// decoder, taking the subtype GUID_NULL the ".3gp" source gives MPEG-4
// video (and the 'XVID' FourCC) as MPEG-4 Part 2.
#pragma once

#include "outside/filters/effect_interfaces.h"
#include "video_decoder.h"

namespace movanta::outside {

class CXvidDecoder final : public dshow::CAvVideoDecoder {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CXvidDecoder(LPUNKNOWN outer);

private:
    bool CodecType(const CMediaType& input, CMediaType& codec) const override;
};

}  // namespace movanta::outside
