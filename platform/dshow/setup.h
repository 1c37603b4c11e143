// Registration of filters: their class (through the component model) and
// the data the graph's automatic connection searches (name, merit, pins and
// the media types of each pin), kept under
// HKEY_CLASSES_ROOT\CLSID\{083863F1-70DE-11D0-BD40-00A0C911CE86}\Instance.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "com/factory.h"
#include "dshow/types.h"

struct AMOVIESETUP_MEDIATYPE {
    const CLSID* clsMajorType;
    const CLSID* clsMinorType;
};

struct AMOVIESETUP_PIN {
    LPCWSTR strName;
    BOOL bRendered;
    BOOL bOutput;
    BOOL bZero;
    BOOL bMany;
    const CLSID* clsConnectsToFilter;
    LPCWSTR strConnectsToPin;
    UINT nMediaTypes;
    const AMOVIESETUP_MEDIATYPE* lpMediaType;
};

struct AMOVIESETUP_FILTER {
    const CLSID* clsID;
    LPCWSTR strName;
    DWORD dwMerit;
    UINT nPins;
    const AMOVIESETUP_PIN* lpPin;
};

// Registers (or removes) every class of the plug-in's g_Templates and the
// filter data of those that have it. Compiled into each plug-in through the
// movanta_dshow_server object library.
HRESULT AMovieDllRegisterServer2(BOOL registering);

// Makes the source filter `clsid` open files ending in `extension` (".avi";
// "*" for any file without a source of its own), or forgets it.
HRESULT RegisterSourceExtension(LPCWSTR extension, REFCLSID clsid, BOOL registering);

namespace movanta::dshow {

// Writes (or removes) one filter's registration data.
HRESULT RegisterFilter(const AMOVIESETUP_FILTER& filter, bool registering);

struct RegisteredPin {
    std::wstring name;
    bool output = false;
    bool rendered = false;
    std::vector<std::pair<GUID, GUID>> types;  // major, sub; GUID_NULL matches any
};

struct RegisteredFilter {
    CLSID clsid {};
    std::wstring name;
    DWORD merit = 0;
    std::vector<RegisteredPin> pins;
};

// Every registered filter, highest merit first. Damaged entries are skipped.
std::vector<RegisteredFilter> RegisteredFilters();

// The source filter registered for a file's extension, if any.
bool SourceFilterForFile(const std::wstring& file, CLSID& clsid);

}  // namespace movanta::dshow
