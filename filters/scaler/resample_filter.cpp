#include "resample_filter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "dshow/sample_flags.h"
#include "win/debug.h"

namespace movanta::scaler {
namespace {

constexpr DWORD kYv12FourCC = 0x32315659;  // "YV12"

const BITMAPINFOHEADER* BitmapOf(const CMediaType* type) {
    if (type->pbFormat == nullptr) return nullptr;
    if (type->formattype == FORMAT_VideoInfo && type->cbFormat >= sizeof(VIDEOINFOHEADER)) {
        return &reinterpret_cast<const VIDEOINFOHEADER*>(type->pbFormat)->bmiHeader;
    }
    if (type->formattype == FORMAT_VideoInfo2 && type->cbFormat >= sizeof(VIDEOINFOHEADER2)) {
        return &reinterpret_cast<const VIDEOINFOHEADER2*>(type->pbFormat)->bmiHeader;
    }
    return nullptr;
}

// Fills the header of a YV12 (bitCount 12) or RGB24 (24) picture.
void FillHeader(VIDEOINFOHEADER* header, int bitCount, int sourceWidth, int sourceHeight, int width, int height) {
    header->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header->bmiHeader.biWidth = width;
    header->bmiHeader.biHeight = height;
    header->bmiHeader.biPlanes = 1;
    header->bmiHeader.biBitCount = static_cast<WORD>(bitCount);
    header->bmiHeader.biCompression = bitCount == 12 ? kYv12FourCC : 0;
    header->bmiHeader.biSizeImage = DibSize(width, height, bitCount);
    header->rcSource = {0, 0, sourceWidth, sourceHeight};
    header->rcTarget = {0, 0, width, height};
}

}  // namespace

CUnknown* CTxResample::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CTxResample>(result, outer);
}

CTxResample::CTxResample(LPUNKNOWN outer) : CTransformFilter(L"TRX Resample filter", outer, CLSID_TxResample) {
    m_outputType.SetType(&MEDIATYPE_Video);
    m_outputType.SetSubtype(&MEDIASUBTYPE_YV12);
    m_outputType.SetFormatType(&FORMAT_VideoInfo);
    auto* header = reinterpret_cast<VIDEOINFOHEADER*>(m_outputType.AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    if (header != nullptr) {
        std::memset(header, 0, sizeof(VIDEOINFOHEADER));
        FillHeader(header, 12, 0, 0, 320, 240);
        header->rcSource = {};
        header->rcTarget = {};
        m_outputType.SetSampleSize(header->bmiHeader.biSizeImage);
    }
    m_outputType.SetTemporalCompression(FALSE);
}

HRESULT CTxResample::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_ITxResample) return GetInterface(static_cast<ITxResample*>(&m_resample), object);
    return CTransformFilter::NonDelegatingQueryInterface(iid, object);
}

bool CTxResample::ChkPerformInputType(const CMediaType* type) {
    if (type->subtype == MEDIASUBTYPE_YV12 || type->subtype == MEDIASUBTYPE_YUY2) return true;
    return type->subtype == MEDIASUBTYPE_RGB24 && type->formattype == FORMAT_VideoInfo;
}

HRESULT CTxResample::CheckInputType(const CMediaType* in) {
    if (in == nullptr) return E_POINTER;
    if (in->formattype != FORMAT_VideoInfo && in->formattype != FORMAT_VideoInfo2) return E_INVALIDARG;
    return ChkPerformInputType(in) ? S_OK : E_FAIL;
}

HRESULT CTxResample::CheckTransform(const CMediaType* in, const CMediaType* out) {
    if (in == nullptr || out == nullptr) return E_POINTER;
    const bool outputOk = out->majortype == MEDIATYPE_Video && out->formattype == FORMAT_VideoInfo &&
                          (out->subtype == MEDIASUBTYPE_YV12 || out->subtype == MEDIASUBTYPE_RGB24);
    return ChkPerformInputType(in) && outputOk ? S_OK : E_FAIL;
}

bool CTxResample::CaptureSourceSize() {
    const BITMAPINFOHEADER* bitmap = BitmapOf(&InputPin()->CurrentMediaType());
    if (bitmap == nullptr) return false;
    m_srcWidth = bitmap->biWidth;
    m_srcHeight = std::abs(bitmap->biHeight);
    return true;
}

