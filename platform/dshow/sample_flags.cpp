#include "dshow/sample_flags.h"

namespace movanta::dshow {

bool CopySampleFlag(IMediaSample* in, IMediaSample* out, SampleFlag flag) {
    const HRESULT answer = flag == SampleFlag::kSyncPoint ? in->IsSyncPoint()
                           : flag == SampleFlag::kPreroll ? in->IsPreroll()
                                                          : in->IsDiscontinuity();
    if (answer != S_OK && answer != S_FALSE) return false;
    const BOOL on = answer == S_OK ? TRUE : FALSE;
    switch (flag) {
        case SampleFlag::kSyncPoint: out->SetSyncPoint(on); break;
        case SampleFlag::kPreroll: out->SetPreroll(on); break;
        case SampleFlag::kDiscontinuity: out->SetDiscontinuity(on); break;
    }
    return true;
}

bool CopySampleFlags(IMediaSample* in, IMediaSample* out) {
    return CopySampleFlag(in, out, SampleFlag::kSyncPoint) && CopySampleFlag(in, out, SampleFlag::kPreroll) &&
           CopySampleFlag(in, out, SampleFlag::kDiscontinuity);
}

}  // namespace movanta::dshow
