// Media types: AM_MEDIA_TYPE with an owned format block, and the helpers
// for task-memory copies that pins hand across interfaces.
#pragma once

#include "dshow/types.h"

class CMediaType : public AM_MEDIA_TYPE {
public:
    CMediaType();
    explicit CMediaType(const GUID* majorType);
    CMediaType(const AM_MEDIA_TYPE& type);  // deep copy
    CMediaType(const CMediaType& type);
    CMediaType& operator=(const AM_MEDIA_TYPE& type);
    CMediaType& operator=(const CMediaType& type);
    ~CMediaType();

    bool operator==(const CMediaType& other) const;
    bool operator!=(const CMediaType& other) const { return !(*this == other); }

    HRESULT Set(const CMediaType& type);
    BOOL IsValid() const { return majortype != GUID_NULL; }
    const GUID* Type() const { return &majortype; }
    void SetType(const GUID* type) { majortype = *type; }
    const GUID* Subtype() const { return &subtype; }
    void SetSubtype(const GUID* type) { subtype = *type; }
    const GUID* FormatType() const { return &formattype; }
    void SetFormatType(const GUID* type) { formattype = *type; }
    BOOL IsFixedSize() const { return bFixedSizeSamples; }
    BOOL IsTemporalCompressed() const { return bTemporalCompression; }
    ULONG GetSampleSize() const { return IsFixedSize() ? lSampleSize : 0; }
    void SetSampleSize(ULONG size);
    void SetVariableSize();
    void SetTemporalCompression(BOOL compressed) { bTemporalCompression = compressed; }

    BYTE* Format() const { return pbFormat; }
    ULONG FormatLength() const { return cbFormat; }
    // Replaces the format block with a copy of `length` bytes.
    BOOL SetFormat(const BYTE* format, ULONG length);
    // A zeroed format block of `length` bytes (null when out of memory).
    BYTE* AllocFormatBuffer(ULONG length);
    // Resizes the block, keeping what fits.
    BYTE* ReallocFormatBuffer(ULONG length);
    void ResetFormatBuffer();
    void InitMediaType();

    // True when every field that `partial` specifies (non-null GUIDs) matches.
    BOOL MatchesPartial(const CMediaType* partial) const;
    BOOL IsPartiallySpecified() const;
};

void FreeMediaType(AM_MEDIA_TYPE& type);
void DeleteMediaType(AM_MEDIA_TYPE* type);
// Allocates the structure and its format in task memory.
AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* source);
HRESULT CopyMediaType(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE* source);

// The type's VIDEOINFOHEADER (FORMAT_VideoInfo, long enough), or null.
const VIDEOINFOHEADER* VideoInfoOf(const CMediaType& type);
// The type's WAVEFORMATEX (FORMAT_WaveFormatEx, long enough), or null.
const WAVEFORMATEX* WaveFormatOf(const CMediaType& type);
// A YV12, YUY2 or RGB24 picture described by a VIDEOINFOHEADER of a real size.
bool IsUncompressedPicture(const CMediaType& type);
// The uncompressed picture types decoders offer, in their order of
// preference: YV12, YUY2, RGB24.
inline constexpr int kUncompressedPictureKinds = 3;
// Makes `type` the `kind`-th of them (0 to 2) at this size (height signed,
// as biHeight) and picture interval, rcSource and rcTarget the full
// picture; false for another kind or when memory runs out.
bool MakeUncompressedPicture(CMediaType& type, int kind, LONG width, LONG height, REFERENCE_TIME interval);
