#include "h263_decoder_filter.h"

#include <cstdlib>
#include <cstring>
#include <optional>

extern "C" {
#include <libavutil/frame.h>
}

#include "dshow/allocator.h"
#include "dshow/media_subtypes.h"
#include "dshow/sample_flags.h"

namespace movanta::videodec {
namespace {

// The layout of an uncompressed picture subtype; nothing for another.
std::optional<Layout> LayoutOf(const GUID& subtype) {
    if (subtype == MEDIASUBTYPE_YV12) return Layout::Yv12;
    if (subtype == MEDIASUBTYPE_YUY2) return Layout::Yuy2;
    if (subtype == MEDIASUBTYPE_RGB24) return Layout::Rgb24;
    return std::nullopt;
}

constexpr int kBitrate = 128000;
constexpr int kEncOption = 1;

}  // namespace

CUnknown* CTxFFMpegDec::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CTxFFMpegDec>(result, outer);
}

CTxFFMpegDec::CTxFFMpegDec(LPUNKNOWN outer) : CVideoTransformFilter(L"TRX FFMpeg Dec", outer, CLSID_TxFFMpegDec) {}

HRESULT CTxFFMpegDec::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_ITxFFMpegDec) return GetInterface(&m_interface, object);
    return CVideoTransformFilter::NonDelegatingQueryInterface(iid, object);
}

bool CTxFFMpegDec::IsAcceptedInput(const CMediaType& type) {
    return type.majortype == MEDIATYPE_Video && type.subtype == MEDIASUBTYPE_H263 &&
           type.formattype == FORMAT_VideoInfo && VideoInfoOf(type) != nullptr;
}

HRESULT CTxFFMpegDec::CheckInputType(const CMediaType* in) {
    if (in == nullptr) return E_POINTER;
    if (!IsAcceptedInput(*in)) return E_FAIL;
    const VIDEOINFOHEADER* header = VideoInfoOf(*in);
    m_inputWidth = m_outputWidth = header->bmiHeader.biWidth;
    m_inputHeight = m_outputHeight = header->bmiHeader.biHeight;
    return S_OK;
}

HRESULT CTxFFMpegDec::CheckTransform(const CMediaType* in, const CMediaType* out) {
    if (in == nullptr || out == nullptr) return E_POINTER;
    const bool outputOk =
        out->majortype == MEDIATYPE_Video && LayoutOf(out->subtype).has_value() && out->formattype == FORMAT_VideoInfo;
    return IsAcceptedInput(*in) && outputOk ? S_OK : E_FAIL;
}

HRESULT CTxFFMpegDec::GetMediaType(int position, CMediaType* type) {
    if (!m_pInput->IsConnected()) return E_UNEXPECTED;
    if (position < 0) return E_INVALIDARG;
    if (position >= kUncompressedPictureKinds) return VFW_S_NO_MORE_ITEMS;
    if (type == nullptr) return E_POINTER;
    return MakeUncompressedPicture(*type, position, m_outputWidth, m_outputHeight, 0) ? S_OK : E_OUTOFMEMORY;
}

HRESULT CTxFFMpegDec::ConfigureOutput(const CMediaType& type) {
    const VIDEOINFOHEADER* header = type.formattype == FORMAT_VideoInfo ? VideoInfoOf(type) : nullptr;
    const std::optional<Layout> layout = LayoutOf(type.subtype);
    if (header == nullptr || !layout) return S_FALSE;
    m_output = {*layout, header->bmiHeader.biWidth, header->bmiHeader.biHeight};
    return S_OK;
}

HRESULT CTxFFMpegDec::SetMediaType(PIN_DIRECTION direction, const CMediaType* type) {
    if (direction == PINDIR_INPUT || type == nullptr) return S_OK;
    return ConfigureOutput(*type);
}

HRESULT CTxFFMpegDec::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    if (!m_pInput->IsConnected()) return E_UNEXPECTED;
    if (allocator == nullptr || request == nullptr) return E_POINTER;
    const VIDEOINFOHEADER* input = VideoInfoOf(m_pInput->CurrentMediaType());
    const long long bytes = input == nullptr ? 0 : 4LL * input->bmiHeader.biWidth * std::abs(input->bmiHeader.biHeight);
    request->cBuffers = 1;
    request->cbBuffer = static_cast<LONG>(bytes);
    return SetAllocatorProperties(allocator, request);
}

HRESULT CTxFFMpegDec::StartStreaming() {
    CVideoTransformFilter::StartStreaming();
    m_decoderOpen = m_decoder.Open(m_inputWidth, std::abs(m_inputHeight));
    return m_decoderOpen ? S_OK : S_FALSE;
}

HRESULT CTxFFMpegDec::StopStreaming() {
    m_decoder.Close();
    m_decoderOpen = false;
    return S_OK;
}

HRESULT CTxFFMpegDec::Transform(IMediaSample* in, IMediaSample* out) {
    if (in == nullptr || out == nullptr) return E_POINTER;
    if (!m_decoderOpen) return S_FALSE;
    BYTE* source = nullptr;
    BYTE* target = nullptr;
    HRESULT hr = in->GetPointer(&source);
    if (FAILED(hr)) return hr;
    hr = out->GetPointer(&target);
    if (FAILED(hr)) return hr;
    AM_MEDIA_TYPE* changed = nullptr;
    if (out->GetMediaType(&changed) == S_OK && changed != nullptr) {
        const CMediaType type(*changed);
        DeleteMediaType(changed);
        if (ConfigureOutput(type) != S_OK) return S_FALSE;
    }
    const AVFrame* frame = m_decoder.Decode(source, in->GetActualDataLength());
    if (frame == nullptr) return S_FALSE;  // the pipeline fills, or the data is damaged
    const Picture picture {{frame->data[0], frame->data[1], frame->data[2], frame->linesize[0], frame->linesize[1]},
                           frame->width,
                           frame->height};
    const long bytes = WritePicture(picture, m_output, target, out->GetSize());
    if (bytes < 0) return S_FALSE;  // the output type cannot hold it
    out->SetActualDataLength(bytes);

    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    if (in->GetTime(&start, &stop) == S_OK) out->SetTime(&start, &stop);
    LONGLONG mediaStart = 0;
    LONGLONG mediaStop = 0;
    if (in->GetMediaTime(&mediaStart, &mediaStop) == S_OK) out->SetMediaTime(&mediaStart, &mediaStop);
    if (!dshow::CopySampleFlag(in, out, dshow::SampleFlag::kSyncPoint)) return E_UNEXPECTED;
    if (in->IsPreroll() == S_OK) return S_FALSE;  // decoded, so the state advanced, but not shown
    if (!dshow::CopySampleFlag(in, out, dshow::SampleFlag::kDiscontinuity)) return E_UNEXPECTED;
    return S_OK;
}

HRESULT CTxFFMpegDec::TxInterface::GetInputSize(int* width, int* height) {
    if (width == nullptr || height == nullptr) return E_POINTER;
    if (!filter_.InputPin()->IsConnected()) return S_FALSE;
    *width = filter_.m_inputWidth;
    *height = filter_.m_inputHeight;
    return S_OK;
}

HRESULT CTxFFMpegDec::TxInterface::GetBitrate(int* bitsPerSecond) {
    if (bitsPerSecond == nullptr) return E_POINTER;
    *bitsPerSecond = kBitrate;
    return S_OK;
}

HRESULT CTxFFMpegDec::TxInterface::GetEncOption(int* value) {
    if (value == nullptr) return E_POINTER;
    *value = kEncOption;
    return S_OK;
}

}  // namespace movanta::videodec
