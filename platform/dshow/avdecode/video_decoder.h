// The video decoder of the platform: any compressed video libavcodec
// decodes, out as YV12 (preferred), YUY2 or RGB24, turned upright when the
// source says the pictures were recorded turned. Frames whose time is
// before 0 (the run-up to a seek target) are decoded and dropped.
#pragma once

#include "dshow/platform_filters.h"
#include "decoder_filter.h"
#include "picture_turner.h"
#include "picture_writer.h"

struct AVFrame;

namespace movanta::dshow {

class CAvVideoDecoder : public CAvDecoderFilter {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CAvVideoDecoder(LPUNKNOWN outer);
    CAvVideoDecoder(LPCWSTR name, LPUNKNOWN outer, REFCLSID clsid);
    ~CAvVideoDecoder() override;

    HRESULT CheckInputType(const CMediaType* in) override;
    HRESULT CheckTransform(const CMediaType* in, const CMediaType* out) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT StartStreaming() override;
    HRESULT StopStreaming() override;
    // Takes the display rotation the source's pin answers.
    HRESULT CompleteConnect(PIN_DIRECTION direction, IPin* receivePin) override;

protected:
    // The type libavcodec is opened from: the input's own, unless a decoder
    // knows better what a source's type holds. False refuses the input.
    virtual bool CodecType(const CMediaType& input, CMediaType& codec) const;

private:
    HRESULT DeliverFrames() override;

    PictureWriter m_writer;
    PictureTurner m_turner;
    int m_rotation = 0;  // degrees clockwise
    AVFrame* m_frame = nullptr;
    REFERENCE_TIME m_frameTime = 400000;  // used when a frame says nothing of its length
};

}  // namespace movanta::dshow
