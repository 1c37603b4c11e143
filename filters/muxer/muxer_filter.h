// The writer filter: CMp4SysMuxer (the object the class factory makes, with
// IFileSinkFilter and ITxMuxer) owns CMuxerFilter and its two input pins,
// "Video" (index 0) and "Audio" (index 1).
//
// Locks: the filter lock (state changes, connections); one receive lock per
// pin (its streaming thread); the write lock for the shared state below,
// taken inside a receive lock. A pin that holds its stream back sleeps with
// its own receive lock only, so the other stream keeps flowing. GetStatus
// reads the shared state without a lock: every field it reads is atomic.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "dshow/pospass.h"
#include "dshow/rendered.h"
#include "filters/muxer/txmuxer.h"
#include "mp4_muxer.h"

namespace movanta::muxer {

class CMp4SysMuxer;
class CMuxerFilter;

class CMuxerPin : public CRenderedInputPin {
public:
    CMuxerPin(CMp4SysMuxer* owner, CMuxerFilter* filter, CCritSec* lock, HRESULT* result, LPCWSTR name, bool video);
    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT CompleteConnect(IPin* receivePin) override;
    HRESULT Receive(IMediaSample* sample) override;
    // The end of this stream, unless a flush is under way (what came
    // before the flush, its end included, is thrown away).
    HRESULT EndOfStream() override;
    // A seek starts the stream again: an end that came before it is
    // forgotten, whenever the streaming was started.
    HRESULT BeginFlush() override;

private:
    // Sleeps while this stream runs more than 2 s ahead of the other one.
    void HoldBack();
    CMp4SysMuxer* m_pMuxer;
    CCritSec m_receiveLock;
    const bool m_video;
    DWORD m_lastHold = 0;  // guarded by m_receiveLock
};

class CMuxerFilter final : public CBaseFilter {
public:
    CMuxerFilter(CMp4SysMuxer* owner, LPUNKNOWN outer, CCritSec* lock, HRESULT* result);
    int GetPinCount() override { return 2; }
    CBasePin* GetPin(int index) override;
    HRESULT Stop() override;
    HRESULT Pause() override;
    HRESULT Run(REFERENCE_TIME start) override;

private:
    CMp4SysMuxer* m_pMuxer;
};

class CMp4SysMuxer final : public CUnknown, public IFileSinkFilter {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    CMp4SysMuxer(LPUNKNOWN outer, HRESULT* result);
    ~CMp4SysMuxer() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;

    // IFileSinkFilter
    HRESULT SetFileName(LPCOLESTR file, const AM_MEDIA_TYPE* type) override;
    HRESULT GetCurFile(LPOLESTR* file, AM_MEDIA_TYPE* type) override;

    // ITxMuxer, through the nested interface.
    HRESULT GetStatus(LONGLONG* position, LONGLONG* size, int* status);
    int SetMediaPosition(LONGLONG position);
    int SetDstResulotion(LONGLONG start, LONGLONG end, int width, int height);
    int SetSourceIsWmv(int isWmv);
    int StartStreaming();

    CBasePin* VideoPin() const { return m_pVideoPin.get(); }
    CBasePin* AudioPin() const { return m_pAudioPin.get(); }

private:
    friend class CMuxerPin;
    friend class CMuxerFilter;

    class TxMuxer final : public CNestedInterface<ITxMuxer> {
    public:
        explicit TxMuxer(CMp4SysMuxer& owner) : CNestedInterface(owner), owner_(owner) {}
        HRESULT GetStatus(LONGLONG* position, LONGLONG* size, int* status) override {
            return owner_.GetStatus(position, size, status);
        }
        int SetMediaPosition(LONGLONG position) override { return owner_.SetMediaPosition(position); }
        int SetDstResulotion(LONGLONG start, LONGLONG end, int width, int height) override {
            return owner_.SetDstResulotion(start, end, width, height);
        }
        int SetSourceIsWmv(int isWmv) override { return owner_.SetSourceIsWmv(isWmv); }
        int StartStreaming() override { return owner_.StartStreaming(); }

    private:
        CMp4SysMuxer& owner_;
    };

    HRESULT OpenFile();
    // Writes the held picture and closes the file; false when the file
    // system refused any of its bytes.
    bool CloseFile();
    // Writes the picture held back (its length is known once the next one
    // comes) lasting `duration`; under the write lock.
    void WriteHeldPicture(REFERENCE_TIME duration);
    // Counts the bytes of a unit the writer took; a refused write marks
    // the file lost.
    void Account(int answer, LONG length);
    // Called by the pins under the write lock.
    void WriteVideo(const BYTE* data, LONG length, REFERENCE_TIME duration, REFERENCE_TIME start);
    void WriteAudio(const BYTE* data, LONG length, REFERENCE_TIME start);
    void UpdatePosition();
    CPosPassThru* PassThrough(CBasePin* pin, std::unique_ptr<CPosPassThru>& slot);

    CCritSec m_filterLock;
    std::mutex m_writeLock;
    std::unique_ptr<CMuxerFilter> m_pFilter;
    std::unique_ptr<CMuxerPin> m_pVideoPin;
    std::unique_ptr<CMuxerPin> m_pAudioPin;
    std::unique_ptr<CPosPassThru> m_pVideoPosition;
    std::unique_ptr<CPosPassThru> m_pAudioPosition;
    TxMuxer m_txMuxer {*this};

    std::wstring m_fileName;
    HANDLE m_hFileNameEvent;
    std::atomic<bool> m_audioConnected {false};
    std::atomic<bool> m_videoConnected {false};
    std::atomic<bool> m_audioEnded {false};
    std::atomic<bool> m_videoEnded {false};
    std::atomic<int> m_holdOrEnded {0};
    std::atomic<LONGLONG> m_audioTime {0};
    std::atomic<LONGLONG> m_videoTime {0};
    std::atomic<DWORD> m_lastVideoTick {0};
    std::atomic<DWORD> m_lastAudioTick {0};
    std::atomic<bool> m_accepting {true};
    LONGLONG m_rangeStart = 0;
    LONGLONG m_rangeLength = 0;
    bool m_rangeCheck = false;
    std::vector<BYTE> m_videoBuffers[2];  // guarded by m_writeLock; grown for a larger sample
    int m_currentBuffer = 0;              // guarded by m_writeLock
    LONGLONG m_heldStart = -1;            // guarded by m_writeLock; -1: none held
    LONG m_heldLength = 0;                // guarded by m_writeLock
    int m_heldBuffer = 0;                 // guarded by m_writeLock
    LONGLONG m_lastVideoDuration = 0;     // guarded by m_writeLock
    LONGLONG m_previousVideoStart = 0;    // guarded by the video pin's receive lock
    std::atomic<LONGLONG> m_bytesWritten {0};
    std::atomic<bool> m_fileLost {false};  // the file system refused bytes
    std::atomic<LONGLONG> m_position {0};
    int m_sourceIsWmv = 0;
    int m_closeMode = 0;
};

}  // namespace movanta::muxer
