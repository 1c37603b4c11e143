#include "test_filters.h"

#include <cstring>
#include <fstream>
#include <new>
#include <sstream>

#include "com/comapi.h"
#include "dshow/setup.h"
#include "win/text.h"

namespace dshow_test {
namespace {

constexpr LONG kBufferSize = 64;

HRESULT SmallBuffers(IMemAllocator* allocator) {
    ALLOCATOR_PROPERTIES request {4, kBufferSize, 1, 0};
    ALLOCATOR_PROPERTIES actual {};
    return allocator->SetProperties(&request, &actual);
}

int NumberOf(IMediaSample* sample) {
    BYTE* data = nullptr;
    int number = -1;
    if (SUCCEEDED(sample->GetPointer(&data)) && sample->GetActualDataLength() >= 4) std::memcpy(&number, data, 4);
    return number;
}

void SetNumber(IMediaSample* sample, int number) {
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    std::memcpy(data, &number, 4);
    sample->SetActualDataLength(4);
}

void SetSimpleType(CMediaType* type, const GUID& major, const GUID& subtype) {
    type->InitMediaType();
    type->SetType(&major);
    type->SetSubtype(&subtype);
    type->SetFormatType(&FORMAT_None);
    type->SetSampleSize(kBufferSize);
}

bool IsType(const CMediaType* type, const GUID& major, const GUID& subtype) {
    return *type->Type() == major && *type->Subtype() == subtype;
}

// One stream of numbered frames, seekable.
class NumberStream final : public CSourceStream, public CSourceSeeking {
public:
    NumberStream(CNumberSource* filter, const StreamPlan& plan, LPCWSTR name, HRESULT* result)
        : CSourceStream(L"Number stream", result, filter, name), CSourceSeeking(&positionLock_), plan_(plan) {
        m_rtDuration = plan.count * plan.duration;
        m_rtStop = m_rtDuration;
    }

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IMediaSeeking) return GetInterface(static_cast<IMediaSeeking*>(this), object);
        return CSourceStream::NonDelegatingQueryInterface(iid, object);
    }

    HRESULT GetMediaType(CMediaType* type) override {
        SetSimpleType(type, plan_.major, plan_.subtype);
        return S_OK;
    }
    using CSourceStream::GetMediaType;

    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES*) override {
        return SmallBuffers(allocator);
    }

    HRESULT OnThreadStartPlay() override {
        CAutoLock lock(&positionLock_);
        return DeliverNewSegment(m_rtStart, m_rtStop, m_dRateSeeking);
    }

    HRESULT FillBuffer(IMediaSample* sample) override {
        CAutoLock lock(&positionLock_);
        const REFERENCE_TIME at = next_ * plan_.duration;
        if (next_ >= plan_.count || at >= m_rtStop) return S_FALSE;
        SetNumber(sample, next_);
        REFERENCE_TIME start = at - m_rtStart;
        REFERENCE_TIME end = start + plan_.duration;
        sample->SetTime(&start, &end);
        sample->SetSyncPoint(next_ % 5 == 0);
        sample->SetDiscontinuity(discontinuity_);
        discontinuity_ = false;
        ++next_;
        return S_OK;
    }

protected:
    HRESULT ChangeStart() override {
        const bool streaming = ThreadExists();
        if (streaming) {
            DeliverBeginFlush();
            Stop();
        }
        {
            CAutoLock lock(&positionLock_);
            next_ = static_cast<int>((m_rtStart + plan_.duration - 1) / plan_.duration);
            discontinuity_ = true;
        }
        if (streaming) {
            DeliverEndFlush();
            Run();
        }
        return S_OK;
    }
    HRESULT ChangeStop() override { return S_OK; }
    HRESULT ChangeRate() override { return S_OK; }

private:
    CCritSec positionLock_;
    StreamPlan plan_;
    int next_ = 0;               // guarded by positionLock_
    bool discontinuity_ = true;  // guarded by positionLock_
};

}  // namespace

