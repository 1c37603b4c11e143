// The framework's own plug-in: the filter graph manager and the system clock.
#include "com/server.h"
#include "dshow/refclock.h"
#include "graph.h"

CFactoryTemplate g_Templates[] = {
    {L"Filter Graph", &CLSID_FilterGraph, CFilterGraph::CreateInstance, nullptr, nullptr},
    {L"System Clock", &CLSID_SystemClock, CSystemClock::CreateInstance, nullptr, nullptr},
};
int g_cTemplates = sizeof(g_Templates) / sizeof(g_Templates[0]);

extern "C" HRESULT DllRegisterServer() {
    return RegisterModuleClasses(TRUE);
}
extern "C" HRESULT DllUnregisterServer() {
    return RegisterModuleClasses(FALSE);
}
