#include "com/stream.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// A stream over a global memory block, growing it on writes past its end.
class MemoryStream final : public CUnknown, public IStream {
public:
    MemoryStream(HGLOBAL memory, bool owns) : CUnknown(L"Memory stream", nullptr), memory_(memory), owns_(owns) {}
    ~MemoryStream() override {
        if (owns_) GlobalFree(memory_);
    }
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IStream) return GetInterface(static_cast<IStream*>(this), object);
        return CUnknown::NonDelegatingQueryInterface(iid, object);
    }
    HRESULT Read(void* buffer, ULONG size, ULONG* read) override {
        if (buffer == nullptr && size > 0) return E_POINTER;
        const size_t total = GlobalSize(memory_);
        const size_t take = at_ < total ? std::min<size_t>(size, total - at_) : 0;
        if (take > 0) std::memcpy(buffer, static_cast<const char*>(GlobalLock(memory_)) + at_, take);
        at_ += take;
        if (read != nullptr) *read = static_cast<ULONG>(take);
        return take == size ? S_OK : S_FALSE;
    }
    HRESULT Write(const void* buffer, ULONG size, ULONG* written) override {
        if (buffer == nullptr && size > 0) return E_POINTER;
        if (at_ + size > GlobalSize(memory_) && GlobalReAlloc(memory_, at_ + size, 0) == nullptr) return E_OUTOFMEMORY;
        if (size > 0) std::memcpy(static_cast<char*>(GlobalLock(memory_)) + at_, buffer, size);
        at_ += size;
        if (written != nullptr) *written = size;
        return S_OK;
    }

private:
    HGLOBAL memory_;
    bool owns_;
    size_t at_ = 0;
};

}  // namespace

HRESULT CreateStreamOnHGlobal(HGLOBAL memory, BOOL deleteOnRelease, IStream** stream) {
    if (stream == nullptr) return E_POINTER;
    *stream = nullptr;
    const bool created = memory == nullptr;
    if (created) {
        memory = GlobalAlloc(GMEM_MOVEABLE, 0);
        if (memory == nullptr) return E_OUTOFMEMORY;
    } else if (GlobalLock(memory) == nullptr) {
        return E_INVALIDARG;
    }
    // A block made here has no other owner.
    auto* made = new (std::nothrow) MemoryStream(memory, created || deleteOnRelease != FALSE);
    if (made == nullptr) {
        if (created) GlobalFree(memory);
        return E_OUTOFMEMORY;
    }
    return made->NonDelegatingQueryInterface(IID_IStream, reinterpret_cast<void**>(stream));
}
