// What a plug-in (an in-process server) provides and the helpers it uses.
//
// A plug-in defines its class table:
//     CFactoryTemplate g_Templates[] = {{L"Name", &CLSID_Name, CName::CreateInstance, nullptr, nullptr}};
//     int g_cTemplates = 1;
// links the movanta_com_server object library, which supplies
// DllGetClassObject and DllCanUnloadNow over that table, and defines its own
// DllRegisterServer and DllUnregisterServer (usually through
// RegisterModuleClasses, or the media framework's filter registration).
#pragma once

#include "com/factory.h"

extern CFactoryTemplate g_Templates[];
extern int g_cTemplates;

extern "C" {
HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object);
HRESULT DllCanUnloadNow();
HRESULT DllRegisterServer();
HRESULT DllUnregisterServer();
}

// Registers (or removes) every class of g_Templates as served by this
// plug-in file, with the threading model "Both".
HRESULT RegisterModuleClasses(BOOL registering);

// Writes HKEY_CLASSES_ROOT\CLSID\{clsid} (default value: description) and its
// server key (default value: file name; "ThreadingModel").
HRESULT AMovieSetupRegisterServer(REFCLSID clsid, LPCWSTR description, LPCWSTR fileName,
                                  LPCWSTR threadingModel = L"Both", LPCWSTR serverType = L"InprocServer32");
// Removes HKEY_CLASSES_ROOT\CLSID\{clsid} with everything below it.
HRESULT AMovieSetupUnregisterServer(REFCLSID clsid);