// --- CNumberSource

CNumberSource::CNumberSource(LPUNKNOWN outer) : CSource(L"Number source", outer, CLSID_NumberSource) {}

CUnknown* CNumberSource::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    auto* source = new (std::nothrow) CNumberSource(outer);
    if (source == nullptr && result != nullptr) *result = E_OUTOFMEMORY;
    return source;
}

HRESULT CNumberSource::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IFileSourceFilter) return GetInterface(static_cast<IFileSourceFilter*>(this), object);
    return CSource::NonDelegatingQueryInterface(iid, object);
}

void CNumberSource::AddStream(const StreamPlan& plan) {
    HRESULT hr = S_OK;
    const std::wstring name = L"Out" + std::to_wstring(GetPinCount());
    new NumberStream(this, plan, name.c_str(), &hr);  // owned by the filter
}

HRESULT CNumberSource::Load(LPCOLESTR file, const AM_MEDIA_TYPE*) {
    if (file == nullptr) return E_POINTER;
    std::ifstream input(movanta::NativePath(file));
    if (!input) return VFW_E_NOT_FOUND;
    file_ = file;
    std::string kind;
    int count = 0;
    int milliseconds = 0;
    while (input >> kind >> count >> milliseconds) {
        const REFERENCE_TIME duration = milliseconds * MILLISECONDS;
        if (kind == "video") {
            AddStream({MEDIATYPE_Video, kRawSubtype, count, duration});
        } else if (kind == "audio") {
            AddStream({MEDIATYPE_Audio, MEDIASUBTYPE_PCM, count, duration});
        } else {
            AddStream({MEDIATYPE_Audio, kUnplayableSubtype, count, duration});
        }
    }
    return GetPinCount() > 0 ? S_OK : VFW_E_INVALID_FILE_FORMAT;
}

HRESULT CNumberSource::GetCurFile(LPOLESTR* file, AM_MEDIA_TYPE* type) {
    if (file == nullptr) return E_POINTER;
    *file = movanta::CoTaskMemString(file_);
    if (*file == nullptr) return E_OUTOFMEMORY;
    if (type != nullptr) *type = AM_MEDIA_TYPE {};
    return S_OK;
}

// --- CTwoStreamSink

class CTwoStreamSink::Pin final : public CRenderedInputPin {
public:
    Pin(CTwoStreamSink* sink, HRESULT* result, LPCWSTR name)
        : CRenderedInputPin(L"Sink pin", sink, &sink->lock_, result, name), sink_(sink) {}
    HRESULT CheckMediaType(const CMediaType*) override { return S_OK; }
    // A little work a sample, so the longer stream ends well after the shorter.
    HRESULT Receive(IMediaSample* sample) override {
        const HRESULT hr = CRenderedInputPin::Receive(sample);
        if (hr == S_OK) Sleep(2);
        return hr;
    }
    HRESULT EndOfStream() override {
        if (CheckStreaming() == S_OK) ++sink_->ends_;
        return CRenderedInputPin::EndOfStream();
    }

private:
    CTwoStreamSink* sink_;
};

CTwoStreamSink::CTwoStreamSink() : CBaseFilter(L"Two-stream sink", nullptr, &lock_, GUID_NULL) {
    HRESULT hr = S_OK;
    pins_[0] = std::make_unique<Pin>(this, &hr, L"First");
    pins_[1] = std::make_unique<Pin>(this, &hr, L"Second");
}

CTwoStreamSink::~CTwoStreamSink() = default;

CBasePin* CTwoStreamSink::GetPin(int index) {
    return index == 0 || index == 1 ? pins_[index].get() : nullptr;
}

// --- CTestRenderer

