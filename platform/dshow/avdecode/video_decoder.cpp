#include "video_decoder.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <thread>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

#include "av_media_type.h"
#include "display_rotation.h"
#include "win/debug.h"

namespace movanta::dshow {
namespace {

constexpr long long kThreadedArea = 640 * 480;
constexpr long long kLargeArea = 1280 * 720;

// Threads for pictures of `area` pixels: one for small pictures, which one
// thread keeps up with. Up to 720p, two more than the cores keep them busy
// while frame threads wait for rows of the pictures they refer to (a
// conversion that leaves out unreferenced pictures decodes chains of
// pictures each referring to the one before). Above, where each thread's
// pictures weigh megabytes more, one more than the cores.
int DecodingThreads(long long area) {
    if (area < kThreadedArea) return 1;
    const unsigned spare = area <= kLargeArea ? 2 : 1;
    return static_cast<int>(std::min(8u, std::thread::hardware_concurrency() + spare));
}

constexpr REFERENCE_TIME kNoPicture = std::numeric_limits<REFERENCE_TIME>::min() / 2;

}  // namespace

CUnknown* CAvVideoDecoder::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CAvVideoDecoder>(result, outer);
}

CAvVideoDecoder::CAvVideoDecoder(LPUNKNOWN outer)
    : CAvVideoDecoder(L"Video Decoder (libavcodec)", outer, CLSID_MovantaVideoDecoder) {}

CAvVideoDecoder::CAvVideoDecoder(LPCWSTR name, LPUNKNOWN outer, REFCLSID clsid)
    : CAvDecoderFilter(name, outer, clsid), m_frame(av_frame_alloc()) {}

bool CAvVideoDecoder::CodecType(const CMediaType& input, CMediaType& codec) const {
    codec = input;
    return true;
}

CAvVideoDecoder::~CAvVideoDecoder() {
    av_frame_free(&m_frame);
}

HRESULT CAvVideoDecoder::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IPictureNeeds) return GetInterface(static_cast<IPictureNeeds*>(this), object);
    return CAvDecoderFilter::NonDelegatingQueryInterface(iid, object);
}

HRESULT CAvVideoDecoder::SetPictureNeeds(LONG width, LONG height, REFERENCE_TIME frameTime) {
    if (width < 0 || height < 0 || frameTime < 0) return E_INVALIDARG;
    CAutoLock lock(&m_csFilter);
    m_keptWidth = width;
    m_keptHeight = height;
    m_keptFrameTime = frameTime;
    return S_OK;
}

CAvVideoDecoder::UprightSize CAvVideoDecoder::UprightSizeOf(const VIDEOINFOHEADER& input) const {
    const LONG width = input.bmiHeader.biWidth;
    const LONG height = std::abs(input.bmiHeader.biHeight);
    const bool across = m_rotation == 90 || m_rotation == 270;
    return across ? UprightSize {height, width} : UprightSize {width, height};
}

