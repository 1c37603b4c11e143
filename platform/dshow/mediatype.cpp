#include "dshow/mediatype.h"

#include <cstring>

#include "com/comapi.h"

void FreeMediaType(AM_MEDIA_TYPE& type) {
    if (type.cbFormat != 0 || type.pbFormat != nullptr) CoTaskMemFree(type.pbFormat);
    type.cbFormat = 0;
    type.pbFormat = nullptr;
    if (type.pUnk != nullptr) {
        type.pUnk->Release();
        type.pUnk = nullptr;
    }
}

void DeleteMediaType(AM_MEDIA_TYPE* type) {
    if (type == nullptr) return;
    FreeMediaType(*type);
    CoTaskMemFree(type);
}

HRESULT CopyMediaType(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE* source) {
    if (target == nullptr || source == nullptr) return E_POINTER;
    *target = *source;
    if (source->cbFormat != 0 && source->pbFormat != nullptr) {
        target->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(source->cbFormat));
        if (target->pbFormat == nullptr) {
            target->cbFormat = 0;
            target->pUnk = nullptr;
            return E_OUTOFMEMORY;
        }
        std::memcpy(target->pbFormat, source->pbFormat, source->cbFormat);
    } else {
        target->pbFormat = nullptr;
        target->cbFormat = 0;
    }
    if (target->pUnk != nullptr) target->pUnk->AddRef();
    return S_OK;
}

AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* source) {
    auto* type = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (type == nullptr) return nullptr;
    if (FAILED(CopyMediaType(type, source))) {
        CoTaskMemFree(type);
        return nullptr;
    }
    return type;
}

CMediaType::CMediaType() : AM_MEDIA_TYPE {} {
    InitMediaType();
}

CMediaType::CMediaType(const GUID* majorType) : CMediaType() {
    majortype = *majorType;
}

CMediaType::CMediaType(const AM_MEDIA_TYPE& type) : AM_MEDIA_TYPE {} {
    if (FAILED(CopyMediaType(this, &type))) InitMediaType();
}

CMediaType::CMediaType(const CMediaType& type) : CMediaType(static_cast<const AM_MEDIA_TYPE&>(type)) {}

CMediaType& CMediaType::operator=(const AM_MEDIA_TYPE& type) {
    if (&type != this) {
        FreeMediaType(*this);
        if (FAILED(CopyMediaType(this, &type))) InitMediaType();
    }
    return *this;
}

CMediaType& CMediaType::operator=(const CMediaType& type) {
    return *this = static_cast<const AM_MEDIA_TYPE&>(type);
}

CMediaType::~CMediaType() {
    FreeMediaType(*this);
}

bool CMediaType::operator==(const CMediaType& other) const {
    return majortype == other.majortype && subtype == other.subtype && formattype == other.formattype &&
           cbFormat == other.cbFormat && (cbFormat == 0 || std::memcmp(pbFormat, other.pbFormat, cbFormat) == 0);
}

HRESULT CMediaType::Set(const CMediaType& type) {
    *this = type;
    return majortype == type.majortype ? S_OK : E_OUTOFMEMORY;
}

void CMediaType::SetSampleSize(ULONG size) {
    if (size == 0) {
        SetVariableSize();
    } else {
        bFixedSizeSamples = TRUE;
        lSampleSize = size;
    }
}

void CMediaType::SetVariableSize() {
    bFixedSizeSamples = FALSE;
}

BOOL CMediaType::SetFormat(const BYTE* format, ULONG length) {
    if (AllocFormatBuffer(length) == nullptr && length != 0) return FALSE;
    if (length != 0) std::memcpy(pbFormat, format, length);
    return TRUE;
}

BYTE* CMediaType::AllocFormatBuffer(ULONG length) {
    if (cbFormat == length && pbFormat != nullptr) {
        std::memset(pbFormat, 0, length);
        return pbFormat;
    }
    ResetFormatBuffer();
    if (length == 0) return nullptr;
    pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(length));
    if (pbFormat == nullptr) return nullptr;
    std::memset(pbFormat, 0, length);
    cbFormat = length;
    return pbFormat;
}

