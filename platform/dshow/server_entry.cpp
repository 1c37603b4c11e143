// Filter registration compiled into every filter plug-in, over its own
// g_Templates table.
#include "com/server.h"
#include "dshow/setup.h"

HRESULT AMovieDllRegisterServer2(BOOL registering) {
    HRESULT hr = RegisterModuleClasses(registering);
    for (int i = 0; i < g_cTemplates && SUCCEEDED(hr); ++i) {
        if (const AMOVIESETUP_FILTER* filter = g_Templates[i].m_pAMovieSetup_Filter) {
            hr = movanta::dshow::RegisterFilter(*filter, registering != FALSE);
        }
    }
    return hr;
}