REFERENCE_TIME CTxResample::OutputInterval() {
    const CMediaType& input = InputPin()->CurrentMediaType();
    // VIDEOINFOHEADER2 keeps the interval where VIDEOINFOHEADER does.
    REFERENCE_TIME source = 0;
    if (input.Format() != nullptr && input.FormatLength() >= sizeof(VIDEOINFOHEADER)) {
        source = std::max<REFERENCE_TIME>(reinterpret_cast<const VIDEOINFOHEADER*>(input.Format())->AvgTimePerFrame, 0);
    }
    return std::max(source, m_interval.load());
}

bool CTxResample::UseSourceSizeIfUnset() {
    if (m_nDstWidth == -1 || m_nDstHeight == -1) {
        // Until the conversion sets its size the scaler must still connect,
        // whatever size the decoder gives: a source larger than the largest
        // destination is offered shrunk to fit, its shape kept.
        const int longer = std::max(m_srcWidth, m_srcHeight);
        int width = m_srcWidth;
        int height = m_srcHeight;
        if (longer > kMaxSide) {
            width = std::max(kMinSide, static_cast<int>(static_cast<long long>(m_srcWidth) * kMaxSide / longer) & ~1);
            height = std::max(kMinSide, static_cast<int>(static_cast<long long>(m_srcHeight) * kMaxSide / longer) & ~1);
        }
        m_resample.SetDstResulotion(width, height, 1);
        m_resample.SetDstFramerate(40.0f);
    }
    // A source the scaler cannot take as its own size leaves no size at all.
    return m_nDstWidth != -1 && m_nDstHeight != -1;
}

HRESULT CTxResample::GetMediaType(int position, CMediaType* type) {
    if (!InputPin()->IsConnected()) return E_UNEXPECTED;
    if (position < 0) return E_INVALIDARG;
    if (position > m_maxPosition) return VFW_S_NO_MORE_ITEMS;
    if (!CaptureSourceSize()) return E_INVALIDARG;
    if (type == nullptr) return E_POINTER;
    auto* header = reinterpret_cast<VIDEOINFOHEADER*>(type->AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    if (header == nullptr) return E_OUTOFMEMORY;
    std::memset(header, 0, sizeof(VIDEOINFOHEADER));
    if (!UseSourceSizeIfUnset()) return E_UNEXPECTED;
    const bool yv12 = position == 0;
    FillHeader(header, yv12 ? 12 : 24, m_srcWidth, m_srcHeight, m_nDstWidth, m_nDstHeight);
    header->AvgTimePerFrame = OutputInterval();
    type->SetType(&MEDIATYPE_Video);
    type->SetSubtype(yv12 ? &MEDIASUBTYPE_YV12 : &MEDIASUBTYPE_RGB24);
    type->SetFormatType(&FORMAT_VideoInfo);
    type->SetTemporalCompression(FALSE);
    type->SetSampleSize(header->bmiHeader.biSizeImage);
    return S_OK;
}

HRESULT CTxResample::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    if (!InputPin()->IsConnected()) return E_UNEXPECTED;
    if (allocator == nullptr || request == nullptr) return E_POINTER;
    request->cBuffers = 1;
    request->cbPrefix = 0;
    if (!OutputPin()->IsConnected()) {
        TRACE("Output pin not connected!");
        return E_UNEXPECTED;
    }
    const int bitCount = OutputBitCount();
    if (bitCount == 0) {
        TRACE("Unallowed output media type!");
        return E_UNEXPECTED;
    }
    // An output connected with a type of its own never asked for the
    // offered ones, which set the defaults.
    CaptureSourceSize();
    if (!UseSourceSizeIfUnset()) return E_UNEXPECTED;
    request->cbBuffer = (m_nDstWidth + 3) / 4 * bitCount * m_nDstHeight * 4 / 8;
    return SetAllocatorProperties(allocator, request);
}

int CTxResample::OutputBitCount() {
    const GUID& subtype = OutputPin()->CurrentMediaType().subtype;
    if (subtype == MEDIASUBTYPE_YV12) return 12;
    if (subtype == MEDIASUBTYPE_RGB24) return 24;
    return 0;
}