class CTestRenderer::Pin final : public CRenderedInputPin {
public:
    Pin(CTestRenderer* renderer, HRESULT* result)
        : CRenderedInputPin(L"Renderer pin", renderer, &renderer->lock_, result, L"In"), renderer_(renderer) {}
    HRESULT CheckMediaType(const CMediaType* type) override {
        return IsType(type, MEDIATYPE_Video, kDecodedSubtype) || IsType(type, MEDIATYPE_Audio, MEDIASUBTYPE_PCM)
                   ? S_OK
                   : VFW_E_TYPE_NOT_ACCEPTED;
    }
    HRESULT Receive(IMediaSample* sample) override {
        const HRESULT hr = CBaseInputPin::Receive(sample);
        return hr == S_OK ? renderer_->Render(sample) : hr;
    }
    HRESULT EndOfStream() override {
        // Counted before the base class tells the graph, which may wake a waiter.
        if (CheckStreaming() == S_OK) ++renderer_->ends_;
        return CRenderedInputPin::EndOfStream();
    }
    HRESULT BeginFlush() override {
        renderer_->wake_.Set();
        return CRenderedInputPin::BeginFlush();
    }
    HRESULT EndFlush() override {
        renderer_->wake_.Reset();
        return CRenderedInputPin::EndFlush();
    }
    HRESULT Active() override {
        renderer_->wake_.Reset();
        return CRenderedInputPin::Active();
    }

private:
    CTestRenderer* renderer_;
};

CTestRenderer::CTestRenderer(LPUNKNOWN outer) : CBaseFilter(L"Test renderer", outer, &lock_, CLSID_TestRenderer) {
    HRESULT hr = S_OK;
    pin_ = new Pin(this, &hr);
}

CTestRenderer::~CTestRenderer() {
    delete pin_;
}

CUnknown* CTestRenderer::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    auto* renderer = new (std::nothrow) CTestRenderer(outer);
    if (renderer == nullptr && result != nullptr) *result = E_OUTOFMEMORY;
    return renderer;
}

CBasePin* CTestRenderer::GetPin(int index) {
    return index == 0 ? pin_ : nullptr;
}

HRESULT CTestRenderer::Stop() {
    wake_.Set();  // release a Receive that waits, before taking the filter lock
    return CBaseFilter::Stop();
}

std::vector<int> CTestRenderer::Numbers() {
    std::lock_guard guard(numbersLock_);
    return numbers_;
}

HRESULT CTestRenderer::Render(IMediaSample* sample) {
    if (blocking_) {
        blocked_ = true;
        wake_.Wait();
        blocked_ = false;
        return S_FALSE;
    }
    // Paused: hold the sample until the graph runs, stops or flushes.
    while (m_State == State_Paused) {
        if (wake_.Wait(5)) return S_FALSE;
    }
    REFERENCE_TIME start = 0;
    REFERENCE_TIME end = 0;
    REFERENCE_TIME now = 0;
    if (m_State == State_Running && SUCCEEDED(sample->GetTime(&start, &end)) && m_pClock != nullptr &&
        SUCCEEDED(m_pClock->GetTime(&now))) {
        const REFERENCE_TIME due = m_tStart + start;
        if (due > now && wake_.Wait(static_cast<DWORD>((due - now) / MILLISECONDS))) return S_FALSE;
    }
    if (sample->IsDiscontinuity() == S_OK) ++discontinuities_;
    std::lock_guard guard(numbersLock_);
    numbers_.push_back(NumberOf(sample));
    return S_OK;
}

// --- CTestDecoder

CTestDecoder::CTestDecoder(LPUNKNOWN outer) : CTransformFilter(L"Test decoder", outer, CLSID_TestDecoder) {}

CUnknown* CTestDecoder::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    auto* decoder = new (std::nothrow) CTestDecoder(outer);
    if (decoder == nullptr && result != nullptr) *result = E_OUTOFMEMORY;
    return decoder;
}

