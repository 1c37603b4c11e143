#include "xvid_decoder.h"


#include "dshow/media_subtypes.h"

namespace movanta::outside {

CUnknown* CXvidDecoder::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CXvidDecoder>(result, outer);
}

CXvidDecoder::CXvidDecoder(LPUNKNOWN outer) : CAvVideoDecoder(L"XVid", outer, CLSID_XvidDecoder) {}

bool CXvidDecoder::CodecType(const CMediaType& input, CMediaType& codec) const {
    if (input.subtype != GUID_NULL && input.subtype != MEDIASUBTYPE_XVID) return false;
    codec = input;
    codec.SetSubtype(&MEDIASUBTYPE_XVID);
    return true;
}

}  // namespace movanta::outside