HRESULT CAvVideoDecoder::CheckInputType(const CMediaType* in) {
    if (in == nullptr) return E_POINTER;
    if (in->majortype != MEDIATYPE_Video || VideoInfoOf(*in) == nullptr) return VFW_E_TYPE_NOT_ACCEPTED;
    // Uncompressed pictures go to the renderer or the scaler as they are.
    if (in->subtype == MEDIASUBTYPE_YV12 || in->subtype == MEDIASUBTYPE_YUY2 || in->subtype == MEDIASUBTYPE_RGB24) {
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    CMediaType codec;
    return CodecType(*in, codec) && IsDecodableCompressedType(codec) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CAvVideoDecoder::CheckTransform(const CMediaType* in, const CMediaType* out) {
    if (in == nullptr || out == nullptr) return E_POINTER;
    if (FAILED(CheckInputType(in))) return VFW_E_TYPE_NOT_ACCEPTED;
    if (out->majortype != MEDIATYPE_Video || VideoInfoOf(*out) == nullptr) return VFW_E_TYPE_NOT_ACCEPTED;
    PictureWriter probe;
    return probe.SetOutput(*out) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CAvVideoDecoder::GetMediaType(int position, CMediaType* type) {
    if (!InputPin()->IsConnected()) return E_UNEXPECTED;
    if (position < 0) return E_INVALIDARG;
    if (position >= kUncompressedPictureKinds) return VFW_S_NO_MORE_ITEMS;
    if (type == nullptr) return E_POINTER;
    const VIDEOINFOHEADER* input = VideoInfoOf(InputPin()->CurrentMediaType());
    if (input == nullptr) return E_UNEXPECTED;
    const UprightSize size = UprightSizeOf(*input);
    return MakeUncompressedPicture(*type, position, size.width, size.height, input->AvgTimePerFrame)
               ? S_OK
               : E_OUTOFMEMORY;
}

HRESULT CAvVideoDecoder::CompleteConnect(PIN_DIRECTION direction, IPin* receivePin) {
    if (direction == PINDIR_INPUT) m_rotation = RotationOfPin(receivePin);
    return CAvDecoderFilter::CompleteConnect(direction, receivePin);
}

HRESULT CAvVideoDecoder::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    if (allocator == nullptr || request == nullptr) return E_POINTER;
    if (!InputPin()->IsConnected() || !OutputPin()->IsConnected()) return E_UNEXPECTED;
    PictureWriter writer;
    if (!writer.SetOutput(OutputPin()->CurrentMediaType())) return E_UNEXPECTED;
    return RequestAtLeast(allocator, request, 2, writer.PictureBytes());
}

HRESULT CAvVideoDecoder::StartStreaming() {
    const CMediaType& input = InputPin()->CurrentMediaType();
    const VIDEOINFOHEADER* header = VideoInfoOf(input);
    if (header == nullptr || !m_writer.SetOutput(OutputPin()->CurrentMediaType())) return E_UNEXPECTED;
    if (header->AvgTimePerFrame > 0) m_frameTime = header->AvgTimePerFrame;
    const long long area = static_cast<long long>(header->bmiHeader.biWidth) * std::abs(header->bmiHeader.biHeight);
    CMediaType codec;
    if (!CodecType(input, codec) || !m_decoder.Open(codec, DecodingThreads(area))) {
        TRACE("Video Decoder: libavcodec cannot open this stream");
        return VFW_E_UNSUPPORTED_STREAM;
    }
    const UprightSize size = UprightSizeOf(*header);
    m_shortcuts = ShortcutsFor(size.width, size.height, m_frameTime, m_keptWidth, m_keptHeight, m_keptFrameTime);
    AVCodecContext* context = m_decoder.Context();
    if (m_shortcuts.skipLoopFilter) context->skip_loop_filter = AVDISCARD_ALL;
    m_previousStart = kNoPicture;
    if (m_keptWidth > 0 || m_keptFrameTime > 0) m_delivery.Start(m_pOutput);
    return S_OK;
}

HRESULT CAvVideoDecoder::StopStreaming() {
    m_delivery.Stop();
    m_decoder.Close();
    m_writer.Reset();
    return S_OK;
}

// A picture the conversion will not keep is decoded only when another
// picture refers to it; the setting holds for the packet sent next.
// Packets come in decoding order, so the picture before is taken to have
// started one average picture time before.
void CAvVideoDecoder::BeforeDecoding(IMediaSample* sample) {
    if (!m_shortcuts.skipUnreferenced) return;
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    const bool kept =
        FAILED(sample->GetTime(&start, &stop)) || MayBeKept(start, start - m_frameTime, m_keptFrameTime);
    m_decoder.Context()->skip_frame = kept ? AVDISCARD_DEFAULT : AVDISCARD_NONREF;
}

HRESULT CAvVideoDecoder::BeginFlush() {
    const HRESULT hr = CAvDecoderFilter::BeginFlush();
    m_delivery.Discard();
    return hr;
}

// The delivery under way (refused downstream, which is flushing) ends
// before the flush does, so that no picture from before it comes after.
void CAvVideoDecoder::OnFlush() {
    m_previousStart = kNoPicture;
    m_delivery.Drain();
    m_delivery.Discard();
}

void CAvVideoDecoder::FinishDelivery() { m_delivery.Drain(); }

HRESULT CAvVideoDecoder::DeliverFrames() {
    IMemAllocator* allocator = m_pOutput->Allocator();
    if (allocator == nullptr) return VFW_E_NO_ALLOCATOR;
    while (m_decoder.Receive(m_frame)) {
        const std::int64_t pts = m_frame->best_effort_timestamp;
        REFERENCE_TIME start = pts;
        REFERENCE_TIME stop = start + (m_frame->pkt_duration > 0 ? m_frame->pkt_duration : m_frameTime);
        const bool timed = pts != AV_NOPTS_VALUE;
        // Before the seek target, or a picture the conversion will not keep
        // (decoded only because others refer to it): not copied out.
        const REFERENCE_TIME previous = m_previousStart;
        if (timed) m_previousStart = start;
        if (timed && (stop <= 0 || (m_shortcuts.skipUnreferenced && !MayBeKept(start, previous, m_keptFrameTime)))) {
            av_frame_unref(m_frame);
            continue;
        }
        IMediaSample* out = nullptr;
        HRESULT hr = allocator->GetBuffer(&out, nullptr, nullptr, 0);
        if (FAILED(hr)) {
            av_frame_unref(m_frame);
            return hr;
        }
        BYTE* target = nullptr;
        out->GetPointer(&target);
        const AVFrame* picture = m_rotation == 0 ? m_frame : m_turner.Turn(*m_frame, m_rotation);
        if (picture == nullptr || out->GetSize() < m_writer.PictureBytes() || !m_writer.Write(*picture, target)) {
            out->Release();
            av_frame_unref(m_frame);
            continue;
        }
        out->SetActualDataLength(m_writer.PictureBytes());
        out->SetTime(timed ? &start : nullptr, timed ? &stop : nullptr);
        out->SetSyncPoint(TRUE);
        av_frame_unref(m_frame);
        hr = m_delivery.Running() ? m_delivery.Deliver(out) : m_pOutput->Deliver(out);
        out->Release();
        if (hr != S_OK) return hr;
    }
    return S_OK;
}

}  // namespace movanta::dshow
