// "Source": the ".3gp" source and splitter. The platform's file source on
// libavformat, naming MPEG-4 Part 2 video with the subtype GUID_NULL as
// phone files have always been described, H.263 with MEDIASUBTYPE_H263,
// AAC with MEDIASUBTYPE_AAC and AMR-NB with MEDIASUBTYPE_AMR.
#pragma once

#include "outside/filters/effect_interfaces.h"
#include "source_filter.h"

namespace movanta::outside {

// The media type of a stream of a phone file; false for a stream not to offer.
bool GppStreamType(const AVCodecParameters& codec, const AVRational& frameRate, CMediaType& type);

CUnknown* CreateGppSource(LPUNKNOWN outer, HRESULT* result);

}  // namespace movanta::outside
