#include "dshow/videotransform.h"

CVideoTransformFilter::CVideoTransformFilter(LPCWSTR name, LPUNKNOWN outer, REFCLSID clsid)
    : CTransformFilter(name, outer, clsid) {}

HRESULT CVideoTransformFilter::StartStreaming() {
    m_nWaitForKey = 0;
    m_itrLate = 0;
    return CTransformFilter::StartStreaming();
}

HRESULT CVideoTransformFilter::EndFlush() {
    {
        CAutoLock lock(&m_csReceive);
        m_nWaitForKey = kFramesToWaitForKey;
        m_itrLate = 0;
    }
    return CTransformFilter::EndFlush();
}

HRESULT CVideoTransformFilter::AlterQuality(Quality quality) {
    m_itrLate = quality.Late > 0 ? quality.Late : 0;
    return S_OK;
}

bool CVideoTransformFilter::ShouldSkipFrame(IMediaSample* sample) {
    if (m_itrLate <= kSkipThreshold || sample->IsSyncPoint() == S_OK) return false;
    REFERENCE_TIME start = 0;
    REFERENCE_TIME end = 0;
    const bool timed = sample->GetTime(&start, &end) == S_OK && end > start;
    m_itrLate -= timed ? end - start : 40 * MILLISECONDS;
    return true;
}

HRESULT CVideoTransformFilter::Receive(IMediaSample* sample) {
    const bool key = sample->IsSyncPoint() == S_OK;
    if (sample->IsDiscontinuity() == S_OK && !key && m_nWaitForKey == 0) m_nWaitForKey = kFramesToWaitForKey;
    if (m_nWaitForKey > 0) {
        if (key) {
            m_nWaitForKey = 0;
        } else {
            --m_nWaitForKey;
            m_bSampleSkipped = true;
            return S_OK;  // dropped while waiting for a key frame
        }
    }
    if (ShouldSkipFrame(sample)) {
        m_bSampleSkipped = true;
        return S_OK;
    }
    return CTransformFilter::Receive(sample);
}
