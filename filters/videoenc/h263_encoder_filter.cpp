#include "h263_encoder_filter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "dshow/sample_flags.h"
#include "win/debug.h"

namespace movanta::videoenc {
namespace {

constexpr DWORD kH263FourCC = 0x33363248;  // "H263"
constexpr int kDefaultFrameRate = 25;

int RateOf(REFERENCE_TIME interval) {
    if (interval <= 0) return 0;
    return std::clamp(static_cast<int>(std::lround(static_cast<double>(UNITS) / interval)), 1, 30);
}

}  // namespace

CUnknown* CTxFFMpegEnc::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CTxFFMpegEnc>(result, outer);
}

CTxFFMpegEnc::CTxFFMpegEnc(LPUNKNOWN outer) : CTransformFilter(L"TRX FFMpeg Enc", outer, CLSID_TxFFMpegEnc) {
    m_outputType.SetType(&MEDIATYPE_Video);
    m_outputType.SetSubtype(&MEDIASUBTYPE_H263);
    m_outputType.SetFormatType(&FORMAT_VideoInfo);
    m_outputType.AllocFormatBuffer(sizeof(VIDEOINFOHEADER));
    m_outputType.SetTemporalCompression(FALSE);
    SetOutputHeader(176, 144);
}

void CTxFFMpegEnc::SetOutputHeader(int width, int height) {
    auto* header = reinterpret_cast<VIDEOINFOHEADER*>(m_outputType.Format());
    if (header == nullptr) return;
    header->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header->bmiHeader.biWidth = width;
    header->bmiHeader.biHeight = height;
    header->bmiHeader.biPlanes = 1;
    header->bmiHeader.biBitCount = 24;
    header->bmiHeader.biCompression = kH263FourCC;
    header->bmiHeader.biSizeImage = DibSize(width, height, 24);
    m_outputType.SetSampleSize(header->bmiHeader.biSizeImage);
}

HRESULT CTxFFMpegEnc::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_ITxFFMpegEnc) return GetInterface(&m_interface, object);
    return CTransformFilter::NonDelegatingQueryInterface(iid, object);
}

bool CTxFFMpegEnc::IsAcceptedInput(const CMediaType* type) {
    return type->majortype == MEDIATYPE_Video &&
           (type->subtype == MEDIASUBTYPE_YV12 || type->subtype == MEDIASUBTYPE_YUY2) &&
           type->formattype == FORMAT_VideoInfo;
}

HRESULT CTxFFMpegEnc::CheckInputType(const CMediaType* in) {
    if (in == nullptr) return E_POINTER;
    const VIDEOINFOHEADER* header = VideoInfoOf(*in);
    if (header == nullptr) return E_INVALIDARG;
    m_inputWidth = header->bmiHeader.biWidth;
    m_inputHeight = std::abs(header->bmiHeader.biHeight);
    m_layout = FrameLayout::For(m_inputWidth, m_inputHeight);
    return IsAcceptedInput(in) ? S_OK : E_FAIL;
}

HRESULT CTxFFMpegEnc::CheckTransform(const CMediaType* in, const CMediaType* out) {
    if (in == nullptr || out == nullptr) return E_POINTER;
    const bool outputOk =
        out->majortype == MEDIATYPE_Video && out->subtype == MEDIASUBTYPE_H263 && out->formattype == FORMAT_VideoInfo;
    return IsAcceptedInput(in) && outputOk ? S_OK : E_FAIL;
}

HRESULT CTxFFMpegEnc::GetMediaType(int position, CMediaType* type) {
    if (!InputPin()->IsConnected()) return E_UNEXPECTED;
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    if (type == nullptr) return E_POINTER;
    auto* header = reinterpret_cast<VIDEOINFOHEADER*>(type->AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    if (header == nullptr) return E_OUTOFMEMORY;
    header->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header->bmiHeader.biWidth = m_layout.width;
    header->bmiHeader.biHeight = m_layout.height;
    header->bmiHeader.biPlanes = 1;
    header->bmiHeader.biBitCount = 24;
    header->bmiHeader.biCompression = kH263FourCC;
    header->bmiHeader.biSizeImage = DibSize(m_layout.width, m_layout.height, 24);
    header->rcSource = {0, 0, m_layout.width, m_layout.height};
    header->rcTarget = header->rcSource;
    type->SetType(&MEDIATYPE_Video);
    type->SetFormatType(&FORMAT_VideoInfo);
    type->SetTemporalCompression(FALSE);
    type->SetSubtype(&MEDIASUBTYPE_H263);
    type->SetSampleSize(header->bmiHeader.biSizeImage);
    return S_OK;
}

HRESULT CTxFFMpegEnc::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    if (!InputPin()->IsConnected()) return E_UNEXPECTED;
    if (allocator == nullptr || request == nullptr) return E_POINTER;
    const CMediaType& input = InputPin()->CurrentMediaType();
    LONG size = 0;
    if (const VIDEOINFOHEADER* header = VideoInfoOf(input)) {
        size = std::max<LONG>(static_cast<LONG>(input.GetSampleSize()),
                              (header->bmiHeader.biWidth + 3) / 4 * std::abs(header->bmiHeader.biHeight) * 12);
    }
    // Never smaller than the largest picture the encoder can code at the
    // encode size: a noisy picture at a low rate can outgrow the above.
    size = std::max<LONG>(size, static_cast<LONG>(CFFMpegEnc::MaxCodedSize(m_layout.width, m_layout.height)));
    request->cBuffers = 1;
    request->cbBuffer = size;
    return SetAllocatorProperties(allocator, request);
}

