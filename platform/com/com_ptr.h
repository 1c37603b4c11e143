// A smart pointer that holds one reference on a component interface.
#pragma once

#include <utility>

#include "com/unknown.h"

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes a new reference on `pointer`.
    explicit ComPtr(T* pointer) : p_(pointer) {
        if (p_ != nullptr) p_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    // Adopts a reference the caller already holds.
    static ComPtr Adopt(T* pointer) {
        ComPtr result;
        result.p_ = pointer;
        return result;
    }
    void Reset() {
        if (p_ != nullptr) std::exchange(p_, nullptr)->Release();
    }
    // For out parameters: releases what is held and returns the slot.
    T** Receive() {
        Reset();
        return &p_;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
    // Hands the reference to the caller.
    T* Detach() { return std::exchange(p_, nullptr); }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    bool operator==(const ComPtr& other) const { return p_ == other.p_; }

    // Queries another interface of the same object.
    template <class U>
    ComPtr<U> As(REFIID iid) const {
        ComPtr<U> result;
        if (p_ != nullptr) p_->QueryInterface(iid, result.ReceiveVoid());
        return result;
    }

private:
    T* p_ = nullptr;
};