HRESULT CTestDecoder::CheckInputType(const CMediaType* in) {
    return IsType(in, MEDIATYPE_Video, kRawSubtype) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CTestDecoder::CheckTransform(const CMediaType* in, const CMediaType* out) {
    return IsType(in, MEDIATYPE_Video, kRawSubtype) && IsType(out, MEDIATYPE_Video, kDecodedSubtype)
               ? S_OK
               : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CTestDecoder::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES*) {
    return SmallBuffers(allocator);
}

HRESULT CTestDecoder::GetMediaType(int position, CMediaType* type) {
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    SetSimpleType(type, MEDIATYPE_Video, kDecodedSubtype);
    return S_OK;
}

HRESULT CTestDecoder::Transform(IMediaSample* in, IMediaSample* out) {
    SetNumber(out, NumberOf(in));
    return S_OK;
}

// --- CPassThrough

CPassThrough::CPassThrough(LPUNKNOWN outer) : CVideoTransformFilter(L"Pass-through", outer, CLSID_PassThrough) {}

CUnknown* CPassThrough::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    auto* filter = new (std::nothrow) CPassThrough(outer);
    if (filter == nullptr && result != nullptr) *result = E_OUTOFMEMORY;
    return filter;
}

HRESULT CPassThrough::CheckInputType(const CMediaType* in) {
    return IsType(in, MEDIATYPE_Video, kDecodedSubtype) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CPassThrough::CheckTransform(const CMediaType* in, const CMediaType* out) {
    return IsType(in, MEDIATYPE_Video, kDecodedSubtype) && IsType(out, MEDIATYPE_Video, kDecodedSubtype)
               ? S_OK
               : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CPassThrough::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES*) {
    return SmallBuffers(allocator);
}

HRESULT CPassThrough::GetMediaType(int position, CMediaType* type) {
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    SetSimpleType(type, MEDIATYPE_Video, kDecodedSubtype);
    return S_OK;
}

HRESULT CPassThrough::Transform(IMediaSample* in, IMediaSample* out) {
    const int number = NumberOf(in);
    if (failFrom >= 0 && number >= failFrom) return E_FAIL;
    if (dropOdd && number % 2 == 1) return S_FALSE;
    SetNumber(out, number);
    return S_OK;
}

HRESULT CPassThrough::StartStreaming() {
    ++starts;
    return CVideoTransformFilter::StartStreaming();
}

HRESULT CPassThrough::StopStreaming() {
    ++stops;
    return CVideoTransformFilter::StopStreaming();
}

// --- CTestSplitter

class CTestSplitter::InPin final : public CBaseInputPin {
public:
    InPin(CTestSplitter* filter, HRESULT* result)
        : CBaseInputPin(L"Splitter in", filter, &filter->lock_, result, L"In") {}
    HRESULT CheckMediaType(const CMediaType* type) override {
        return IsType(type, MEDIATYPE_Video, kRawSubtype) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    }
};

class CTestSplitter::OutPin final : public CBaseOutputPin {
public:
    OutPin(CTestSplitter* filter, HRESULT* result, LPCWSTR name, const GUID& subtype)
        : CBaseOutputPin(L"Splitter out", filter, &filter->lock_, result, name), subtype_(subtype) {}
    HRESULT CheckMediaType(const CMediaType* type) override {
        return IsType(type, MEDIATYPE_Video, subtype_) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    }
    HRESULT GetMediaType(int position, CMediaType* type) override {
        if (position < 0) return E_INVALIDARG;
        if (position > 0) return VFW_S_NO_MORE_ITEMS;
        SetSimpleType(type, MEDIATYPE_Video, subtype_);
        return S_OK;
    }
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES*) override {
        return SmallBuffers(allocator);
    }

private:
    GUID subtype_;
};

CTestSplitter::CTestSplitter(LPUNKNOWN outer) : CBaseFilter(L"Test splitter", outer, &lock_, CLSID_TestSplitter) {
    HRESULT hr = S_OK;
    pins_[0] = std::make_unique<InPin>(this, &hr);
    pins_[1] = std::make_unique<OutPin>(this, &hr, L"Raw", kRawSubtype);
    pins_[2] = std::make_unique<OutPin>(this, &hr, L"Bad", kUnplayableSubtype);
}

