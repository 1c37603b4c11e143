#include "engine/preview_graph.h"

#include "dshow/uuids.h"
#include "engine/gpp_source.h"
#include "engine/graph_steps.h"
#include "engine/video_placement.h"

namespace movanta::engine {
namespace {

// ".wmv" and ".asf": the ASF reader, with its first two streams rendered.
HRESULT RenderAsf(GraphSession& graph, const std::wstring& path) {
    ComPtr<IBaseFilter> reader;
    HRESULT hr = graph.AddFilter(CLSID_WMAsfReader, L"Source", &reader);
    if (FAILED(hr)) return hr;
    auto loader = reader.As<IFileSourceFilter>(IID_IFileSourceFilter);
    if (!loader) return E_NOINTERFACE;
    hr = loader->Load(path.c_str(), nullptr);
    if (FAILED(hr)) return hr;
    for (int index = 0; index < 2; ++index) {
        if (ComPtr<IPin> pin = PinByIndex(reader.Get(), PINDIR_OUTPUT, index)) graph.graph->Render(pin.Get());
    }
    return S_OK;
}

HRESULT RenderInput(CAVPreview& job) {
    GraphSession& graph = job.m_graph;
    if (job.m_nInputKind == 2) return BuildGppSource(graph, job.m_szInput);
    if (job.m_nInputKind == 16) return RenderAsf(graph, job.m_szInput);
    return graph.graph->RenderFile(job.m_szInput.c_str(), nullptr);
}

// True when the video renderer's input comes from an overlay mixer.
bool FedByOverlayMixer(IBaseFilter* renderer) {
    ComPtr<IPin> input = PinByIndex(renderer, PINDIR_INPUT, 0);
    ComPtr<IPin> feed;
    return input && SUCCEEDED(input->ConnectedTo(feed.Receive())) && IsPinOf(feed.Get(), CLSID_OverlayMixer);
}

// Puts the image-effect filter where an overlay mixer fed the renderer.
void ReplaceOverlayMixer(GraphSession& graph, IBaseFilter* effect) {
    TakenStream video;
    if (TakeFromRenderer(graph.graph.Get(), MEDIATYPE_Video, true, video) != TakeResult::Taken) return;
    ComPtr<IBaseFilter> held(effect);
    if (auto target = held.As<IImgEffectTarget>(IID_IImgEffectTarget)) target->SetReplacedFilter(&CLSID_OverlayMixer);
    ComPtr<IPin> input = PinByIndex(effect, PINDIR_INPUT, 0);
    if (!input || FAILED(graph.graph->Connect(video.pin.Get(), input.Get()))) return;
    if (ComPtr<IPin> output = PinByIndex(effect, PINDIR_OUTPUT, 0)) graph.graph->Render(output.Get());
}

}  // namespace

HRESULT BuildPreviewGraph(CAVPreview& job) {
    GraphSession& graph = job.m_graph;
    job.m_MediaInfo = MediaInfo {};
    ComPtr<IBaseFilter> effect;
    graph.AddFilter(CLSID_ImgEffect, L"ImgEffect", &effect);  // optional
    const HRESULT hr = RenderInput(job);
    if (!IsAcceptedBuildResult(hr)) return hr;

    const bool hasAudio = static_cast<bool>(FindRenderer(graph.graph.Get(), MEDIATYPE_Audio));
    bool hasVideo = false;
    if (ComPtr<IBaseFilter> renderer = FindRenderer(graph.graph.Get(), MEDIATYPE_Video)) {
        hasVideo = true;
        if (effect) {
            job.m_pImgEffect = effect.As<IImgEffectValues>(IID_IImgEffectValues);
            if (FedByOverlayMixer(renderer.Get())) ReplaceOverlayMixer(graph, effect.Get());
        }
    }
    if (hasAudio) {
        job.m_MediaInfo.bHasAudio = 1;
        job.ApplyVolume();
    }
    if (hasVideo) {
        job.m_MediaInfo.bHasVideo = 1;
        PlaceVideo(graph, job.m_hVideoWindow, job.m_rcClient);
        job.ApplyVideoEffect();
    }
    job.m_graph.ReadDuration(job.m_llDuration);
    return hr;
}

HRESULT BuildAudioOnlyGraph(CAVPreview& job) {
    const HRESULT hr = BuildPreviewGraph(job);
    if (!IsAcceptedBuildResult(hr)) return hr;
    GraphSession& graph = job.m_graph;
    TakenStream audio;
    TakenStream video;
    if (!TakeStreams(graph.graph.Get(), audio, video) || !audio.pin) return E_FAIL;
    ComPtr<IPin> pin = audio.pin;
    if (!AddGargle(graph, pin, job.m_pGargle)) return E_FAIL;
    job.m_pGargle->Arm();
    if (!pin || FAILED(graph.graph->Render(pin.Get()))) return E_FAIL;
    job.m_MediaInfo.bHasAudio = 1;
    job.ApplyVolume();  // the renderer is a new one
    return hr;
}

HRESULT BuildAudioDataGraph(CAVPreview& job) {
    GraphSession& graph = job.m_graph;
    job.m_MediaInfo = MediaInfo {};
    ComPtr<IBaseFilter> amp;
    if (FAILED(graph.AddFilter(CLSID_TxAmp, L"TxAmp", &amp))) return E_FAIL;
    job.m_pAmp = amp.As<ITxAmp>(IID_ITxAmp);
    if (!job.m_pAmp) return E_FAIL;
    job.m_pAmp->SetMode(TXAMP_MODE_AMPLIFY);
    const HRESULT hr = graph.graph->RenderFile(job.m_szInput.c_str(), nullptr);
    if (!IsAcceptedBuildResult(hr)) return hr;
    if (ComPtr<IBaseFilter> renderer = FindRenderer(graph.graph.Get(), MEDIATYPE_Video)) {
        if (FAILED(graph.graph->RemoveFilter(renderer.Get()))) return E_FAIL;
    }
    job.m_MediaInfo.bHasAudio = 1;
    job.m_graph.ReadDuration(job.m_llDuration);
    job.m_pAmp->SetOwner(job.m_hOwner, job.m_nAmpParameter, static_cast<LONG>(job.m_llDuration / 10000));
    return hr;
}

}  // namespace movanta::engine
