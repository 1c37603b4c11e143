// The video decoder of the platform: any compressed video libavcodec
// decodes, out as YV12 (preferred), YUY2 or RGB24, turned upright when the
// source says the pictures were recorded turned. Frames whose time is
// before 0 (the run-up to a seek target) are decoded and dropped. Told what
// a conversion keeps of its pictures, it leaves out the work nobody would
// see: the deblocking filter, and pictures that no other picture refers to
// and that the conversion's frame rate leaves out; pictures it leaves out
// that others refer to are decoded but not delivered.
#pragma once

#include "decode_shortcuts.h"
#include "decoder_filter.h"
#include "delivery_queue.h"
#include "dshow/picture_needs.h"
#include "dshow/platform_filters.h"
#include "picture_turner.h"
#include "picture_writer.h"

struct AVFrame;

namespace movanta::dshow {

class CAvVideoDecoder : public CAvDecoderFilter, public IPictureNeeds {
public:
    DECLARE_IUNKNOWN
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CAvVideoDecoder(LPUNKNOWN outer);
    CAvVideoDecoder(LPCWSTR name, LPUNKNOWN outer, REFCLSID clsid);
    ~CAvVideoDecoder() override;
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;
    HRESULT SetPictureNeeds(LONG width, LONG height, REFERENCE_TIME frameTime) override;

    HRESULT CheckInputType(const CMediaType* in) override;
    HRESULT CheckTransform(const CMediaType* in, const CMediaType* out) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT StartStreaming() override;
    HRESULT StopStreaming() override;
    HRESULT BeginFlush() override;
    // Takes the display rotation the source's pin answers.
    HRESULT CompleteConnect(PIN_DIRECTION direction, IPin* receivePin) override;

protected:
    // The type libavcodec is opened from: the input's own, unless a decoder
    // knows better what a source's type holds. False refuses the input.
    virtual bool CodecType(const CMediaType& input, CMediaType& codec) const;

private:
    struct UprightSize {
        LONG width;
        LONG height;
    };
    // The input's pictures as delivered: turned upright.
    UprightSize UprightSizeOf(const VIDEOINFOHEADER& input) const;
    HRESULT DeliverFrames() override;
    void BeforeDecoding(IMediaSample* sample) override;
    void OnFlush() override;
    void FinishDelivery() override;

    PictureWriter m_writer;
    PictureTurner m_turner;
    int m_rotation = 0;  // degrees clockwise
    AVFrame* m_frame = nullptr;
    REFERENCE_TIME m_frameTime = 400000;  // used when a frame says nothing of its length
    LONG m_keptWidth = 0;  // what a conversion keeps; 0: everything
    LONG m_keptHeight = 0;
    REFERENCE_TIME m_keptFrameTime = 0;
    DecodeShortcuts m_shortcuts;
    DeliveryQueue m_delivery;  // a conversion's pictures go downstream on a thread of their own
    REFERENCE_TIME m_previousStart = 0;  // of the last picture decoded, far before 0 when none was
};

}  // namespace movanta::dshow
