#include "img_effect_filter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace movanta::outside {
CUnknown* CImgEffect::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CImgEffect>(result, outer);
}

CImgEffect::CImgEffect(LPUNKNOWN outer) : CCopyTransform(L"ImgEffect", outer, CLSID_ImgEffect) {}

HRESULT CImgEffect::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IImgEffectTarget) return GetInterface(static_cast<IImgEffectTarget*>(&m_target), object);
    if (iid == IID_IImgEffectValues) return GetInterface(static_cast<IImgEffectValues*>(&m_valuesInterface), object);
    return CCopyTransform::NonDelegatingQueryInterface(iid, object);
}

HRESULT CImgEffect::CheckInputType(const CMediaType* in) {
    if (in == nullptr) return E_POINTER;
    return IsUncompressedPicture(*in) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

void CImgEffect::Adjust(std::uint8_t* picture, long bytes, const CMediaType& type,
                        const PictureAdjustment& adjustment) {
    const VIDEOINFOHEADER* header = VideoInfoOf(type);
    const long width = header->bmiHeader.biWidth;
    const long height = std::abs(header->bmiHeader.biHeight);
    if (type.subtype == MEDIASUBTYPE_YV12) {
        const long luma = std::min(bytes, width * height);
        for (long i = 0; i < luma; ++i) picture[i] = adjustment.Luma(picture[i]);
        const long chroma = std::min(bytes, luma + 2 * ((width / 2) * (height / 2)));
        for (long i = luma; i < chroma; ++i) picture[i] = adjustment.Chroma(picture[i]);
    } else if (type.subtype == MEDIASUBTYPE_YUY2) {
        const long total = std::min(bytes, width * 2 * height);
        for (long i = 0; i + 1 < total; i += 2) {
            picture[i] = adjustment.Luma(picture[i]);
            picture[i + 1] = adjustment.Chroma(picture[i + 1]);
        }
    } else {
        const long row = static_cast<long>(DibSize(width, 1, 24));
        for (long y = 0; y < height && (y + 1) * row <= bytes; ++y) {
            for (long x = 0; x < width; ++x) adjustment.Rgb(picture + y * row + 3 * x);
        }
    }
}

void CImgEffect::Process(std::uint8_t* picture, long bytes) {
    PictureAdjustment adjustment;
    {
        std::lock_guard guard(m_valuesLock);
        adjustment = m_adjustment;
    }
    if (!adjustment.IsIdentity()) Adjust(picture, bytes, InputPin()->CurrentMediaType(), adjustment);
}

HRESULT CImgEffect::Target::SetReplacedFilter(const CLSID* clsid) {
    if (clsid == nullptr) return E_POINTER;
    f_.m_replaced = *clsid;
    return S_OK;
}

HRESULT CImgEffect::Values::GetCount(LONG* count) {
    if (count == nullptr) return E_POINTER;
    std::lock_guard guard(f_.m_valuesLock);
    *count = f_.m_count;
    return S_OK;
}

HRESULT CImgEffect::Values::SetCount(LONG count) {
    if (count < 0 || count > PictureAdjustment::kValueCount) return E_INVALIDARG;
    std::lock_guard guard(f_.m_valuesLock);
    f_.m_count = count;
    return S_OK;
}

HRESULT CImgEffect::Values::GetValues(LONG* values) {
    if (values == nullptr) return E_POINTER;
    std::lock_guard guard(f_.m_valuesLock);
    std::copy(f_.m_values.begin(), f_.m_values.begin() + f_.m_count, values);
    return S_OK;
}

// Reads as many values as the count says; the others stay 0.
HRESULT CImgEffect::Values::SetValues(const LONG* values) {
    if (values == nullptr) return E_POINTER;
    std::lock_guard guard(f_.m_valuesLock);
    f_.m_values.fill(0);
    std::copy(values, values + f_.m_count, f_.m_values.begin());
    f_.m_adjustment.Set(f_.m_values);
    return S_OK;
}

}  // namespace movanta::outside