void CTxResample::ResetTiming() {
    m_nextDue = 0;
    m_lastStart = kNoStart;
}

HRESULT CTxResample::StartStreaming() {
    if (!OutputPin()->IsConnected()) return E_UNEXPECTED;
    CaptureSourceSize();
    const int bitCount = OutputBitCount();
    if (bitCount == 0) {
        TRACE("Output type not supported!");
        return E_UNEXPECTED;
    }
    if (!UseSourceSizeIfUnset()) return E_UNEXPECTED;
    auto* header = reinterpret_cast<VIDEOINFOHEADER*>(m_outputType.Format());
    if (header == nullptr) return E_OUTOFMEMORY;
    FillHeader(header, bitCount, m_srcWidth, m_srcHeight, m_nDstWidth, m_nDstHeight);
    header->AvgTimePerFrame = OutputInterval();
    m_outputType.SetType(&MEDIATYPE_Video);
    m_outputType.SetSubtype(bitCount == 24 ? &MEDIASUBTYPE_RGB24 : &MEDIASUBTYPE_YV12);
    m_outputType.SetFormatType(&FORMAT_VideoInfo);
    m_outputType.SetTemporalCompression(FALSE);
    m_outputType.SetSampleSize(header->bmiHeader.biSizeImage);
    m_srcWorkSize = static_cast<long>((m_srcWidth + 3) / 4) * m_srcHeight * 12 / 2;
    try {
        m_rgbWork.clear();
        if (bitCount == 24) m_rgbWork.assign(header->bmiHeader.biSizeImage, 0);
        m_planar.assign(static_cast<size_t>(m_srcWorkSize), 0);
    } catch (const std::bad_alloc&) {
        m_rgbWork = {};
        m_planar = {};
        return E_OUTOFMEMORY;
    }
    // A new run starts its own time line: frames are compared with this
    // run's times only, so a graph that runs again from 0 loses nothing.
    ResetTiming();
    return S_OK;
}

HRESULT CTxResample::StopStreaming() {
    m_planar = {};
    m_rgbWork = {};
    m_scaler.Reset();
    return S_OK;
}

HRESULT CTxResample::EndFlush() {
    {
        CAutoLock lock(&m_csReceive);
        ResetTiming();
    }
    return CTransformFilter::EndFlush();
}

bool CTxResample::PassesTiming(IMediaSample* in) {
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    // Samples without times cannot be ordered or thinned; they pass.
    const bool timed = SUCCEEDED(in->GetTime(&start, &stop));
    if (timed) {
        if (start < 0 && stop < 0) return false;
        if (start <= m_lastStart) return false;
        m_lastStart = start;
    }
    if (m_converting.load() == 0) return false;
    const REFERENCE_TIME interval = m_interval.load();
    if (timed && interval > 0) {
        if (start < m_nextDue) return false;
        m_nextDue += interval;
    }
    return true;
}

bool CTxResample::SourcePlanes(IMediaSample* in, Planes& planes, long& available) {
    BYTE* source = nullptr;
    if (FAILED(in->GetPointer(&source))) return false;
    const long length = in->GetActualDataLength();
    const CMediaType& type = InputPin()->CurrentMediaType();
    const int width = m_srcWidth;
    const int height = m_srcHeight;
    const long area = static_cast<long>(width) * height;
    if (type.subtype == MEDIASUBTYPE_YV12) {
        if (length < area + 2 * (area / 4)) return false;
        planes = {source, source + area + area / 4, source + area, width, width / 2};
        available = length;
        return true;
    }
    if (m_planar.size() < static_cast<size_t>(area + 2 * (area / 4))) return false;
    std::uint8_t* work = m_planar.data();
    planes = {work, work + area, work + area * 5 / 4, width, width / 2};
    available = static_cast<long>(m_planar.size());
    if (type.subtype == MEDIASUBTYPE_YUY2) {
        if (length < area * 2) return false;
        Yuy2ToPlanar(source, width, height, planes);
        return true;
    }
    if (type.subtype == MEDIASUBTYPE_RGB24) {
        // The orientation is read from the connected format for every frame.
        const BITMAPINFOHEADER* bitmap = BitmapOf(&type);
        if (bitmap == nullptr) return false;
        const int rows = std::abs(bitmap->biHeight);
        if (length < static_cast<long>(Rgb24RowBytes(width)) * rows) return false;
        Rgb24ToPlanar(source, width, height, rows, bitmap->biHeight < 0, planes);
        return true;
    }
    TRACE("<CTxResample::Transform()> Source type is not supported\n");
    return false;
}

