#include "harness.h"

#include <cstring>
#include <utility>

namespace movanta::testing {
namespace {

ComPtr<IPin> PinOf(IBaseFilter* filter, PIN_DIRECTION direction) {
    ComPtr<IEnumPins> pins;
    filter->EnumPins(pins.Receive());
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.Receive(), nullptr) == S_OK) {
        PIN_DIRECTION found;
        pin->QueryDirection(&found);
        if (found == direction) return pin;
    }
    return {};
}

void Disconnect(IPin* pin) {
    if (pin == nullptr) return;
    ComPtr<IPin> peer;
    if (SUCCEEDED(pin->ConnectedTo(peer.Receive())) && peer) peer->Disconnect();
    pin->Disconnect();
}

}  // namespace

class PushSource::Pin final : public CBaseOutputPin {
public:
    Pin(PushSource* filter, const CMediaType& type, LONG bufferSize)
        : CBaseOutputPin(L"Push source pin", filter, &filter->lock_, nullptr, L"Output"),
          type_(type),
          bufferSize_(bufferSize) {}
    HRESULT CheckMediaType(const CMediaType* type) override { return *type == type_ ? S_OK : S_FALSE; }
    HRESULT GetMediaType(int position, CMediaType* type) override {
        if (position != 0) return VFW_S_NO_MORE_ITEMS;
        *type = type_;
        return S_OK;
    }
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES*) override {
        ALLOCATOR_PROPERTIES request {2, bufferSize_, 1, 0};
        ALLOCATOR_PROPERTIES actual {};
        return allocator->SetProperties(&request, &actual);
    }

private:
    CMediaType type_;
    LONG bufferSize_;
};

PushSource::PushSource(const CMediaType& type, LONG bufferSize)
    : CBaseFilter(L"Push source", nullptr, &lock_, GUID_NULL), pin_(std::make_unique<Pin>(this, type, bufferSize)) {}

CBasePin* PushSource::GetPin(int index) {
    return index == 0 ? pin_.get() : nullptr;
}

IPin* PushSource::Output() {
    return pin_.get();
}

HRESULT PushSource::Send(const std::uint8_t* data, std::size_t size, REFERENCE_TIME start, REFERENCE_TIME stop,
                         bool sync, bool discontinuity, bool preroll) {
    ComPtr<IMediaSample> sample;
    HRESULT hr = pin_->GetDeliveryBuffer(sample.Receive(), nullptr, nullptr, 0);
    if (FAILED(hr)) return hr;
    if (static_cast<std::size_t>(sample->GetSize()) < size) return E_INVALIDARG;
    BYTE* buffer = nullptr;
    sample->GetPointer(&buffer);
    if (size > 0) std::memcpy(buffer, data, size);
    sample->SetActualDataLength(static_cast<LONG>(size));
    if (start != kUntimed) sample->SetTime(&start, &stop);
    sample->SetSyncPoint(sync);
    sample->SetDiscontinuity(discontinuity);
    sample->SetPreroll(preroll);
    return pin_->Deliver(sample.Get());
}

HRESULT PushSource::SendEndOfStream() {
    return pin_->DeliverEndOfStream();
}

class CollectingSink::Pin final : public CBaseInputPin {
public:
    explicit Pin(CollectingSink* filter)
        : CBaseInputPin(L"Collecting pin", filter, &filter->lock_, nullptr, L"In"), sink_(filter) {}
    HRESULT CheckMediaType(const CMediaType* type) override {
        if (sink_->exact_.majortype != GUID_NULL) return *type == sink_->exact_ ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
        return sink_->accepted_ == GUID_NULL || type->subtype == sink_->accepted_ ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    }
    HRESULT Receive(IMediaSample* sample) override {
        const HRESULT hr = CBaseInputPin::Receive(sample);
        if (hr != S_OK) return hr;
        Sample kept;
        BYTE* data = nullptr;
        sample->GetPointer(&data);
        kept.data.assign(data, data + sample->GetActualDataLength());
        kept.timed = SUCCEEDED(sample->GetTime(&kept.start, &kept.stop));
        kept.sync = sample->IsSyncPoint() == S_OK;
        kept.discontinuity = sample->IsDiscontinuity() == S_OK;
        kept.preroll = sample->IsPreroll() == S_OK;
        AM_MEDIA_TYPE* type = nullptr;
        kept.typeAttached = sample->GetMediaType(&type) == S_OK;
        DeleteMediaType(type);
        std::lock_guard guard(sink_->samplesLock_);
        sink_->samples_.push_back(std::move(kept));
        return S_OK;
    }
    HRESULT EndOfStream() override {
        ++sink_->ends_;
        return S_OK;
    }

private:
    CollectingSink* sink_;
};

