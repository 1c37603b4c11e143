// Media types, samples, the memory allocator and filter registration.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "com/com_ptr.h"
#include "com/comapi.h"
#include "dshow/allocator.h"
#include "dshow/proppage.h"
#include "dshow/setup.h"
#include "registry/registry.h"
#include "testing/testing.h"
#include "win/text.h"
#include "win/thread.h"

namespace {

TEST(MediaTypeTest, CopiesOwnTheirFormatAndCompareByContent) {
    CMediaType original(&MEDIATYPE_Audio);
    original.SetSubtype(&MEDIASUBTYPE_PCM);
    original.SetFormatType(&FORMAT_WaveFormatEx);
    WAVEFORMATEX wave {WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
    ASSERT_TRUE(original.SetFormat(reinterpret_cast<BYTE*>(&wave), sizeof wave));

    CMediaType copy(original);
    EXPECT_TRUE(copy == original);
    EXPECT_NE(copy.Format(), original.Format());
    reinterpret_cast<WAVEFORMATEX*>(copy.Format())->nSamplesPerSec = 11025;
    EXPECT_FALSE(copy == original);
    EXPECT_EQ(reinterpret_cast<WAVEFORMATEX*>(original.Format())->nSamplesPerSec, 8000u);

    AM_MEDIA_TYPE* handed = CreateMediaType(&original);
    ASSERT_NE(handed, nullptr);
    EXPECT_TRUE(CMediaType(*handed) == original);
    DeleteMediaType(handed);

    CMediaType partial(&MEDIATYPE_Audio);
    EXPECT_TRUE(partial.IsPartiallySpecified());
    EXPECT_TRUE(original.MatchesPartial(&partial));
    partial.SetSubtype(&MEDIASUBTYPE_YV12);
    EXPECT_FALSE(original.MatchesPartial(&partial));
}

class AllocatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        HRESULT hr = S_OK;
        CUnknown* created = CMemAllocator::CreateInstance(nullptr, &hr);
        created->NonDelegatingAddRef();
        created->NonDelegatingQueryInterface(IID_IMemAllocator, allocator_.ReceiveVoid());
        created->NonDelegatingRelease();
        ALLOCATOR_PROPERTIES request {2, 100, 16, 0};
        ALLOCATOR_PROPERTIES actual {};
        ASSERT_EQ(allocator_->SetProperties(&request, &actual), S_OK);
        EXPECT_EQ(actual.cBuffers, 2);
        EXPECT_GE(actual.cbBuffer, 100);
    }
    ComPtr<IMemAllocator> allocator_;
};

TEST_F(AllocatorTest, BuffersComeBackWhenReleasedAndDecommitWakesAWaiter) {
    IMediaSample* sample = nullptr;
    EXPECT_EQ(allocator_->GetBuffer(&sample, nullptr, nullptr, 0), VFW_E_NOT_COMMITTED);
    ASSERT_EQ(allocator_->Commit(), S_OK);
    ComPtr<IMediaSample> first;
    ComPtr<IMediaSample> second;
    ASSERT_EQ(allocator_->GetBuffer(first.Receive(), nullptr, nullptr, 0), S_OK);
    ASSERT_EQ(allocator_->GetBuffer(second.Receive(), nullptr, nullptr, 0), S_OK);
    BYTE* data = nullptr;
    first->GetPointer(&data);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(data) % 16, 0u);
    EXPECT_EQ(allocator_->GetBuffer(&sample, nullptr, nullptr, AM_GBF_NOWAIT), VFW_E_TIMEOUT);
    ALLOCATOR_PROPERTIES request {4, 10, 1, 0};
    ALLOCATOR_PROPERTIES actual {};
    EXPECT_EQ(allocator_->SetProperties(&request, &actual), VFW_E_ALREADY_COMMITTED);

    first.Reset();
    ComPtr<IMediaSample> again;
    EXPECT_EQ(allocator_->GetBuffer(again.Receive(), nullptr, nullptr, AM_GBF_NOWAIT), S_OK);

    std::atomic<HRESULT> waited {S_OK};
    std::thread waiter([&] {
        IMediaSample* blocked = nullptr;
        waited = allocator_->GetBuffer(&blocked, nullptr, nullptr, 0);
    });
    Sleep(50);
    EXPECT_EQ(waited.load(), S_OK) << "GetBuffer returned with no buffer free";
    ASSERT_EQ(allocator_->Decommit(), S_OK);
    waiter.join();
    EXPECT_EQ(waited.load(), VFW_E_NOT_COMMITTED);

    // Samples outstanding at decommit stay valid until they come back.
    again->SetActualDataLength(10);
    EXPECT_EQ(again->GetActualDataLength(), 10);
}

