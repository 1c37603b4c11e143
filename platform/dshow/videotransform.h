// A transform for video decoders and similar filters that may skip frames.
//
// Quality control: when the renderer reports that it runs late
// (IQualityControl::Notify with a positive Late), frames that are not key
// frames are skipped until the lateness is made up; the next frame
// delivered is marked a discontinuity.
//
// Key frames: after a flush (a seek) and after an input discontinuity that is
// not itself a key frame, up to 30 frames are dropped while waiting for a key
// frame, so that a decoder never starts from a frame it cannot decode.
#pragma once

#include "dshow/transform.h"

class CVideoTransformFilter : public CTransformFilter {
public:
    CVideoTransformFilter(LPCWSTR name, LPUNKNOWN outer, REFCLSID clsid);

    HRESULT Receive(IMediaSample* sample) override;
    HRESULT AlterQuality(Quality quality) override;
    HRESULT EndFlush() override;
    HRESULT StartStreaming() override;

    static constexpr int kFramesToWaitForKey = 30;
    static constexpr REFERENCE_TIME kSkipThreshold = 300 * MILLISECONDS;

protected:
    // True when the sample should be skipped to catch up.
    virtual bool ShouldSkipFrame(IMediaSample* sample);

    int m_nWaitForKey = 0;              // guarded by m_csReceive
    REFERENCE_TIME m_itrLate = 0;       // lateness still to make up
};