CMediaType PcmType(int bits, int channels, int rate) {
    CMediaType type(&MEDIATYPE_Audio);
    type.SetSubtype(&MEDIASUBTYPE_PCM);
    type.SetFormatType(&FORMAT_WaveFormatEx);
    auto* format = reinterpret_cast<WAVEFORMATEX*>(type.AllocFormatBuffer(sizeof(WAVEFORMATEX)));
    *format = WAVEFORMATEX {WAVE_FORMAT_PCM,
                            static_cast<WORD>(channels),
                            static_cast<DWORD>(rate),
                            static_cast<DWORD>(rate * channels * bits / 8),
                            static_cast<WORD>(channels * bits / 8),
                            static_cast<WORD>(bits),
                            0};
    type.SetSampleSize(format->nBlockAlign);
    return type;
}

CollectingSink::CollectingSink(const GUID& accepted)
    : CBaseFilter(L"Collecting sink", nullptr, &lock_, GUID_NULL),
      pin_(std::make_unique<Pin>(this)),
      accepted_(accepted) {}

CollectingSink::CollectingSink(const CMediaType& exact) : CollectingSink(GUID_NULL) {
    exact_ = exact;
}

CBasePin* CollectingSink::GetPin(int index) {
    return index == 0 ? pin_.get() : nullptr;
}

IPin* CollectingSink::Input() {
    return pin_.get();
}

std::vector<CollectingSink::Sample> CollectingSink::Samples() {
    std::lock_guard guard(samplesLock_);
    return samples_;
}

std::vector<CollectingSink::Sample> CollectingSink::TakeSamples() {
    std::lock_guard guard(samplesLock_);
    return std::exchange(samples_, {});
}

CMediaType CollectingSink::ConnectionType() {
    return pin_->CurrentMediaType();
}

TransformHarness::TransformHarness(IBaseFilter* filter, const CMediaType& inputType, LONG inputBufferSize)
    : filter_(filter), source_(new PushSource(inputType, inputBufferSize)), sink_(new CollectingSink) {
    source_->NonDelegatingAddRef();
    sink_->NonDelegatingAddRef();
}

TransformHarness::~TransformHarness() {
    Stop();
    Disconnect(source_->Output());
    Disconnect(sink_->Input());
    source_->NonDelegatingRelease();
    sink_->NonDelegatingRelease();
}

IPin* TransformHarness::FilterInput() {
    return PinOf(filter_.Get(), PINDIR_INPUT).Get();
}
IPin* TransformHarness::FilterOutput() {
    return PinOf(filter_.Get(), PINDIR_OUTPUT).Get();
}

HRESULT TransformHarness::ConnectInput() {
    ComPtr<IPin> input = PinOf(filter_.Get(), PINDIR_INPUT);
    return source_->Output()->Connect(input.Get(), nullptr);
}

HRESULT TransformHarness::ConnectOutput(const AM_MEDIA_TYPE* type) {
    ComPtr<IPin> output = PinOf(filter_.Get(), PINDIR_OUTPUT);
    return output->Connect(sink_->Input(), type);
}

HRESULT TransformHarness::Run() {
    sink_->Pause();
    HRESULT hr = filter_->Pause();
    if (FAILED(hr)) return hr;
    source_->Pause();
    sink_->Run(0);
    hr = filter_->Run(0);
    source_->Run(0);
    return hr;
}

HRESULT TransformHarness::Stop() {
    sink_->Stop();
    const HRESULT hr = filter_->Stop();
    source_->Stop();
    return hr;
}

}  // namespace movanta::testing