TEST_F(AllocatorTest, SamplesKeepTimesFlagsAndAttachedTypes) {
    ASSERT_EQ(allocator_->Commit(), S_OK);
    ComPtr<IMediaSample> sample;
    ASSERT_EQ(allocator_->GetBuffer(sample.Receive(), nullptr, nullptr, 0), S_OK);
    REFERENCE_TIME start = 0;
    REFERENCE_TIME end = 0;
    EXPECT_EQ(sample->GetTime(&start, &end), VFW_E_SAMPLE_TIME_NOT_SET);
    start = 400000;
    sample->SetTime(&start, nullptr);
    EXPECT_EQ(sample->GetTime(&start, &end), VFW_S_NO_STOP_TIME);
    EXPECT_EQ(end, 400001);
    end = 800000;
    sample->SetTime(&start, &end);
    EXPECT_EQ(sample->GetTime(&start, &end), S_OK);
    EXPECT_EQ(sample->SetActualDataLength(sample->GetSize() + 1), VFW_E_BUFFER_OVERFLOW);
    sample->SetSyncPoint(TRUE);
    sample->SetPreroll(TRUE);
    EXPECT_EQ(sample->IsSyncPoint(), S_OK);
    EXPECT_EQ(sample->IsPreroll(), S_OK);
    EXPECT_EQ(sample->IsDiscontinuity(), S_FALSE);

    CMediaType type(&MEDIATYPE_Video);
    type.SetSubtype(&MEDIASUBTYPE_YV12);
    ASSERT_EQ(sample->SetMediaType(&type), S_OK);
    AM_MEDIA_TYPE* attached = nullptr;
    ASSERT_EQ(sample->GetMediaType(&attached), S_OK);
    EXPECT_EQ(attached->subtype, MEDIASUBTYPE_YV12);
    DeleteMediaType(attached);

    // A recycled sample comes back clean.
    sample.Reset();
    ASSERT_EQ(allocator_->GetBuffer(sample.Receive(), nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(sample->IsSyncPoint(), S_FALSE);
    EXPECT_EQ(sample->GetMediaType(&attached), S_FALSE);
    EXPECT_EQ(sample->GetTime(&start, &end), VFW_E_SAMPLE_TIME_NOT_SET);
}

TEST(RegistrationTest, FiltersAreListedByMeritWithTheirPinsAndTypes) {
    movanta::testing::ScopedRegistry registry;
    const CLSID low = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 1}};
    const CLSID high = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 2}};
    const AMOVIESETUP_MEDIATYPE video[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_YV12}, {&MEDIATYPE_Video, nullptr}};
    const AMOVIESETUP_PIN pins[] = {{L"In", TRUE, FALSE, FALSE, FALSE, nullptr, nullptr, 2, video},
                                    {L"Out", FALSE, TRUE, FALSE, FALSE, nullptr, nullptr, 0, nullptr}};
    const AMOVIESETUP_FILTER lowFilter = {&low, L"Low", MERIT_UNLIKELY, 2, pins};
    const AMOVIESETUP_FILTER highFilter = {&high, L"High", MERIT_PREFERRED, 1, pins};
    ASSERT_EQ(movanta::dshow::RegisterFilter(lowFilter, true), S_OK);
    ASSERT_EQ(movanta::dshow::RegisterFilter(highFilter, true), S_OK);

    auto filters = movanta::dshow::RegisteredFilters();
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].clsid, high);
    EXPECT_EQ(filters[0].name, L"High");
    EXPECT_EQ(filters[1].merit, MERIT_UNLIKELY);
    ASSERT_EQ(filters[1].pins.size(), 2u);
    EXPECT_FALSE(filters[1].pins[0].output);
    EXPECT_TRUE(filters[1].pins[0].rendered);
    EXPECT_TRUE(filters[1].pins[1].output);
    ASSERT_EQ(filters[1].pins[0].types.size(), 2u);
    EXPECT_EQ(filters[1].pins[0].types[0].second, MEDIASUBTYPE_YV12);
    EXPECT_EQ(filters[1].pins[0].types[1].second, GUID_NULL);

    // A damaged entry (types not a whole number of pairs) is left out.
    HKEY key = nullptr;
    const std::wstring pin = L"CLSID\\{083863F1-70DE-11D0-BD40-00A0C911CE86}\\Instance\\" +
                             movanta::Utf8ToWide(movanta::GuidToString(high)) + L"\\Pins\\0";
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, pin.c_str(), 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const BYTE odd[5] = {};
    RegSetValueExW(key, L"Types", 0, REG_BINARY, odd, sizeof odd);
    RegCloseKey(key);
    filters = movanta::dshow::RegisteredFilters();
    ASSERT_EQ(filters.size(), 1u);
    EXPECT_EQ(filters[0].clsid, low);

    ASSERT_EQ(movanta::dshow::RegisterFilter(lowFilter, false), S_OK);
    EXPECT_EQ(movanta::dshow::RegisteredFilters().size(), 0u);
}

