#include "dshow/enumerators.h"

#include <new>

CEnumPins::CEnumPins(CBaseFilter* filter) : filter_(filter) {
    filter_->AddRef();
    Reset();
}

CEnumPins::~CEnumPins() { filter_->Release(); }

HRESULT CEnumPins::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IEnumPins || iid == IID_IUnknown) return GetInterface(this, object);
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CEnumPins::AddRef() { return static_cast<ULONG>(++refs_); }

ULONG CEnumPins::Release() {
    const LONG count = --refs_;
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

HRESULT CEnumPins::Next(ULONG count, IPin** pins, ULONG* fetched) {
    if (pins == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
    if (version_ != filter_->GetPinVersion()) return VFW_E_ENUM_OUT_OF_SYNC;
    ULONG taken = 0;
    while (taken < count && position_ < pins_.size()) {
        pins[taken] = pins_[position_++];
        pins[taken]->AddRef();
        ++taken;
    }
    if (fetched != nullptr) *fetched = taken;
    return taken == count ? S_OK : S_FALSE;
}

HRESULT CEnumPins::Skip(ULONG count) {
    if (version_ != filter_->GetPinVersion()) return VFW_E_ENUM_OUT_OF_SYNC;
    if (position_ + count > pins_.size()) {
        position_ = pins_.size();
        return S_FALSE;
    }
    position_ += count;
    return S_OK;
}

HRESULT CEnumPins::Reset() {
    version_ = filter_->GetPinVersion();
    pins_.clear();
    const int n = filter_->GetPinCount();
    for (int i = 0; i < n; ++i) {
        if (CBasePin* pin = filter_->GetPin(i)) pins_.push_back(pin);
    }
    position_ = 0;
    return S_OK;
}

HRESULT CEnumPins::Clone(IEnumPins** clone) {
    if (clone == nullptr) return E_POINTER;
    auto* copy = new (std::nothrow) CEnumPins(filter_);
    if (copy == nullptr) return E_OUTOFMEMORY;
    copy->Skip(static_cast<ULONG>(position_));
    *clone = copy;
    return S_OK;
}

CEnumMediaTypes::CEnumMediaTypes(CBasePin* pin) : pin_(pin), version_(pin->GetMediaTypeVersion()) { pin_->AddRef(); }

CEnumMediaTypes::~CEnumMediaTypes() { pin_->Release(); }

HRESULT CEnumMediaTypes::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IEnumMediaTypes || iid == IID_IUnknown) return GetInterface(this, object);
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CEnumMediaTypes::AddRef() { return static_cast<ULONG>(++refs_); }

ULONG CEnumMediaTypes::Release() {
    const LONG count = --refs_;
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

HRESULT CEnumMediaTypes::Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) {
    if (types == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
    if (version_ != pin_->GetMediaTypeVersion()) return VFW_E_ENUM_OUT_OF_SYNC;
    ULONG taken = 0;
    while (taken < count) {
        CMediaType type;
        if (pin_->GetMediaType(position_, &type) != S_OK) break;
        ++position_;
        types[taken] = CreateMediaType(&type);
        if (types[taken] == nullptr) break;
        ++taken;
    }
    if (fetched != nullptr) *fetched = taken;
    return taken == count ? S_OK : S_FALSE;
}

HRESULT CEnumMediaTypes::Skip(ULONG count) {
    if (version_ != pin_->GetMediaTypeVersion()) return VFW_E_ENUM_OUT_OF_SYNC;
    while (count-- > 0) {
        CMediaType type;
        if (pin_->GetMediaType(position_, &type) != S_OK) return S_FALSE;
        ++position_;
    }
    return S_OK;
}

HRESULT CEnumMediaTypes::Reset() {
    position_ = 0;
    version_ = pin_->GetMediaTypeVersion();
    return S_OK;
}

HRESULT CEnumMediaTypes::Clone(IEnumMediaTypes** clone) {
    if (clone == nullptr) return E_POINTER;
    auto* copy = new (std::nothrow) CEnumMediaTypes(pin_);
    if (copy == nullptr) return E_OUTOFMEMORY;
    copy->position_ = position_;
    copy->version_ = version_;
    *clone = copy;
    return S_OK;
}
