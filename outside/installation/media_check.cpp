#include "media_check.h"

#include "com/comapi.h"
#include "com/unknown.h"
#include "dshow/platform_filters.h"
#include "dshow/uuids.h"

namespace movanta::installation {
namespace {

struct Needed {
    const CLSID* clsid;
    const char* name;
};

// What playing and converting a file cannot do without. The file source and
// the decoders are where FFmpeg's libraries are loaded.
const Needed kNeeded[] = {
    {&CLSID_FilterGraph, "the filter graph manager"},
    {&dshow::CLSID_MovantaFileSource, "the file source"},
    {&dshow::CLSID_MovantaVideoDecoder, "the video decoder"},
    {&dshow::CLSID_MovantaAudioDecoder, "the audio decoder"},
};

}  // namespace

MediaCheck CheckMediaLayer() {
    const HRESULT entered = CoInitialize(nullptr);
    MediaCheck check {kMediaLayerWorks, {}};
    for (const Needed& needed : kNeeded) {
        IUnknown* object = nullptr;
        const HRESULT hr = CoCreateInstance(*needed.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                            reinterpret_cast<void**>(&object));
        if (SUCCEEDED(hr) && object != nullptr) {
            object->Release();
            continue;
        }
        const std::string detail = hr == REGDB_E_CLASSNOTREG ? "it is not registered" : LastComLoadError();
        check = {0, std::string(needed.name) + " cannot be created: " + (detail.empty() ? "unknown reason" : detail)};
        break;
    }
    if (SUCCEEDED(entered)) CoUninitialize();
    return check;
}

}  // namespace movanta::installation
