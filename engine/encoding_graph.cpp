// The encoding half of a conversion: the streams taken from the renderers,
// the scaler configured, the audio through the effect into the AAC or AMR
// encoder, the video into the MPEG-4 or H.263 encoder, both into the writer.
#include "com/comapi.h"
#include "dshow/picture_needs.h"
#include "dshow/uuids.h"
#include "engine/convengine.h"
#include "engine/conversion_graph.h"
#include "engine/graph_steps.h"
#include "filters/speechenc/txamrbitrate.h"
#include "filters/videoenc/txffmpegenc.h"
#include "outside/filters/encoder_interfaces.h"
#include "win/debug.h"

namespace movanta::engine {
namespace {

constexpr LONG kAacCutoff[3] = {11000, 14000, 18000};
constexpr int kAacRate = 48000;

struct PcmShape {
    int channels = 0;
    int bits = 0;
    int rate = 0;
};

bool ReadPcmShape(IPin* pin, PcmShape& shape) {
    CMediaType type;
    if (!FirstType(pin, type)) return false;
    const WAVEFORMATEX* format = WaveFormatOf(type);
    if (format == nullptr) return false;
    shape = {format->nChannels, format->wBitsPerSample, static_cast<int>(format->nSamplesPerSec)};
    return true;
}

// Puts an ACM wrapper after `pin` asking for `wanted`; `pin` becomes the
// wrapper's output. A format the wrapper cannot give is left at its default.
bool InsertConverter(GraphSession& graph, LPCWSTR name, ComPtr<IPin>& pin, const PcmShape& wanted) {
    ComPtr<IPin> output;
    if (FAILED(AddAndConnect(graph, CLSID_ACMWrapper, name, pin.Get(), &output)) || !output) return false;
    ChooseConverterFormat(output.Get(), wanted.channels, wanted.bits, wanted.rate);
    pin = output;
    return true;
}

// Widens PCM below 8 bits to 8 bits ("ACM Wrapper01").
bool WidenTo8Bits(GraphSession& graph, ComPtr<IPin>& pin, PcmShape& shape) {
    if (shape.bits >= 8) return true;
    shape.bits = 8;
    return InsertConverter(graph, L"ACM Wrapper01", pin, shape);
}

// DoAddACCFilter: converters to at least 8 bits, stereo and 48 kHz, the
// effect, the AAC encoder; `encoded` is its output.
bool AddAacBranch(CMovanta& job, ComPtr<IPin> pin, ComPtr<IPin>& encoded) {
    GraphSession& graph = job.m_graph;
    PcmShape shape;
    ReadPcmShape(pin.Get(), shape);
    if (!WidenTo8Bits(graph, pin, shape)) return false;
    if (shape.channels != 2) {
        shape.channels = 2;
        if (!InsertConverter(graph, L"ACM Wrapper02", pin, shape)) return false;
    }
    if (shape.rate < kAacRate) {
        shape.rate = kAacRate;
        if (!InsertConverter(graph, L"ACM Wrapper03", pin, shape)) return false;
    }
    if (!AddGargle(graph, pin, job.m_pGargle)) return false;
    ComPtr<IBaseFilter> encoder;
    AddAndConnect(graph, CLSID_AacEncoder, L"AAC Encoder", pin.Get(), &encoded, &encoder);
    auto settings = encoder.As<IAacEncoder>(IID_IAacEncoder);
    if (!settings) return false;
    const int quality = job.m_CNTConfig.nAudioQuality;
    settings->SetChannelBitrate(job.m_pProfile->Conf().nAacBitrate[quality] / 2);
    settings->SetCutoff(kAacCutoff[quality]);
    settings->SetMpegVersion(0);
    return true;
}

// DoAddAMRFilter: the effect, then the AMR encoder reached through a
// converter the automatic connection may use to get 8 kHz mono.
bool AddAmrBranch(CMovanta& job, ComPtr<IPin> pin, ComPtr<IPin>& encoded) {
    GraphSession& graph = job.m_graph;
    PcmShape shape;
    ReadPcmShape(pin.Get(), shape);
    if (!WidenTo8Bits(graph, pin, shape)) return false;
    if (!AddGargle(graph, pin, job.m_pGargle)) return false;
    graph.AddFilter(CLSID_ACMWrapper, L"ACM Wrapper02");
    ComPtr<IBaseFilter> encoder;
    graph.AddFilter(CLSID_TxAmrNbEncoder, L"AMR Encoder", &encoder);
    ComPtr<IPin> input = PinByIndex(encoder.Get(), PINDIR_INPUT, 0);
    if (input) graph.graph->Connect(pin.Get(), input.Get());
    encoded = PinByIndex(encoder.Get(), PINDIR_OUTPUT, 0);
    auto bitrate = encoder.As<ITxAmrBitrate>(IID_ITxAmrBitrate);
    if (!bitrate) return false;
    bitrate->SetBitRateMode(job.m_pProfile->Conf().nAmrMode[job.m_CNTConfig.nAudioQuality]);
    return true;
}

// DoAddXvidFilter / the H.263 encoder: connects `pin` to it and sets the
// bit rate of the video quality.
bool AddVideoEncoder(CMovanta& job, IPin* pin, ComPtr<IPin>& encoded) {
    ComPtr<IBaseFilter> encoder;
    const int bitrate = job.m_pProfile->Conf().nVideoBitrate[job.m_CNTConfig.nVideoQuality];
    if (job.m_wVideoCodec == TRX_VCODEC_MPEG4) {
        AddAndConnect(job.m_graph, CLSID_XvidEncoder, L"Xvid Encoder", pin, &encoded, &encoder);
        auto settings = encoder.As<IXvidEncoder>(IID_IXvidEncoder);
        return settings && (settings->SetBitrate(bitrate), true);
    }
    AddAndConnect(job.m_graph, CLSID_TxFFMpegEnc, L"H.263 Encoder", pin, &encoded, &encoder);
    auto settings = encoder.As<ITxFFMpegEnc>(IID_ITxFFMpegEnc);
    return settings && (settings->SetBitrate(bitrate), true);
}

// DoAddResampleFilter: the profile's size when the request leaves either
// side 0, the resampling mode and the quality's frame rate.
bool ConfigureScaler(CMovanta& job) {
    if (!job.m_pResample) return false;
    CNTConfig& request = job.m_CNTConfig;
    const MobileVideoConf& profile = job.m_pProfile->Conf();
    if (request.nDstWidth == 0 || request.nDstHeight == 0) {
        request.nDstWidth = profile.nWidth;
        request.nDstHeight = profile.nHeight;
    }
    job.m_pResample->SetDstResulotion(request.nDstWidth, request.nDstHeight, request.nResampleMode);
    job.m_pResample->SetDstFramerate(profile.fFrameRate[request.nVideoQuality]);
    return true;
}

// Tells the decoder that feeds the scaler what the conversion keeps of its
// pictures, so that it leaves out work nobody would see. Other decoders,
// and previews, decode everything.
void TellDecoderWhatIsKept(const CMovanta& job, IPin* scalerOutput) {
    PIN_INFO info {};
    if (FAILED(scalerOutput->QueryPinInfo(&info)) || info.pFilter == nullptr) return;
    const ComPtr<IPin> input = PinByIndex(info.pFilter, PINDIR_INPUT, 0);
    info.pFilter->Release();
    ComPtr<IPin> upstream;
    if (!input || FAILED(input->ConnectedTo(upstream.Receive()))) return;
    PIN_INFO decoder {};
    if (FAILED(upstream->QueryPinInfo(&decoder)) || decoder.pFilter == nullptr) return;
    ComPtr<dshow::IPictureNeeds> needs;
    decoder.pFilter->QueryInterface(dshow::IID_IPictureNeeds, needs.ReceiveVoid());
    decoder.pFilter->Release();
    if (!needs) return;
    // The scaler offers its pictures at the interval it keeps them at.
    CMediaType offered;
    const VIDEOINFOHEADER* kept = FirstType(scalerOutput, offered) ? VideoInfoOf(offered) : nullptr;
    needs->SetPictureNeeds(job.m_CNTConfig.nDstWidth, job.m_CNTConfig.nDstHeight,
                           kept != nullptr ? kept->AvgTimePerFrame : 0);
}

// DoAddMP4MuxerFilter: the writer, its file, its two inputs and its range.
bool AddWriter(CMovanta& job, IPin* audio, IPin* video) {
    GraphSession& graph = job.m_graph;
    ComPtr<IBaseFilter> writer;
    const wchar_t* name = job.m_nSysFormat == static_cast<std::int32_t>(TRX_SYS_3GP) ? L"3GP Muxer" : L"Mp4 Muxer";
    if (FAILED(graph.AddFilter(CLSID_Mp4Muxer, name, &writer))) return false;
    auto sink = writer.As<IFileSinkFilter>(IID_IFileSinkFilter);
    job.m_pMuxer = writer.As<ITxMuxer>(IID_ITxMuxer);
    if (!sink || !job.m_pMuxer || FAILED(sink->SetFileName(job.m_szOutput.c_str(), nullptr))) return false;
    if (audio != nullptr) {
        if (ComPtr<IPin> input = PinByIndex(writer.Get(), PINDIR_INPUT, 1)) graph.graph->Connect(audio, input.Get());
    }
    if (video != nullptr) {
        if (ComPtr<IPin> input = PinByIndex(writer.Get(), PINDIR_INPUT, 0)) graph.graph->Connect(video, input.Get());
    }
    const CNTConfig& request = job.m_CNTConfig;
    job.m_pMuxer->SetDstResulotion(request.llStart, request.llEnd, request.nDstWidth, request.nDstHeight);
    job.m_pMuxer->SetSourceIsWmv(job.m_bInputIsWmv ? 1 : 0);
    return true;
}

}  // namespace

int BuildEncodingHalf(CMovanta& job) {
    GraphSession& graph = job.m_graph;
    if (!job.m_pProfile) return 1;
    TakenStream audio;
    TakenStream video;
    if (!TakeStreams(graph.graph.Get(), audio, video)) return 1;
    ComPtr<IBaseFilter> effect;
    if (video.overlayRemoved) {
        graph.AddFilter(CLSID_ImgEffect, L"ImgEffect", &effect);
        if (auto target = effect.As<IImgEffectTarget>(IID_IImgEffectTarget))
            target->SetReplacedFilter(&CLSID_OverlayMixer);
        job.m_bSeekGraph = true;
    }
    if (!ConfigureScaler(job)) return 1;
    // Pictures that do not pass the scaler would reach the encoder at the
    // source's size and rate: no file a phone plays. The video cannot be
    // converted, which the owner is told as such.
    if (video.pin && !IsPinOf(video.pin.Get(), CLSID_TxResample)) {
        TRACE("the video stream does not pass the scaler");
        job.m_nErrorCode = TRX_ERR_OPEN;
        return 1;
    }
    if (video.pin) TellDecoderWhatIsKept(job, video.pin.Get());
    if (effect && video.pin) {
        if (ComPtr<IPin> input = PinByIndex(effect.Get(), PINDIR_INPUT, 0))
            graph.graph->Connect(video.pin.Get(), input.Get());
        video.pin = PinByIndex(effect.Get(), PINDIR_OUTPUT, 0);
        job.m_pImgEffect = effect.As<IImgEffectValues>(IID_IImgEffectValues);
        if (job.m_pImgEffect && job.m_CNTConfig.bImgEffect != 0) {
            job.m_pImgEffect->SetCount(10);
            job.m_pImgEffect->SetValues(job.m_CNTConfig.nImgEffect);
        }
    }
    if (!audio.pin && !video.pin) return 1;

    ComPtr<IPin> audioOut;
    if (audio.pin) {
        if (job.m_wAudioCodec == TRX_ACODEC_AAC && !AddAacBranch(job, audio.pin, audioOut)) return 1;
        if (job.m_wAudioCodec == TRX_ACODEC_AMR && !AddAmrBranch(job, audio.pin, audioOut)) return 1;
    }
    ComPtr<IPin> videoOut;
    if (video.pin && (job.m_wVideoCodec == TRX_VCODEC_MPEG4 || job.m_wVideoCodec == TRX_VCODEC_H263)) {
        if (!AddVideoEncoder(job, video.pin.Get(), videoOut)) return 1;
    }
    return AddWriter(job, audioOut.Get(), videoOut.Get()) ? 0 : 1;
}

}  // namespace movanta::engine
