#include "engine/conversion_graph.h"

#include "engine/gpp_source.h"
#include "engine/graph_steps.h"

namespace movanta::engine {

HRESULT BuildSourceHalf(CMovanta& job) {
    GraphSession& graph = job.m_graph;
    graph.AddFilter(CLSID_TrxScope, L"TRX Scope");  // optional
    ComPtr<IBaseFilter> scaler;
    HRESULT hr = graph.AddFilter(CLSID_TxResample, L"video resample", &scaler);
    if (FAILED(hr)) return hr;
    job.m_pResample = scaler.As<ITxResample>(IID_ITxResample);
    hr = job.m_nInputKind == 2 ? BuildGppSource(graph, job.m_szInput)
                               : graph.graph->RenderFile(job.m_szInput.c_str(), nullptr);
    if (!IsAcceptedBuildResult(hr)) return hr;
    graph.ReadDuration(job.m_llDuration);
    return hr;
}

}  // namespace movanta::engine
