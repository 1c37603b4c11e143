// A harness for testing one filter alone: a source that pushes samples the
// test builds into the filter's input, and a sink that collects what comes
// out, connected, run and torn down around the filter.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "com/com_ptr.h"
#include "dshow/filter.h"

namespace movanta::testing {

// An audio type of PCM with a WAVEFORMATEX.
CMediaType PcmType(int bits, int channels, int rate);

// A filter with one output pin of one media type.
class PushSource final : public CBaseFilter {
public:
    static constexpr REFERENCE_TIME kUntimed = INT64_MIN;
    PushSource(const CMediaType& type, LONG bufferSize);
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int index) override;
    IPin* Output();
    // One sample with times (none when start is kUntimed) and flags.
    HRESULT Send(const std::uint8_t* data, std::size_t size, REFERENCE_TIME start, REFERENCE_TIME stop,
                 bool sync = true, bool discontinuity = false, bool preroll = false);
    HRESULT SendEndOfStream();

private:
    class Pin;
    CCritSec lock_;
    std::unique_ptr<Pin> pin_;
};

// A filter with one input pin that keeps every sample; it takes any type,
// or only the subtype `accepted` when one is given, or only `exact`.
class CollectingSink final : public CBaseFilter {
public:
    struct Sample {
        std::vector<std::uint8_t> data;
        bool timed = false;
        REFERENCE_TIME start = 0;
        REFERENCE_TIME stop = 0;
        bool sync = false;
        bool discontinuity = false;
        bool preroll = false;
        bool typeAttached = false;
    };
    explicit CollectingSink(const GUID& accepted = GUID_NULL);
    explicit CollectingSink(const CMediaType& exact);
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int index) override;
    IPin* Input();
    std::vector<Sample> Samples();
    // The samples kept so far, which the sink then forgets.
    std::vector<Sample> TakeSamples();
    int EndsOfStream() const { return ends_; }
    CMediaType ConnectionType();

private:
    class Pin;
    CCritSec lock_;
    std::unique_ptr<Pin> pin_;
    std::mutex samplesLock_;
    std::vector<Sample> samples_;
    std::atomic<int> ends_ {0};
    GUID accepted_;
    CMediaType exact_;
};

// source → filter → sink. Connect answers the connection results; Run
// pauses and runs the three; the destructor stops, disconnects and frees.
class TransformHarness {
public:
    TransformHarness(IBaseFilter* filter, const CMediaType& inputType, LONG inputBufferSize);
    ~TransformHarness();
    HRESULT ConnectInput();
    // `type` null lets the pins agree on one; otherwise that type is asked for.
    HRESULT ConnectOutput(const AM_MEDIA_TYPE* type = nullptr);
    HRESULT Run();
    HRESULT Stop();
    PushSource& Source() { return *source_; }
    CollectingSink& Sink() { return *sink_; }
    IPin* FilterInput();
    IPin* FilterOutput();

private:
    ComPtr<IBaseFilter> filter_;
    PushSource* source_;
    CollectingSink* sink_;
};

}  // namespace movanta::testing