bool CTxResample::DoVideoResample(int mode, const Planes& source, long available, std::uint8_t* target, long capacity) {
    const int width = m_nDstWidth;
    const int height = m_nDstHeight;
    const long area = static_cast<long>(width) * height;
    if (mode == 0) {
        // The source bytes as they stand, as far as both buffers reach.
        const long wanted = std::min(area * 3 / 2, capacity);
        const long copied = std::min(wanted, available);  // source.y starts its buffer
        std::memcpy(target, source.y, static_cast<size_t>(copied));
        if (copied < wanted) std::memset(target + copied, 0, static_cast<size_t>(wanted - copied));
        return true;
    }
    const Planes planes = {target, target + area + area / 4, target + area, width, width / 2};
    return m_scaler.Scale(mode, source, m_srcWidth, m_srcHeight, planes, width, height);
}

HRESULT CTxResample::Transform(IMediaSample* in, IMediaSample* out) {
    if (in == nullptr || out == nullptr) return E_POINTER;
    if (!PassesTiming(in)) return S_FALSE;
    Planes source {};
    long available = 0;
    if (!SourcePlanes(in, source, available)) return S_FALSE;

    BYTE* output = nullptr;
    if (FAILED(out->GetPointer(&output))) return E_UNEXPECTED;
    const long outputSize = out->GetSize();
    const bool rgb = !m_rgbWork.empty();
    std::uint8_t* target = rgb ? m_rgbWork.data() : output;
    const long capacity = rgb ? static_cast<long>(m_rgbWork.size()) : outputSize;
    const int width = m_nDstWidth;
    const int height = m_nDstHeight;
    const long area = static_cast<long>(width) * height;
    const long planarBytes = area + 2 * (area / 4);
    if (capacity < planarBytes) return S_FALSE;

    const bool scaled = width != m_srcWidth || height != m_srcHeight;
    if (scaled) {
        if (!DoVideoResample(m_mode.load(), source, available, target, capacity)) return S_FALSE;
    } else if (!rgb) {
        std::memcpy(output, source.y, static_cast<size_t>(area));
        std::memcpy(output + area, source.v, static_cast<size_t>(area / 4));
        std::memcpy(output + area + area / 4, source.u, static_cast<size_t>(area / 4));
    }
    long length = planarBytes;
    if (rgb) {
        const long dib = static_cast<long>(Rgb24RowBytes(width)) * height;
        if (outputSize < dib) return S_FALSE;
        const Planes from =
            scaled ? Planes {target, target + area + area / 4, target + area, width, width / 2} : source;
        PlanarToRgb24(from, width, height, output);
        length = dib;
    }
    out->SetActualDataLength(length);
    out->SetMediaType(&m_outputType);
    return dshow::CopySampleFlags(in, out) ? S_OK : E_UNEXPECTED;
}

HRESULT CTxResample::Resample::GetSrcResulotion(int* width, int* height) {
    if (width == nullptr || height == nullptr) return E_POINTER;
    *width = filter_.m_srcWidth;
    *height = filter_.m_srcHeight;
    return S_OK;
}

HRESULT CTxResample::Resample::SetDstResulotion(int width, int height, int mode) {
    if (width < kMinSide || width > kMaxSide || height < kMinSide || height > kMaxSide) return S_FALSE;
    filter_.m_nDstWidth = width;
    filter_.m_nDstHeight = height;
    filter_.m_mode.store(mode);
    return S_OK;
}

HRESULT CTxResample::Resample::SetDstFramerate(float fps) {
    if (!(fps > 0.0f && fps < 65.0f)) {
        filter_.m_interval.store(0);
        return S_FALSE;
    }
    filter_.m_fps = fps;
    filter_.m_interval.store(1000000000LL / static_cast<long long>(fps * 100));
    return S_OK;
}

HRESULT CTxResample::Resample::StartConvert() {
    filter_.m_converting.store(1);
    return S_OK;
}

}  // namespace movanta::scaler
