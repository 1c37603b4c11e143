#include "pcm_converter.h"

#include <algorithm>
#include <cstring>
#include <new>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include "com/comapi.h"
#include "pcm_delivery.h"

namespace movanta::dshow {
namespace {

constexpr int kRates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000};
constexpr int kRateCount = static_cast<int>(std::size(kRates));

// A PCM type this converter reads or writes.
bool IsPcm(const CMediaType& type) {
    const WAVEFORMATEX* format = WaveFormatOf(type);
    return type.majortype == MEDIATYPE_Audio && type.subtype == MEDIASUBTYPE_PCM && format != nullptr &&
           format->wFormatTag == WAVE_FORMAT_PCM && (format->wBitsPerSample == 8 || format->wBitsPerSample == 16) &&
           format->nChannels >= 1 && format->nChannels <= 8 && format->nSamplesPerSec >= 1000 &&
           format->nSamplesPerSec <= 384000;
}

void SetPcm(CMediaType& type, int bits, int channels, int rate) {
    auto* format = reinterpret_cast<WAVEFORMATEX*>(type.AllocFormatBuffer(sizeof(WAVEFORMATEX)));
    *format = WAVEFORMATEX {};
    format->wFormatTag = WAVE_FORMAT_PCM;
    format->nChannels = static_cast<WORD>(channels);
    format->nSamplesPerSec = static_cast<DWORD>(rate);
    format->wBitsPerSample = static_cast<WORD>(bits);
    format->nBlockAlign = static_cast<WORD>(channels * bits / 8);
    format->nAvgBytesPerSec = format->nSamplesPerSec * format->nBlockAlign;
    type.SetType(&MEDIATYPE_Audio);
    type.SetSubtype(&MEDIASUBTYPE_PCM);
    type.SetFormatType(&FORMAT_WaveFormatEx);
    type.SetSampleSize(format->nBlockAlign);
}

AVSampleFormat SampleFormat(const WAVEFORMATEX& format) {
    return format.wBitsPerSample == 8 ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
}

}  // namespace

// The output pin, with IAMStreamConfig.
class CPcmConverter::ConfigurableOutput final : public CTransformOutputPin, public IAMStreamConfig {
public:
    ConfigurableOutput(CPcmConverter* filter, HRESULT* result)
        : CTransformOutputPin(L"Converter output", filter, result, L"XForm Out"), converter_(filter) {}

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IAMStreamConfig) return GetInterface(static_cast<IAMStreamConfig*>(this), object);
        return CTransformOutputPin::NonDelegatingQueryInterface(iid, object);
    }

    HRESULT SetFormat(AM_MEDIA_TYPE* type) override {
        if (type == nullptr) return E_POINTER;
        const CMediaType wanted(*type);
        if (!IsPcm(wanted)) return VFW_E_INVALIDMEDIATYPE;
        CAutoLock lock(&converter_->m_csFilter);
        if (IsConnected()) {
            return CurrentMediaType() == wanted ? S_OK : VFW_E_ALREADY_CONNECTED;
        }
        converter_->m_chosen = wanted;
        return S_OK;
    }
    HRESULT GetFormat(AM_MEDIA_TYPE** type) override {
        if (type == nullptr) return E_POINTER;
        CAutoLock lock(&converter_->m_csFilter);
        CMediaType current;
        if (IsConnected()) {
            current = CurrentMediaType();
        } else if (converter_->GetMediaType(0, &current) != S_OK) {
            return VFW_E_NOT_CONNECTED;
        }
        *type = CreateMediaType(&current);
        return *type != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT GetNumberOfCapabilities(int* count, int* size) override {
        if (count == nullptr || size == nullptr) return E_POINTER;
        *count = CapabilityCount();
        *size = sizeof(AUDIO_STREAM_CONFIG_CAPS);
        return S_OK;
    }
    HRESULT GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* capabilities) override {
        if (type == nullptr || capabilities == nullptr) return E_POINTER;
        if (index < 0 || index >= CapabilityCount()) return S_FALSE;
        CMediaType pcm;
        CapabilityType(index, pcm);
        const auto* format = WaveFormatOf(pcm);
        AUDIO_STREAM_CONFIG_CAPS caps {};
        caps.guid = MEDIATYPE_Audio;
        caps.MinimumChannels = caps.MaximumChannels = format->nChannels;
        caps.ChannelsGranularity = 1;
        caps.MinimumBitsPerSample = caps.MaximumBitsPerSample = format->wBitsPerSample;
        caps.BitsPerSampleGranularity = 8;
        caps.MinimumSampleFrequency = caps.MaximumSampleFrequency = format->nSamplesPerSec;
        caps.SampleFrequencyGranularity = 1;
        std::memcpy(capabilities, &caps, sizeof(caps));
        *type = CreateMediaType(&pcm);
        return *type != nullptr ? S_OK : E_OUTOFMEMORY;
    }

private:
    CPcmConverter* converter_;
};

int CPcmConverter::CapabilityCount() {
    return 2 * 2 * kRateCount;
}

void CPcmConverter::CapabilityType(int index, CMediaType& type) {
    const int bits = index / (2 * kRateCount) == 0 ? 16 : 8;
    const int channels = (index / kRateCount) % 2 == 0 ? 2 : 1;
    SetPcm(type, bits, channels, kRates[index % kRateCount]);
}

CUnknown* CPcmConverter::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CPcmConverter>(result, outer);
}