BYTE* CMediaType::ReallocFormatBuffer(ULONG length) {
    if (length == 0) {
        ResetFormatBuffer();
        return nullptr;
    }
    auto* grown = static_cast<BYTE*>(CoTaskMemRealloc(pbFormat, length));
    if (grown == nullptr) return nullptr;
    if (length > cbFormat) std::memset(grown + cbFormat, 0, length - cbFormat);
    pbFormat = grown;
    cbFormat = length;
    return pbFormat;
}

void CMediaType::ResetFormatBuffer() {
    CoTaskMemFree(pbFormat);
    pbFormat = nullptr;
    cbFormat = 0;
}

void CMediaType::InitMediaType() {
    FreeMediaType(*this);
    majortype = GUID_NULL;
    subtype = GUID_NULL;
    formattype = GUID_NULL;
    lSampleSize = 1;
    bFixedSizeSamples = TRUE;
    bTemporalCompression = FALSE;
}

BOOL CMediaType::MatchesPartial(const CMediaType* partial) const {
    if (partial->majortype != GUID_NULL && majortype != partial->majortype) return FALSE;
    if (partial->subtype != GUID_NULL && subtype != partial->subtype) return FALSE;
    if (partial->formattype != GUID_NULL) {
        if (formattype != partial->formattype || cbFormat != partial->cbFormat) return FALSE;
        if (cbFormat != 0 && std::memcmp(pbFormat, partial->pbFormat, cbFormat) != 0) return FALSE;
    }
    return TRUE;
}

BOOL CMediaType::IsPartiallySpecified() const {
    return majortype == GUID_NULL || subtype == GUID_NULL || formattype == GUID_NULL;
}

const VIDEOINFOHEADER* VideoInfoOf(const CMediaType& type) {
    if (type.formattype != FORMAT_VideoInfo || type.FormatLength() < sizeof(VIDEOINFOHEADER) ||
        type.Format() == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<const VIDEOINFOHEADER*>(type.Format());
}

const WAVEFORMATEX* WaveFormatOf(const CMediaType& type) {
    if (type.formattype != FORMAT_WaveFormatEx || type.FormatLength() < sizeof(WAVEFORMATEX) ||
        type.Format() == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<const WAVEFORMATEX*>(type.Format());
}

bool MakeUncompressedPicture(CMediaType& type, int kind, LONG width, LONG height, REFERENCE_TIME interval) {
    struct Kind {
        const GUID* subtype;
        DWORD compression;
        WORD bits;
    };
    static const Kind kKinds[kUncompressedPictureKinds] = {
        {&MEDIASUBTYPE_YV12, MakeFourCC('Y', 'V', '1', '2'), 12},
        {&MEDIASUBTYPE_YUY2, MakeFourCC('Y', 'U', 'Y', '2'), 16},
        {&MEDIASUBTYPE_RGB24, BI_RGB, 24},
    };
    if (kind < 0 || kind >= kUncompressedPictureKinds) return false;
    auto* header = reinterpret_cast<VIDEOINFOHEADER*>(type.AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    if (header == nullptr) return false;
    *header = VIDEOINFOHEADER {};
    const LONG rows = height < 0 ? -height : height;
    header->AvgTimePerFrame = interval;
    header->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header->bmiHeader.biWidth = width;
    header->bmiHeader.biHeight = height;
    header->bmiHeader.biPlanes = 1;
    header->bmiHeader.biBitCount = kKinds[kind].bits;
    header->bmiHeader.biCompression = kKinds[kind].compression;
    header->bmiHeader.biSizeImage = DibSize(width, rows, kKinds[kind].bits);
    header->rcSource = {0, 0, width, rows};
    header->rcTarget = header->rcSource;
    type.SetType(&MEDIATYPE_Video);
    type.SetSubtype(kKinds[kind].subtype);
    type.SetFormatType(&FORMAT_VideoInfo);
    type.SetTemporalCompression(FALSE);
    type.SetSampleSize(header->bmiHeader.biSizeImage);
    return true;
}

bool IsUncompressedPicture(const CMediaType& type) {
    const VIDEOINFOHEADER* header = VideoInfoOf(type);
    return type.majortype == MEDIATYPE_Video && header != nullptr && header->bmiHeader.biWidth > 0 &&
           header->bmiHeader.biHeight != 0 &&
           (type.subtype == MEDIASUBTYPE_YV12 || type.subtype == MEDIASUBTYPE_YUY2 ||
            type.subtype == MEDIASUBTYPE_RGB24);
}