CTestSplitter::~CTestSplitter() = default;

CUnknown* CTestSplitter::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    auto* filter = new (std::nothrow) CTestSplitter(outer);
    if (filter == nullptr && result != nullptr) *result = E_OUTOFMEMORY;
    return filter;
}

CBasePin* CTestSplitter::GetPin(int index) {
    return index >= 0 && index < 3 ? pins_[index].get() : nullptr;
}

// --- Registration

namespace {

CFactoryTemplate kTemplates[] = {
    {L"Number source", &CLSID_NumberSource, CNumberSource::CreateInstance, nullptr, nullptr},
    {L"Test decoder", &CLSID_TestDecoder, CTestDecoder::CreateInstance, nullptr, nullptr},
    {L"Test renderer", &CLSID_TestRenderer, CTestRenderer::CreateInstance, nullptr, nullptr},
    {L"Pass-through", &CLSID_PassThrough, CPassThrough::CreateInstance, nullptr, nullptr},
    {L"Test splitter", &CLSID_TestSplitter, CTestSplitter::CreateInstance, nullptr, nullptr},
};

const AMOVIESETUP_MEDIATYPE kRawVideo[] = {{&MEDIATYPE_Video, &kRawSubtype}};
const AMOVIESETUP_MEDIATYPE kDecodedVideo[] = {{&MEDIATYPE_Video, &kDecodedSubtype}};
const AMOVIESETUP_MEDIATYPE kRenderable[] = {{&MEDIATYPE_Video, &kDecodedSubtype},
                                             {&MEDIATYPE_Audio, &MEDIASUBTYPE_PCM}};
const AMOVIESETUP_PIN kDecoderPins[] = {
    {L"XForm In", FALSE, FALSE, FALSE, FALSE, nullptr, nullptr, 1, kRawVideo},
    {L"XForm Out", FALSE, TRUE, FALSE, FALSE, nullptr, nullptr, 1, kDecodedVideo},
};
const AMOVIESETUP_PIN kRendererPins[] = {{L"In", TRUE, FALSE, FALSE, FALSE, nullptr, nullptr, 2, kRenderable}};
const AMOVIESETUP_FILTER kDecoder = {&CLSID_TestDecoder, L"Test decoder", MERIT_NORMAL, 2, kDecoderPins};
const AMOVIESETUP_FILTER kRenderer = {&CLSID_TestRenderer, L"Test renderer", MERIT_NORMAL, 1, kRendererPins};
const AMOVIESETUP_PIN kSplitterPins[] = {{L"In", FALSE, FALSE, FALSE, FALSE, nullptr, nullptr, 1, kRawVideo}};
const AMOVIESETUP_FILTER kSplitter = {&CLSID_TestSplitter, L"Test splitter", MERIT_NORMAL + 1, 1, kSplitterPins};

}  // namespace

TestClasses::TestClasses() {
    for (CFactoryTemplate& entry : kTemplates) {
        auto* factory = new CClassFactory(&entry);
        factory->AddRef();
        DWORD cookie = 0;
        CoRegisterClassObject(*entry.m_ClsID, static_cast<IClassFactory*>(factory), CLSCTX_INPROC_SERVER,
                              REGCLS_MULTIPLEUSE, &cookie);
        factory->Release();
        cookies_.push_back(cookie);
    }
    movanta::dshow::RegisterFilter(kDecoder, true);
    movanta::dshow::RegisterFilter(kRenderer, true);
    RegisterSourceExtension(L".tnum", CLSID_NumberSource, TRUE);
}

void RegisterSplitter() {
    movanta::dshow::RegisterFilter(kSplitter, true);
}

TestClasses::~TestClasses() {
    for (DWORD cookie : cookies_) CoRevokeClassObject(cookie);
}

std::wstring WriteNumberFile(const std::string& path, const std::string& contents) {
    std::ofstream(path) << contents;
    return movanta::Utf8ToWide(path);
}

}  // namespace dshow_test
