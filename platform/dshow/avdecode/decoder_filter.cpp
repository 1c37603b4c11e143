#include "decoder_filter.h"

namespace movanta::dshow {

HRESULT CAvDecoderFilter::Receive(IMediaSample* sample) {
    if (sample == nullptr) return E_POINTER;
    if (!m_decoder.IsOpen()) return VFW_E_WRONG_STATE;
    BeforeDecoding(sample);
    if (!m_decoder.Send(sample)) return S_OK;
    return DeliverFrames();
}

HRESULT CAvDecoderFilter::EndOfStream() {
    if (m_decoder.IsOpen()) {
        m_decoder.SendEnd();
        DeliverFrames();
        m_decoder.Flush();
        FinishDelivery();
    }
    return CTransformFilter::EndOfStream();
}

HRESULT CAvDecoderFilter::EndFlush() {
    {
        CAutoLock lock(&m_csReceive);
        m_decoder.Flush();
        OnFlush();
    }
    return CTransformFilter::EndFlush();
}

}  // namespace movanta::dshow
