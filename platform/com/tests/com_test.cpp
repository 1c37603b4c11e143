// The component model: ids, creating plug-in classes through the registry,
// identity and aggregation, and the failures a broken installation gives.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <fstream>
#include <thread>

#include "com/comapi.h"
#include "com/server.h"
#include "registry/registry.h"
#include "testing/testing.h"
#include "testplugin/test_counter.h"
#include "win/text.h"

namespace {

using movanta::testing::ScopedRegistry;

TEST(GuidTest, FormatsAndParsesTheBracedForm) {
    const std::string text = movanta::GuidToString(CLSID_TestCounter);
    EXPECT_EQ(text, "{6E1D1A0B-3C55-4B8E-9A51-0D7721C45E01}");
    EXPECT_EQ(movanta::GuidFromString(text), CLSID_TestCounter);
    EXPECT_EQ(movanta::GuidFromString("{6e1d1a0b-3c55-4b8e-9a51-0d7721c45e01}"), CLSID_TestCounter);
    for (const char* bad : {"6E1D1A0B-3C55-4B8E-9A51-0D7721C45E01", "{6E1D1A0B-3C55-4B8E-9A51-0D7721C45E0}",
                            "{6E1D1A0B-3C55-4B8E-9A51-0D7721C45E0G}", "{6E1D1A0B-3C554-B8E-9A51-0D7721C45E01}",
                            "{6E1D1A0B-3C55-4B8E-9A51-0D7721C45E01}x", ""}) {
        EXPECT_FALSE(movanta::GuidFromString(bad).has_value()) << bad;
    }
    WCHAR buffer[39];
    EXPECT_EQ(StringFromGUID2(CLSID_TestCounter, buffer, 39), 39);
    EXPECT_EQ(movanta::WideToUtf8(buffer), text);
    EXPECT_EQ(StringFromGUID2(CLSID_TestCounter, buffer, 38), 0);
    CLSID parsed {};
    EXPECT_EQ(CLSIDFromString(buffer, &parsed), NOERROR);
    EXPECT_EQ(parsed, CLSID_TestCounter);
    EXPECT_EQ(CLSIDFromString(L"{nonsense}", &parsed), CO_E_CLASSSTRING);
    EXPECT_TRUE(CLSID_TestCounter < IID_ITestCounter);
    EXPECT_FALSE(IID_ITestCounter < CLSID_TestCounter);
    EXPECT_FALSE(CLSID_TestCounter < CLSID_TestCounter);
}

class PluginTest : public ::testing::Test {
protected:
    static int Regsvr(const std::vector<std::string>& arguments, std::string* output = nullptr) {
        std::vector<std::string> argv {REGSVR_PATH};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return movanta::testing::Run(argv, output);
    }
    static HRESULT Create(LPUNKNOWN outer, REFIID iid, void** object) {
        return CoCreateInstance(CLSID_TestCounter, outer, CLSCTX_INPROC_SERVER, iid, object);
    }

    ScopedRegistry registry_;
    movanta::testing::TempDir dir_;
};

TEST_F(PluginTest, ARegisteredClassIsCreatedByItsIdUntilUnregistered) {
    void* object = nullptr;
    EXPECT_EQ(Create(nullptr, IID_ITestCounter, &object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);

    std::string output;
    ASSERT_EQ(Regsvr({TEST_PLUGIN_PATH}, &output), 0) << output;
    EXPECT_NE(output.find("Registered"), std::string::npos);

    char path[512] = {};
    DWORD size = sizeof path;
    const std::string serverKey = "CLSID\\" + movanta::GuidToString(CLSID_TestCounter) + "\\InprocServer32";
    ASSERT_EQ(SHGetValueA(HKEY_CLASSES_ROOT, serverKey.c_str(), nullptr, nullptr, path, &size), ERROR_SUCCESS);
    EXPECT_STREQ(path, TEST_PLUGIN_PATH);
    size = sizeof path;
    ASSERT_EQ(SHGetValueA(HKEY_CLASSES_ROOT, serverKey.c_str(), "ThreadingModel", nullptr, path, &size), ERROR_SUCCESS);
    EXPECT_STREQ(path, "Both");

    const LONG before = CBaseObject::ObjectsActive();
    ITestCounter* counter = nullptr;
    ASSERT_EQ(Create(nullptr, IID_ITestCounter, reinterpret_cast<void**>(&counter)), S_OK);
    counter->Increment();
    counter->Increment();
    EXPECT_EQ(counter->Count(), 2);

    // Identity: every route to IUnknown gives the same pointer, and an
    // interface the object lacks gives E_NOINTERFACE and null.
    IUnknown* first = nullptr;
    IUnknown* second = nullptr;
    ITestCounter* again = nullptr;
    ASSERT_EQ(counter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&first)), S_OK);
    ASSERT_EQ(first->QueryInterface(IID_ITestCounter, reinterpret_cast<void**>(&again)), S_OK);
    ASSERT_EQ(again->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&second)), S_OK);
    EXPECT_EQ(first, second);
    EXPECT_EQ(again, counter);
    void* none = &none;
    EXPECT_EQ(counter->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    for (IUnknown* held : {static_cast<IUnknown*>(again), first, second}) held->Release();

    auto canUnload = reinterpret_cast<HRESULT (*)()>(dlsym(dlopen(TEST_PLUGIN_PATH, RTLD_NOW), "DllCanUnloadNow"));
    ASSERT_NE(canUnload, nullptr);
    EXPECT_EQ(canUnload(), S_FALSE);
    EXPECT_EQ(counter->Release(), 0u);
    EXPECT_EQ(CBaseObject::ObjectsActive(), before);

    ASSERT_EQ(Regsvr({"-u", "-s", TEST_PLUGIN_PATH}, &output), 0) << output;
    EXPECT_EQ(output, "");
    EXPECT_EQ(Create(nullptr, IID_ITestCounter, &object), REGDB_E_CLASSNOTREG);
}

