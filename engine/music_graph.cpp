// The encoding half of a music job: the sound taken from its renderer,
// through the effect and the MP3 encoder into "TxAmp", which writes the file.
#include "engine/conversion_graph.h"
#include "engine/graph_steps.h"
#include "outside/filters/encoder_interfaces.h"

namespace movanta::engine {

int BuildMp3Half(CMovanta& job) {
    GraphSession& graph = job.m_graph;
    TakenStream audio;
    TakenStream video;
    if (!TakeStreams(graph.graph.Get(), audio, video) || !audio.pin) return 1;
    ComPtr<IPin> pin = audio.pin;
    if (!AddGargle(graph, pin, job.m_pGargle)) return 1;
    job.m_pGargle->SetValue(job.m_MusicConfig.nGargle);
    ComPtr<IPin> encoded;
    ComPtr<IBaseFilter> encoder;
    AddAndConnect(graph, CLSID_Mp3Encoder, L"MP3 Encoder", pin.Get(), &encoded, &encoder);
    ComPtr<IBaseFilter> amp;
    graph.AddFilter(CLSID_TxAmp, L"TxAmp", &amp);
    job.m_pAmp = amp.As<ITxAmp>(IID_ITxAmp);
    if (!job.m_pAmp) return 1;
    job.m_pAmp->SetMode(TXAMP_MODE_WRITE);
    ComPtr<IPin> input = PinByIndex(amp.Get(), PINDIR_INPUT, 0);
    if (input && encoded) graph.graph->Connect(encoded.Get(), input.Get());
    if (auto sink = amp.As<IFileSinkFilter>(IID_IFileSinkFilter)) sink->SetFileName(job.m_szOutput.c_str(), nullptr);
    if (auto settings = encoder.As<IMp3Encoder>(IID_IMp3Encoder)) {
        settings->SetBitrate(Mp3Kilobits(job.m_MusicConfig.nMp3BitrateIndex));
    }
    return 0;
}

}  // namespace movanta::engine
