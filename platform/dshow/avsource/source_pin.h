// One output pin of the file source: the packets of one stream, each a
// sample with its time from the start of the file (less the seek position).
// A video pin also answers how its pictures are to be turned to show
// upright.
#pragma once

#include "demuxer.h"
#include "display_rotation.h"
#include "dshow/source.h"

namespace movanta::dshow {

class CAvSourcePin final : public CSourceStream, public CSourceSeeking, public IDisplayRotation {
public:
    CAvSourcePin(CSource* filter, Demuxer& demuxer, int slot, const CMediaType& type, LPCWSTR name, HRESULT* result);

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;
    HRESULT GetMediaType(CMediaType* type) override;
    using CSourceStream::GetMediaType;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT CompleteConnect(IPin* receivePin) override;
    HRESULT BreakConnect() override;
    HRESULT Inactive() override;
    HRESULT OnThreadStartPlay() override;
    HRESULT FillBuffer(IMediaSample* sample) override;
    HRESULT GetDisplayRotation(int* degrees) override;

protected:
    HRESULT ChangeStart() override;
    HRESULT ChangeStop() override { return S_OK; }
    HRESULT ChangeRate() override;

private:
    CCritSec m_positionLock;
    Demuxer& m_demuxer;
    int m_slot;
    CMediaType m_type;
    bool m_discontinuity = true;
    bool m_seekPending = false;
};

}  // namespace movanta::dshow
