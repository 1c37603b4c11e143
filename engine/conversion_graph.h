// Building the conversion graphs of a job, on its worker thread.
#pragma once

#include "engine/conversion_job.h"

namespace movanta::engine {

// The source half: the auxiliary filters, then the input rendered by the
// platform (or the ".3gp" source). Answers the building result; the worker
// accepts S_OK and the partial-render answers.
HRESULT BuildSourceHalf(CMovanta& job);
// The encoding half of a conversion and of a music job; 0 on success, 1 on
// failure.
int BuildEncodingHalf(CMovanta& job);
int BuildMp3Half(CMovanta& job);

}  // namespace movanta::engine
