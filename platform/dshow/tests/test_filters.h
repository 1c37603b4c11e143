// Small filters for the framework's tests, served from the test program
// itself (CoRegisterClassObject) and registered for the automatic
// connection like real plug-ins.
//
// Media: a "raw" video stream of numbered frames (each sample starts with
// its 32-bit frame number; every fifth frame is a key frame) that the
// registered decoder turns into "decoded" frames, which the registered
// renderer accepts along with PCM audio.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "dshow/rendered.h"
#include "dshow/source.h"
#include "dshow/transform.h"
#include "dshow/videotransform.h"

namespace dshow_test {

inline constexpr GUID kRawSubtype = FourCCGuid(MakeFourCC('T', 'R', 'A', 'W'));
inline constexpr GUID kDecodedSubtype = FourCCGuid(MakeFourCC('T', 'D', 'E', 'C'));
inline constexpr GUID kUnplayableSubtype = FourCCGuid(MakeFourCC('T', 'B', 'A', 'D'));

inline constexpr CLSID CLSID_NumberSource = {
    0x7A1C0001, 0x51D2, 0x4E0B, {0x8C, 0x11, 0x3A, 0x55, 0x90, 0x21, 0x6B, 0x01}};
inline constexpr CLSID CLSID_TestDecoder = {
    0x7A1C0002, 0x51D2, 0x4E0B, {0x8C, 0x11, 0x3A, 0x55, 0x90, 0x21, 0x6B, 0x01}};
inline constexpr CLSID CLSID_TestRenderer = {
    0x7A1C0003, 0x51D2, 0x4E0B, {0x8C, 0x11, 0x3A, 0x55, 0x90, 0x21, 0x6B, 0x01}};
inline constexpr CLSID CLSID_PassThrough = {
    0x7A1C0004, 0x51D2, 0x4E0B, {0x8C, 0x11, 0x3A, 0x55, 0x90, 0x21, 0x6B, 0x01}};
inline constexpr CLSID CLSID_TestSplitter = {
    0x7A1C0005, 0x51D2, 0x4E0B, {0x8C, 0x11, 0x3A, 0x55, 0x90, 0x21, 0x6B, 0x01}};

// One stream of a number source: count frames of `duration` each.
struct StreamPlan {
    GUID major;
    GUID subtype;
    int count;
    REFERENCE_TIME duration;
};

// A source of numbered frames, one output pin per stream. As a file
// source it reads its streams from a text file of lines
// "video|audio|unplayable COUNT MILLISECONDS".
class CNumberSource : public CSource, public IFileSourceFilter {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CNumberSource(LPUNKNOWN outer);
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;
    HRESULT Load(LPCOLESTR file, const AM_MEDIA_TYPE* type) override;
    HRESULT GetCurFile(LPOLESTR* file, AM_MEDIA_TYPE* type) override;
    void AddStream(const StreamPlan& plan);

private:
    std::wstring file_;
};

// Waits on the graph's clock until each sample's time, counts what it
// receives and can block in Receive until stopped or flushed.
class CTestRenderer : public CBaseFilter {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CTestRenderer(LPUNKNOWN outer);
    ~CTestRenderer() override;
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int index) override;
    HRESULT Stop() override;

    std::vector<int> Numbers();  // frame numbers received, in order
    int Discontinuities() const { return discontinuities_; }
    int EndsOfStream() const { return ends_; }
    void SetBlocking(bool block) { blocking_ = block; }
    bool IsBlocked() const { return blocked_; }
    void Wake() { wake_.Set(); }

private:
    class Pin;
    friend class Pin;
    HRESULT Render(IMediaSample* sample);

    CCritSec lock_;
    Pin* pin_;
    CAMEvent wake_ {TRUE};  // set while stopping or flushing
    std::mutex numbersLock_;
    std::vector<int> numbers_;
    std::atomic<int> discontinuities_ {0};
    std::atomic<int> ends_ {0};
    std::atomic<bool> blocking_ {false};
    std::atomic<bool> blocked_ {false};
};

// A sink of two streams, as the writer is: counts the ends of its streams.
class CTwoStreamSink : public CBaseFilter {
public:
    CTwoStreamSink();
    ~CTwoStreamSink() override;
    int GetPinCount() override { return 2; }
    CBasePin* GetPin(int index) override;
    int EndsOfStream() const { return ends_; }

private:
    class Pin;
    CCritSec lock_;
    std::unique_ptr<Pin> pins_[2];
    std::atomic<int> ends_ {0};
};

// Turns raw frames into decoded ones, number for number.
class CTestDecoder : public CTransformFilter {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CTestDecoder(LPUNKNOWN outer);
    HRESULT CheckInputType(const CMediaType* in) override;
    HRESULT CheckTransform(const CMediaType* in, const CMediaType* out) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override;
};

// Decoded frames in, decoded frames out. Records its streaming hooks, can
// drop odd frames, fail from a given frame on, or wait for key frames.
class CPassThrough : public CVideoTransformFilter {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CPassThrough(LPUNKNOWN outer);
    HRESULT CheckInputType(const CMediaType* in) override;
    HRESULT CheckTransform(const CMediaType* in, const CMediaType* out) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override;
    HRESULT StartStreaming() override;
    HRESULT StopStreaming() override;

    std::atomic<int> starts {0};
    std::atomic<int> stops {0};
    std::atomic<bool> dropOdd {false};
    std::atomic<int> failFrom {-1};
};

// For building graphs only: takes raw video and offers two outputs, raw
// video again and a stream nothing renders.
class CTestSplitter : public CBaseFilter {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CTestSplitter(LPUNKNOWN outer);
    ~CTestSplitter() override;
    int GetPinCount() override { return 3; }
    CBasePin* GetPin(int index) override;

private:
    class InPin;
    class OutPin;
    CCritSec lock_;
    std::unique_ptr<CBasePin> pins_[3];
};

// Registers the splitter for the automatic connection, above the decoder,
// in the registry of the test.
void RegisterSplitter();

// Serves the five classes from this process and registers their filter
// data (decoder and renderer with normal merit; the pass-through not for
// automatic use) and the ".tnum" extension, in the registry of the test.
class TestClasses {
public:
    TestClasses();
    ~TestClasses();

private:
    std::vector<DWORD> cookies_;
};

// Writes a ".tnum" file describing the streams.
std::wstring WriteNumberFile(const std::string& path, const std::string& contents);

// The filter of a class in a graph, as its C++ class (no reference kept:
// the graph holds it).
template <class T>
T* FindInGraph(IFilterGraph* graph, REFCLSID clsid) {
    IEnumFilters* filters = nullptr;
    if (FAILED(graph->EnumFilters(&filters))) return nullptr;
    T* found = nullptr;
    IBaseFilter* filter = nullptr;
    while (found == nullptr && filters->Next(1, &filter, nullptr) == S_OK) {
        CLSID id {};
        filter->GetClassID(&id);
        if (id == clsid) found = dynamic_cast<T*>(filter);
        filter->Release();
    }
    filters->Release();
    return found;
}

}  // namespace dshow_test