// An object that aggregates the plug-in's counter and exposes it as its own.
class COuter final : public CUnknown {
public:
    COuter() : CUnknown(L"Outer", nullptr) {}
    HRESULT Aggregate() { return PluginTest_Create(GetOwner(), IID_IUnknown, reinterpret_cast<void**>(&inner_)); }
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override {
        if (iid == IID_ITestCounter && inner_ != nullptr) return inner_->QueryInterface(iid, object);
        return CUnknown::NonDelegatingQueryInterface(iid, object);
    }
    LONG References() const { return m_cRef; }

private:
    ~COuter() override {
        if (inner_ != nullptr) inner_->Release();
    }
    static HRESULT PluginTest_Create(LPUNKNOWN outer, REFIID iid, void** object) {
        return CoCreateInstance(CLSID_TestCounter, outer, CLSCTX_INPROC_SERVER, iid, object);
    }
    IUnknown* inner_ = nullptr;
};

TEST_F(PluginTest, AnAggregatedObjectForwardsItsIdentityAndCountToTheOuter) {
    ASSERT_EQ(Regsvr({"-s", TEST_PLUGIN_PATH}), 0);
    const LONG before = CBaseObject::ObjectsActive();

    void* refused = nullptr;
    auto* outer = new COuter;
    outer->NonDelegatingAddRef();
    EXPECT_EQ(Create(outer->GetOwner(), IID_ITestCounter, &refused), E_NOINTERFACE);
    EXPECT_EQ(refused, nullptr);
    ASSERT_EQ(outer->Aggregate(), S_OK);

    ITestCounter* counter = nullptr;
    ASSERT_EQ(outer->GetOwner()->QueryInterface(IID_ITestCounter, reinterpret_cast<void**>(&counter)), S_OK);
    EXPECT_EQ(outer->References(), 2);  // the interface's reference went to the outer object
    counter->AddRef();
    EXPECT_EQ(outer->References(), 3);
    counter->Release();

    IUnknown* identity = nullptr;
    ASSERT_EQ(counter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity, outer->GetOwner());
    identity->Release();
    counter->Increment();
    EXPECT_EQ(counter->Count(), 1);

    counter->Release();
    EXPECT_EQ(outer->References(), 1);
    outer->NonDelegatingRelease();  // destroys the outer object and, through it, the inner one
    EXPECT_EQ(CBaseObject::ObjectsActive(), before);
}

TEST_F(PluginTest, AFileThatCannotBeLoadedIsNamedWithTheLoadersReason) {
    const std::string bogus = dir_.File("broken.so");
    std::ofstream(bogus) << std::string(200, 'x');  // long enough for the loader to read a header
    const CLSID clsid = {0x11111111, 0x2222, 0x3333, {4, 4, 5, 5, 5, 5, 5, 5}};
    ASSERT_EQ(AMovieSetupRegisterServer(clsid, L"Broken", movanta::Utf8ToWide(bogus).c_str()), S_OK);

    ::testing::internal::CaptureStderr();
    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
    const std::string report = ::testing::internal::GetCapturedStderr();
    const std::string message = movanta::LastComLoadError();
    EXPECT_NE(message.find(bogus), std::string::npos) << message;
    EXPECT_NE(message.find("invalid ELF header"), std::string::npos) << message;  // the loader's own words
    EXPECT_EQ(report, "movanta: " + message + "\n");                              // reported once per file

    ASSERT_EQ(AMovieSetupRegisterServer(clsid, L"No entry", movanta::Utf8ToWide(WIN_LIBRARY_PATH).c_str()), S_OK);
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object), CO_E_ERRORINDLL);
    EXPECT_EQ(AMovieSetupUnregisterServer(clsid), S_OK);
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
}

TEST_F(PluginTest, TheRegistrationToolExplainsWhatWentWrong) {
    std::string output;
    const std::string bogus = dir_.File("broken.so");
    std::ofstream(bogus) << "x";
    EXPECT_EQ(Regsvr({bogus}, &output), 3);
    EXPECT_NE(output.find(bogus), std::string::npos) << output;
    EXPECT_EQ(Regsvr({dir_.File("missing.so")}, &output), 3);
    EXPECT_NE(output.find("No such file"), std::string::npos) << output;
    EXPECT_EQ(Regsvr({WIN_LIBRARY_PATH}, &output), 4);
    EXPECT_NE(output.find("DllRegisterServer"), std::string::npos) << output;
    EXPECT_EQ(Regsvr({}, &output), 1);
    EXPECT_NE(output.find("usage"), std::string::npos);
}

TEST(ApartmentTest, EnteringTwiceAndChangingModel) {
    std::thread([] {
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
        CoUninitialize();
        CoUninitialize();
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        CoUninitialize();
    }).join();
}

}  // namespace

namespace {

class Counted : public CUnknown {
public:
    Counted(LPUNKNOWN outer, int value) : CUnknown(L"Counted", outer), value(value) {}
    int value;
};

}  // namespace

TEST(NewComObjectTest, MakesTheObjectOnlyWhenItCanTellAFailure) {
    HRESULT result = S_OK;
    CUnknown* made = NewComObject<Counted>(&result, nullptr, 7);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(static_cast<Counted*>(made)->value, 7);
    EXPECT_EQ(result, S_OK);
    delete made;
    EXPECT_EQ(NewComObject<Counted>(nullptr, nullptr, 7), nullptr);
}