CPcmConverter::CPcmConverter(LPUNKNOWN outer) : CTransformFilter(L"ACM Wrapper", outer, CLSID_ACMWrapper) {
    HRESULT hr = S_OK;
    m_pInput = new (std::nothrow) CTransformInputPin(L"Converter input", this, &hr, L"XForm In");
    m_pOutput = new (std::nothrow) ConfigurableOutput(this, &hr);
}

CPcmConverter::~CPcmConverter() {
    swr_free(&m_resampler);
}

HRESULT CPcmConverter::CheckInputType(const CMediaType* in) {
    if (in == nullptr) return E_POINTER;
    return IsPcm(*in) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CPcmConverter::CheckTransform(const CMediaType* in, const CMediaType* out) {
    if (in == nullptr || out == nullptr) return E_POINTER;
    if (!IsPcm(*in) || !IsPcm(*out)) return VFW_E_TYPE_NOT_ACCEPTED;
    if (m_chosen.majortype != GUID_NULL && !(*out == m_chosen)) return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT CPcmConverter::GetMediaType(int position, CMediaType* type) {
    if (!InputPin()->IsConnected()) return E_UNEXPECTED;
    if (position < 0) return E_INVALIDARG;
    if (type == nullptr) return E_POINTER;
    if (m_chosen.majortype != GUID_NULL) {
        if (position > 0) return VFW_S_NO_MORE_ITEMS;
        return type->Set(m_chosen);
    }
    if (position == 0) {
        const WAVEFORMATEX* input = WaveFormatOf(InputPin()->CurrentMediaType());
        SetPcm(*type, input->wBitsPerSample, input->nChannels, static_cast<int>(input->nSamplesPerSec));
        return S_OK;
    }
    if (position > CapabilityCount()) return VFW_S_NO_MORE_ITEMS;
    CapabilityType(position - 1, *type);
    return S_OK;
}

HRESULT CPcmConverter::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    if (allocator == nullptr || request == nullptr) return E_POINTER;
    const WAVEFORMATEX* output = WaveFormatOf(OutputPin()->CurrentMediaType());
    if (!InputPin()->IsConnected() || output == nullptr) return E_UNEXPECTED;
    const LONG size = std::max<LONG>(
        4096, static_cast<LONG>(output->nAvgBytesPerSec / 8 / output->nBlockAlign * output->nBlockAlign));
    return RequestAtLeast(allocator, request, 4, size);
}

HRESULT CPcmConverter::StartStreaming() {
    const WAVEFORMATEX* input = WaveFormatOf(InputPin()->CurrentMediaType());
    const WAVEFORMATEX* output = WaveFormatOf(OutputPin()->CurrentMediaType());
    if (input == nullptr || output == nullptr) return E_UNEXPECTED;
    AVChannelLayout in {};
    AVChannelLayout out {};
    av_channel_layout_default(&in, input->nChannels);
    av_channel_layout_default(&out, output->nChannels);
    swr_free(&m_resampler);
    if (swr_alloc_set_opts2(&m_resampler, &out, SampleFormat(*output), static_cast<int>(output->nSamplesPerSec), &in,
                            SampleFormat(*input), static_cast<int>(input->nSamplesPerSec), 0, nullptr) < 0 ||
        swr_init(m_resampler) < 0) {
        swr_free(&m_resampler);
        return VFW_E_UNSUPPORTED_STREAM;
    }
    m_next = 0;
    return S_OK;
}

HRESULT CPcmConverter::StopStreaming() {
    swr_free(&m_resampler);
    return S_OK;
}

HRESULT CPcmConverter::Receive(IMediaSample* sample) {
    if (sample == nullptr) return E_POINTER;
    if (m_resampler == nullptr) return VFW_E_WRONG_STATE;
    const WAVEFORMATEX* input = WaveFormatOf(InputPin()->CurrentMediaType());
    const WAVEFORMATEX* output = WaveFormatOf(OutputPin()->CurrentMediaType());
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data))) return S_OK;
    const int frames = sample->GetActualDataLength() / input->nBlockAlign;
    if (frames <= 0) return S_OK;
    const int room = swr_get_out_samples(m_resampler, frames);
    m_pcm.resize(static_cast<size_t>(std::max(room, 0)) * output->nBlockAlign);
    std::uint8_t* out[1] = {m_pcm.data()};
    const std::uint8_t* in[1] = {data};
    const int converted = swr_convert(m_resampler, out, room, in, frames);
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    if (SUCCEEDED(sample->GetTime(&start, &stop))) {
        // What came out ends where the input ends, less what the resampler
        // still holds.
        m_next = start + static_cast<REFERENCE_TIME>(frames) * 10000000 / input->nSamplesPerSec -
                 swr_get_delay(m_resampler, 10000000);
        start = m_next - static_cast<REFERENCE_TIME>(std::max(converted, 0)) * 10000000 / output->nSamplesPerSec;
    } else {
        start = m_next;
        m_next += static_cast<REFERENCE_TIME>(std::max(converted, 0)) * 10000000 / output->nSamplesPerSec;
    }
    if (converted <= 0) return S_OK;
    return DeliverPcm(*m_pOutput, m_pOutput->Allocator(),
                      {static_cast<int>(output->nSamplesPerSec), output->nBlockAlign}, m_pcm.data(),
                      static_cast<long>(converted) * output->nBlockAlign, start);
}

HRESULT CPcmConverter::EndFlush() {
    {
        CAutoLock lock(&m_csReceive);
        if (m_resampler != nullptr) swr_init(m_resampler);
    }
    return CTransformFilter::EndFlush();
}

}  // namespace movanta::dshow
