// Enumerators of a filter's pins and of a pin's preferred media types.
// Internal to the base classes.
#pragma once

#include <vector>

#include "dshow/filter.h"

// Takes the filter's pins when created or reset; Next answers
// VFW_E_ENUM_OUT_OF_SYNC once the filter's pins have changed since.
class CEnumPins final : public IEnumPins {
public:
    explicit CEnumPins(CBaseFilter* filter);
    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT Next(ULONG count, IPin** pins, ULONG* fetched) override;
    HRESULT Skip(ULONG count) override;
    HRESULT Reset() override;
    HRESULT Clone(IEnumPins** clone) override;

private:
    ~CEnumPins();
    std::atomic<LONG> refs_ {1};
    CBaseFilter* filter_;  // holds a reference
    std::vector<CBasePin*> pins_;
    size_t position_ = 0;
    LONG version_ = 0;
};

// Asks the pin for its preferred types one position at a time.
class CEnumMediaTypes final : public IEnumMediaTypes {
public:
    explicit CEnumMediaTypes(CBasePin* pin);
    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) override;
    HRESULT Skip(ULONG count) override;
    HRESULT Reset() override;
    HRESULT Clone(IEnumMediaTypes** clone) override;

private:
    ~CEnumMediaTypes();
    std::atomic<LONG> refs_ {1};
    CBasePin* pin_;  // holds a reference
    int position_ = 0;
    LONG version_;
};