HRESULT CTxFFMpegEnc::StartStreaming() {
    const CMediaType& input = InputPin()->CurrentMediaType();
    m_yuy2 = input.subtype == MEDIASUBTYPE_YUY2;
    m_layout = FrameLayout::For(m_inputWidth, m_inputHeight);
    m_frame.assign(m_layout.FrameBytes(), 0);
    SetOutputHeader(m_layout.width, m_layout.height);
    // The rate control spends the bit rate over the frames that really
    // come, so it is opened at the rate the input declares, or, when it
    // declares none, at the first frame (never again while streaming).
    const VIDEOINFOHEADER* header = VideoInfoOf(input);
    const int declared = header != nullptr ? RateOf(header->AvgTimePerFrame) : 0;
    m_openAtFirstFrame = declared == 0;
    if (m_openAtFirstFrame) return S_OK;
    return OpenEncoder(declared) ? S_OK : S_FALSE;
}

bool CTxFFMpegEnc::OpenEncoder(int rate) {
    if (m_FFMpegEnc.Init(m_layout.width, m_layout.height, m_bitrate, rate)) return true;
    TRACE(" m_FFMpegEnc.Init() Error! \n");
    return false;
}

HRESULT CTxFFMpegEnc::EndFlush() {
    m_intraNext = true;
    return CTransformFilter::EndFlush();
}

HRESULT CTxFFMpegEnc::StopStreaming() {
    m_FFMpegEnc.Close();
    m_frame.clear();
    m_frame.shrink_to_fit();
    return S_OK;
}

HRESULT CTxFFMpegEnc::Transform(IMediaSample* in, IMediaSample* out) {
    if (in == nullptr || out == nullptr) return E_POINTER;
    if (m_openAtFirstFrame) {
        m_openAtFirstFrame = false;
        REFERENCE_TIME start = 0;
        REFERENCE_TIME stop = 0;
        const int measured = SUCCEEDED(in->GetTime(&start, &stop)) ? RateOf(stop - start) : 0;
        OpenEncoder(measured != 0 ? measured : kDefaultFrameRate);
    }
    // An encoder that could not be opened ends the stream at once, rather
    // than dropping every picture until the writer gives up.
    if (!m_FFMpegEnc.IsOpen()) return VFW_E_RUNTIME_ERROR;
    BYTE* source = nullptr;
    BYTE* target = nullptr;
    if (FAILED(in->GetPointer(&source)) || FAILED(out->GetPointer(&target))) return E_UNEXPECTED;
    const size_t needed = m_yuy2 ? m_layout.Yuy2Bytes() : m_layout.Yv12Bytes();
    if (static_cast<size_t>(in->GetActualDataLength()) < needed) return S_FALSE;  // short picture: dropped
    if (m_yuy2) {
        PlaceYuy2(m_layout, source, m_frame.data());
    } else {
        PlaceYv12(m_layout, source, m_frame.data());
    }
    const int coded =
        m_FFMpegEnc.Encode(m_frame.data(), target, static_cast<size_t>(out->GetSize()), m_intraNext.exchange(false));
    if (coded < 0) return S_FALSE;  // an encoder error drops this picture
    out->SetActualDataLength(coded);
    out->SetMediaType(&m_outputType);
    return dshow::CopySampleFlags(in, out) ? S_OK : E_UNEXPECTED;
}

HRESULT CTxFFMpegEnc::TxInterface::GetInputSize(int* width, int* height) {
    if (!filter_.InputPin()->IsConnected()) return S_FALSE;
    if (width == nullptr || height == nullptr) return E_POINTER;
    *width = filter_.m_inputWidth;
    *height = filter_.m_inputHeight;
    return S_OK;
}

HRESULT CTxFFMpegEnc::TxInterface::GetBitrate(int* bitsPerSecond) {
    if (bitsPerSecond == nullptr) return E_POINTER;
    *bitsPerSecond = filter_.m_bitrate;
    return S_OK;
}

HRESULT CTxFFMpegEnc::TxInterface::SetBitrate(int bitsPerSecond) {
    filter_.m_bitrate = bitsPerSecond;
    return S_OK;
}

HRESULT CTxFFMpegEnc::TxInterface::GetEncOption(int* value) {
    if (value == nullptr) return E_POINTER;
    *value = filter_.m_encOption;
    return S_OK;
}

HRESULT CTxFFMpegEnc::TxInterface::SetEncOption(int value) {
    filter_.m_encOption = value;
    return S_OK;
}

}  // namespace movanta::videoenc
