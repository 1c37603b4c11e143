// Building the preview graphs of a job, on its worker thread with the job's
// graph lock held.
#pragma once

#include "engine/preview_job.h"

namespace movanta::engine {

HRESULT BuildPreviewGraph(CAVPreview& job);
HRESULT BuildAudioOnlyGraph(CAVPreview& job);
HRESULT BuildAudioDataGraph(CAVPreview& job);

}  // namespace movanta::engine
