// IStream, the byte stream that persistence and the picture loader read
// and write, and a stream over global memory (CreateStreamOnHGlobal).
#pragma once

#include "com/unknown.h"
#include "win/global_memory.h"

inline constexpr IID IID_IStream = {0x0000000C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

class IStream : public IUnknown {
public:
    virtual HRESULT Read(void* buffer, ULONG size, ULONG* read) = 0;
    virtual HRESULT Write(const void* buffer, ULONG size, ULONG* written) = 0;

protected:
    ~IStream() = default;
};

// A stream over the block (a new, growing one when null), positioned at its
// start; with deleteOnRelease the stream frees the block when released.
HRESULT CreateStreamOnHGlobal(HGLOBAL memory, BOOL deleteOnRelease, IStream** stream);
