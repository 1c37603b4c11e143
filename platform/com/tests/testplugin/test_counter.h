// The class and interface of the component tests' plug-in.
#pragma once

#include "com/unknown.h"

inline constexpr CLSID CLSID_TestCounter = {
    0x6E1D1A0B, 0x3C55, 0x4B8E, {0x9A, 0x51, 0x0D, 0x77, 0x21, 0xC4, 0x5E, 0x01}};
inline constexpr IID IID_ITestCounter = {0x6E1D1A0B, 0x3C55, 0x4B8E, {0x9A, 0x51, 0x0D, 0x77, 0x21, 0xC4, 0x5E, 0x02}};

class ITestCounter : public IUnknown {
public:
    virtual HRESULT Increment() = 0;
    virtual LONG Count() = 0;

protected:
    ~ITestCounter() = default;
};