TEST(RegistrationTest, SourcesAreFoundByExtensionThenByTheDefault) {
    movanta::testing::ScopedRegistry registry;
    const CLSID avi = {9, 9, 9, {9, 9, 9, 9, 9, 9, 9, 1}};
    const CLSID any = {9, 9, 9, {9, 9, 9, 9, 9, 9, 9, 2}};
    CLSID found {};
    EXPECT_FALSE(movanta::dshow::SourceFilterForFile(L"/clips/a.avi", found));
    ASSERT_EQ(RegisterSourceExtension(L".avi", avi, TRUE), S_OK);
    ASSERT_EQ(RegisterSourceExtension(L"*", any, TRUE), S_OK);
    ASSERT_TRUE(movanta::dshow::SourceFilterForFile(L"/clips/a.AVI", found));
    EXPECT_EQ(found, avi);
    ASSERT_TRUE(movanta::dshow::SourceFilterForFile(L"/clips.d/noextension", found));
    EXPECT_EQ(found, any);
    ASSERT_EQ(RegisterSourceExtension(L".avi", avi, FALSE), S_OK);
    ASSERT_TRUE(movanta::dshow::SourceFilterForFile(L"a.avi", found));
    EXPECT_EQ(found, any);
}

}  // namespace

namespace {

// A page that keeps one number, as a settings page keeps a filter's mode.
class NumberPage final : public CBasePropertyPage {
public:
    NumberPage() : CBasePropertyPage(L"Number page", nullptr, 101, L"Bitrate Mode") {}
    HRESULT OnConnect(IUnknown* object) override {
        connected = object;
        return S_OK;
    }
    HRESULT OnDisconnect() override {
        connected = nullptr;
        return S_OK;
    }
    HRESULT OnActivate() override {
        shown = stored;
        return S_OK;
    }
    HRESULT OnApplyChanges() override {
        stored = shown;
        return S_OK;
    }
    LRESULT OnReceiveMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP) {
            shown = static_cast<int>(wParam);
            SetDirty();
            return 1;
        }
        return CBasePropertyPage::OnReceiveMessage(window, message, wParam, lParam);
    }
    IUnknown* connected = nullptr;
    int stored = 3;
    int shown = -1;
};

class Site final : public IPropertyPageSite {
public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT OnStatusChange(DWORD flags) override {
        changes |= flags;
        return S_OK;
    }
    DWORD changes = 0;
};

TEST(PropertyPageTest, ConnectActivateEditApplyAndDisconnect) {
    auto* page = new NumberPage;
    page->NonDelegatingAddRef();
    Site site;
    IUnknown* object = &site;
    PROPPAGEINFO info {};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_STREQ(info.pszTitle, L"Bitrate Mode");
    CoTaskMemFree(info.pszTitle);

    EXPECT_EQ(page->Apply(), E_UNEXPECTED);  // nothing connected yet
    ASSERT_EQ(page->SetPageSite(&site), S_OK);
    ASSERT_EQ(page->SetObjects(1, &object), S_OK);
    EXPECT_EQ(page->connected, object);
    ASSERT_EQ(page->Activate(nullptr, nullptr, FALSE), S_OK);
    EXPECT_EQ(page->shown, 3);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);

    SendMessageW(page->Window(), WM_APP, 6, 0);  // the user picks another value
    EXPECT_EQ(page->IsPageDirty(), S_OK);
    EXPECT_EQ(site.changes & PROPPAGESTATUS_DIRTY, PROPPAGESTATUS_DIRTY);
    EXPECT_EQ(page->stored, 3);
    ASSERT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(page->stored, 6);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);

    ASSERT_EQ(page->Deactivate(), S_OK);
    EXPECT_EQ(page->Deactivate(), E_UNEXPECTED);
    ASSERT_EQ(page->SetObjects(0, nullptr), S_OK);
    EXPECT_EQ(page->connected, nullptr);
    page->SetPageSite(nullptr);
    page->NonDelegatingRelease();
}

}  // namespace
