#include "xvid_encoder_filter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
#include <libavutil/rational.h>
}

#include "dshow/allocator.h"
#include "dshow/media_subtypes.h"
#include "win/debug.h"

namespace movanta::outside {
namespace {

constexpr DWORD kXvidFourCC = MakeFourCC('X', 'V', 'I', 'D');
constexpr REFERENCE_TIME kDefaultInterval = UNITS / 25;
constexpr int kLargestSide = 4096;

// The pictures a second as a fraction libavcodec's MPEG-4 headers can carry.
AVRational RateOf(REFERENCE_TIME interval) {
    if (interval <= 0) interval = kDefaultInterval;
    return av_d2q(static_cast<double>(UNITS) / static_cast<double>(interval), 65535);
}

// The lowest simple-profile level whose picture size and bit rate hold the
// stream, for the headers phones read before they try to play a file.
int SimpleProfileLevel(int width, int height, LONG bitrate) {
    const long long area = static_cast<long long>(width) * height;
    if (area <= 176 * 144 && bitrate <= 64000) return 1;
    if (area <= 352 * 288 && bitrate <= 128000) return 2;
    if (area <= 352 * 288 && bitrate <= 384000) return 3;
    if (area <= 640 * 480 && bitrate <= 4000000) return 4;
    return 5;
}

// The largest picture libavcodec's encoder writes at this size.
LONG MaxCodedSize(int width, int height) {
    const LONG macroblocks = static_cast<LONG>((width + 15) / 16) * ((height + 15) / 16);
    return macroblocks * 3100 + 10000;
}

}  // namespace

CUnknown* CXvidEncoder::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CXvidEncoder>(result, outer);
}

CXvidEncoder::CXvidEncoder(LPUNKNOWN outer) : CTransformFilter(L"Xvid Encoder", outer, CLSID_XvidEncoder) {}

CXvidEncoder::~CXvidEncoder() {
    CloseEncoder();
}

HRESULT CXvidEncoder::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IXvidEncoder) return GetInterface(static_cast<IXvidEncoder*>(&m_settings), object);
    return CTransformFilter::NonDelegatingQueryInterface(iid, object);
}

bool CXvidEncoder::ReadPicture(const CMediaType& type, Picture& picture) {
    if (type.majortype != MEDIATYPE_Video) return false;
    if (type.subtype != MEDIASUBTYPE_YV12) return false;
    const VIDEOINFOHEADER* header = VideoInfoOf(type);
    if (header == nullptr) return false;
    const int width = header->bmiHeader.biWidth;
    const int height = std::abs(header->bmiHeader.biHeight);
    // MPEG-4 Part 2 codes 4:2:0 pictures of even sides.
    if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide) return false;
    if (width % 2 != 0 || height % 2 != 0) return false;
    picture.width = width;
    picture.height = height;
    picture.interval = header->AvgTimePerFrame;
    return true;
}

bool CXvidEncoder::ConnectedPicture(Picture& picture) {
    return InputPin()->IsConnected() && ReadPicture(InputPin()->CurrentMediaType(), picture);
}

