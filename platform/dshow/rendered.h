// The input pin of a renderer or a sink: end of stream becomes EC_COMPLETE
// for the graph, sent once per run (and again after a flush), and only while
// running; an end reached while paused is reported when the filter runs.
#pragma once

#include "dshow/filter.h"

class CRenderedInputPin : public CBaseInputPin {
public:
    CRenderedInputPin(LPCWSTR objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* result, LPCWSTR pinName);

    HRESULT EndOfStream() override;
    HRESULT EndFlush() override;
    HRESULT Active() override;
    HRESULT Run(REFERENCE_TIME start) override;

protected:
    void DoCompleteHandling();
    std::atomic<bool> m_bAtEndOfStream {false};
    std::atomic<bool> m_bCompleteNotified {false};
};
