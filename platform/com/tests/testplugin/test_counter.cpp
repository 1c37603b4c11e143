// A plug-in serving one aggregatable class, for the component tests.
#include "test_counter.h"

#include <new>

#include "com/server.h"

namespace {

class CTestCounter final : public CUnknown, public ITestCounter {
public:
    DECLARE_IUNKNOWN

    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result) {
        auto* object = new (std::nothrow) CTestCounter(outer);
        if (object == nullptr && result != nullptr) *result = E_OUTOFMEMORY;
        return object;
    }

    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override {
        if (iid == IID_ITestCounter) return GetInterface(static_cast<ITestCounter*>(this), object);
        return CUnknown::NonDelegatingQueryInterface(iid, object);
    }

    HRESULT Increment() override {
        ++count_;
        return S_OK;
    }
    LONG Count() override { return count_; }

private:
    explicit CTestCounter(LPUNKNOWN outer) : CUnknown(L"Test counter", outer) {}
    LONG count_ = 0;
};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"Movanta test counter", &CLSID_TestCounter, CTestCounter::CreateInstance, nullptr, nullptr},
};
int g_cTemplates = 1;

extern "C" HRESULT DllRegisterServer() {
    return RegisterModuleClasses(TRUE);
}
extern "C" HRESULT DllUnregisterServer() {
    return RegisterModuleClasses(FALSE);
}