HRESULT CXvidEncoder::CheckInputType(const CMediaType* in) {
    if (in == nullptr) return E_POINTER;
    Picture picture;
    return ReadPicture(*in, picture) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CXvidEncoder::CheckTransform(const CMediaType* in, const CMediaType* out) {
    if (in == nullptr || out == nullptr) return E_POINTER;
    Picture picture;
    const bool outputOk = out->majortype == MEDIATYPE_Video && out->subtype == MEDIASUBTYPE_XVID;
    return ReadPicture(*in, picture) && outputOk ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CXvidEncoder::GetMediaType(int position, CMediaType* type) {
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    if (type == nullptr) return E_POINTER;
    Picture picture;
    if (!ConnectedPicture(picture)) return E_UNEXPECTED;
    type->InitMediaType();
    type->SetType(&MEDIATYPE_Video);
    type->SetSubtype(&MEDIASUBTYPE_XVID);
    type->SetFormatType(&FORMAT_VideoInfo);
    type->SetTemporalCompression(TRUE);
    auto* header = reinterpret_cast<VIDEOINFOHEADER*>(type->AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    if (header == nullptr) return E_OUTOFMEMORY;
    std::memset(header, 0, sizeof(VIDEOINFOHEADER));
    header->rcSource = {0, 0, picture.width, picture.height};
    header->rcTarget = header->rcSource;
    header->dwBitRate = static_cast<DWORD>(m_bitrate.load());
    header->AvgTimePerFrame = picture.interval;
    header->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header->bmiHeader.biWidth = picture.width;
    header->bmiHeader.biHeight = picture.height;
    header->bmiHeader.biPlanes = 1;
    header->bmiHeader.biBitCount = 12;
    header->bmiHeader.biCompression = kXvidFourCC;
    header->bmiHeader.biSizeImage = static_cast<DWORD>(MaxCodedSize(picture.width, picture.height));
    type->SetSampleSize(0);
    return S_OK;
}

HRESULT CXvidEncoder::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    if (allocator == nullptr || request == nullptr) return E_POINTER;
    Picture picture;
    if (!ConnectedPicture(picture)) return E_UNEXPECTED;
    // A few buffers let the writer hold a picture while the next is coded.
    request->cBuffers = std::max<LONG>(request->cBuffers, 4);
    request->cbBuffer = std::max(request->cbBuffer, MaxCodedSize(picture.width, picture.height));
    request->cbAlign = std::max<LONG>(request->cbAlign, 1);
    return SetAllocatorProperties(allocator, request);
}

void CXvidEncoder::CloseEncoder() {
    avcodec_free_context(&m_context);
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
}

HRESULT CXvidEncoder::StartStreaming() {
    CloseEncoder();
    if (!ConnectedPicture(m_input)) return E_UNEXPECTED;
    av_log_set_level(AV_LOG_ERROR);
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    m_context = codec == nullptr ? nullptr : avcodec_alloc_context3(codec);
    m_frame = av_frame_alloc();
    m_packet = av_packet_alloc();
    if (m_context == nullptr || m_frame == nullptr || m_packet == nullptr) {
        TRACE("Xvid Encoder: no MPEG-4 encoder in libavcodec");
        CloseEncoder();
        return E_FAIL;
    }
    const AVRational rate = RateOf(m_input.interval);
    const LONG keyInterval = m_keyInterval.load();
    m_context->width = m_input.width;
    m_context->height = m_input.height;
    m_context->pix_fmt = AV_PIX_FMT_YUV420P;
    m_context->time_base = av_inv_q(rate);
    m_context->framerate = rate;
    m_context->bit_rate = m_bitrate.load();
    m_context->gop_size = keyInterval > 0 ? keyInterval : std::max(1, 2 * rate.num / std::max(rate.den, 1));
    m_context->max_b_frames = 0;
    m_context->profile = FF_PROFILE_MPEG4_SIMPLE;
    m_context->level = SimpleProfileLevel(m_input.width, m_input.height, m_bitrate.load());
    m_context->thread_count = 1;
    if (avcodec_open2(m_context, codec, nullptr) < 0) {
        TRACE("Xvid Encoder: cannot open the MPEG-4 encoder at %dx%d", m_input.width, m_input.height);
        CloseEncoder();
        return E_FAIL;
    }
    m_frame->format = AV_PIX_FMT_YUV420P;
    m_frame->width = m_input.width;
    m_frame->height = m_input.height;
    m_next = 0;
    m_keyNext = true;
    return S_OK;
}

HRESULT CXvidEncoder::EndFlush() {
    {
        CAutoLock lock(&m_csReceive);
        m_keyNext = true;
    }
    return CTransformFilter::EndFlush();
}

HRESULT CXvidEncoder::StopStreaming() {
    CloseEncoder();
    return S_OK;
}

HRESULT CXvidEncoder::Transform(IMediaSample* in, IMediaSample* out) {
    if (m_context == nullptr) return E_UNEXPECTED;
    BYTE* source = nullptr;
    BYTE* target = nullptr;
    if (FAILED(in->GetPointer(&source)) || FAILED(out->GetPointer(&target))) return E_POINTER;
    const long lumaBytes = static_cast<long>(m_input.width) * m_input.height;
    const long needed = lumaBytes + 2 * (lumaBytes / 4);
    if (in->GetActualDataLength() < needed) return S_FALSE;  // a short picture is dropped
    // The picture is coded straight from the input buffer; YV12 keeps Cr
    // before Cb.
    m_frame->data[0] = source;
    m_frame->data[2] = source + lumaBytes;
    m_frame->data[1] = m_frame->data[2] + lumaBytes / 4;
    m_frame->linesize[0] = m_input.width;
    m_frame->linesize[1] = m_input.width / 2;
    m_frame->linesize[2] = m_input.width / 2;
    m_frame->pts = m_next++;
    m_frame->pict_type = m_keyNext ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    m_keyNext = false;
    if (avcodec_send_frame(m_context, m_frame) < 0) return E_FAIL;
    const int received = avcodec_receive_packet(m_context, m_packet);
    if (received == AVERROR(EAGAIN)) return S_FALSE;
    if (received < 0) return E_FAIL;
    HRESULT hr = S_OK;
    if (m_packet->size > out->GetSize()) {
        TRACE("Xvid Encoder: a picture of %d bytes does not fit the buffer", m_packet->size);
        hr = E_FAIL;
    } else {
        std::memcpy(target, m_packet->data, static_cast<size_t>(m_packet->size));
        out->SetActualDataLength(m_packet->size);
        out->SetSyncPoint((m_packet->flags & AV_PKT_FLAG_KEY) != 0 ? TRUE : FALSE);
    }
    av_packet_unref(m_packet);
    return hr;
}

HRESULT CXvidEncoder::Settings::GetInputSize(LONG* width, LONG* height) {
    if (width == nullptr || height == nullptr) return E_POINTER;
    CAutoLock lock(&f_.m_csFilter);
    Picture picture;
    if (!f_.ConnectedPicture(picture)) return S_FALSE;
    *width = picture.width;
    *height = picture.height;
    return S_OK;
}

HRESULT CXvidEncoder::Settings::GetBitrate(LONG* bitsPerSecond) {
    if (bitsPerSecond == nullptr) return E_POINTER;
    *bitsPerSecond = f_.m_bitrate.load();
    return S_OK;
}

HRESULT CXvidEncoder::Settings::SetBitrate(LONG bitsPerSecond) {
    if (bitsPerSecond < 1000 || bitsPerSecond > 50000000) return E_INVALIDARG;
    f_.m_bitrate = bitsPerSecond;
    return S_OK;
}

HRESULT CXvidEncoder::Settings::GetKeyInterval(LONG* pictures) {
    if (pictures == nullptr) return E_POINTER;
    *pictures = f_.m_keyInterval.load();
    return S_OK;
}

HRESULT CXvidEncoder::Settings::SetKeyInterval(LONG pictures) {
    if (pictures < 0 || pictures > 600) return E_INVALIDARG;
    f_.m_keyInterval = pictures;
    return S_OK;
}

}  // namespace movanta::outside
