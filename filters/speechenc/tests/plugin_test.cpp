// The voxenc plug-in as the engine sees it: registered, created by class,
// coding with the libamr beside it; and the mode page driving a filter.
#include <gtest/gtest.h>

#include "amr_mode_page.h"
#include "amr_test_support.h"
#include "com/comapi.h"
#include "com/server_file.h"
#include "dshow/setup.h"
#include "testing/testing.h"

namespace movanta::amr::test {
namespace {

TEST(VoxencPlugin, RegistersTheFilterAndPageAndCodesWithItsLibrary) {
    testing::ScopedRegistry registry;
    std::string error;
    ASSERT_EQ(RegisterServerFile(VOXENC_PATH, true, error), ServerFileResult::Done) << error;
    const auto filters = dshow::RegisteredFilters();
    ASSERT_EQ(filters.size(), 1u);
    EXPECT_EQ(filters[0].name, L"TRX AMR Encoder");
    EXPECT_EQ(filters[0].merit, MERIT_DO_NOT_USE);
    EXPECT_TRUE(filters[0].pins.empty());

    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(
        CoCreateInstance(CLSID_TxAmrNbEncoder, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.ReceiveVoid()),
        S_OK);
    ComPtr<IPin> in;
    ComPtr<IPin> out;
    EXPECT_EQ(filter->FindPin(L"XForm In", in.Receive()), S_OK);
    EXPECT_EQ(filter->FindPin(L"XForm Out", out.Receive()), S_OK);
    {
        testing::TransformHarness harness(filter.Get(), PcmType(), 8000);
        ASSERT_EQ(harness.ConnectInput(), S_OK);
        ASSERT_EQ(harness.ConnectOutput(), S_OK);
        ASSERT_EQ(harness.Run(), S_OK);
        const auto pcm = Bytes(Tone(320));
        ASSERT_EQ(harness.Source().Send(pcm.data(), pcm.size(), 0, 400000), S_OK);
        const auto samples = harness.Sink().Samples();
        ASSERT_EQ(samples.size(), 1u);
        EXPECT_EQ(samples[0].data.size(), 6u + 2 * 18);  // coded: libamr was found beside the plug-in
    }

    ComPtr<IPropertyPage> page;
    ASSERT_EQ(
        CoCreateInstance(CLSID_TxAmrModePage, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage, page.ReceiveVoid()),
        S_OK);
    PROPPAGEINFO info {};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_EQ(std::wstring(info.pszTitle), L"Bitrate Mode");
    CoTaskMemFree(info.pszTitle);
}

class Site final : public IPropertyPageSite {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (iid != IID_IUnknown && iid != IID_IPropertyPageSite) return E_NOINTERFACE;
        *object = this;
        return S_OK;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT OnStatusChange(DWORD flags) override {
        changes += (flags & PROPPAGESTATUS_DIRTY) != 0;
        return S_OK;
    }
    int changes = 0;
};

struct PageOnFilter {
    PageOnFilter() {
        page->NonDelegatingAddRef();
        page->SetPageSite(&site);
    }
    ~PageOnFilter() {
        page->SetObjects(0, nullptr);
        page->SetPageSite(nullptr);
        page->NonDelegatingRelease();
    }
    HRESULT Connect() {
        IUnknown* object = encoder.base.Get();
        return page->SetObjects(1, &object);
    }
    int Mode() {
        int mode = -1;
        encoder.bitrate->GetBitRateMode(&mode);
        return mode;
    }
    Encoder encoder;
    Site site;
    CTxAmrModePage* page = new CTxAmrModePage(nullptr);
};

TEST(AmrModePage, ShowsTheModeAndAppliesTheClickedButton) {
    PageOnFilter fixture;
    CTxAmrModePage& page = *fixture.page;
    ASSERT_EQ(fixture.encoder.bitrate->SetBitRateMode(5), S_OK);
    ASSERT_EQ(fixture.Connect(), S_OK);

    // Before the page has a window a command reaches nothing.
    EXPECT_EQ(SendMessageW(nullptr, WM_COMMAND, 1007, 0), 0);
    ASSERT_EQ(page.Activate(nullptr, nullptr, FALSE), S_OK);
    EXPECT_EQ(page.CheckedButton(), 5);
    EXPECT_EQ(page.IsPageDirty(), S_FALSE);
    SendMessageW(page.Window(), WM_COMMAND, 1007, 0);
    EXPECT_EQ(page.CheckedButton(), 7);
    EXPECT_EQ(page.IsPageDirty(), S_OK);
    EXPECT_EQ(fixture.site.changes, 1);
    EXPECT_EQ(fixture.Mode(), 5);  // nothing is sent before Apply
    ASSERT_EQ(page.Apply(), S_OK);
    EXPECT_EQ(fixture.Mode(), 7);
    EXPECT_EQ(page.IsPageDirty(), S_FALSE);

    // Deactivating keeps the choice for the next activation.
    SendMessageW(page.Window(), WM_COMMAND, 1001, 0);
    ASSERT_EQ(page.Deactivate(), S_OK);
    ASSERT_EQ(page.Activate(nullptr, nullptr, FALSE), S_OK);
    EXPECT_EQ(page.CheckedButton(), 1);
    ASSERT_EQ(page.Deactivate(), S_OK);

    EXPECT_STREQ(CTxAmrModePage::kLabels[0], L"4.75 kbit / s");
    EXPECT_STREQ(CTxAmrModePage::kLabels[7], L"12.20 kbit / s");
}

TEST(AmrModePage, ModeEightChecksNoButtonAndIsKeptOnApply) {
    PageOnFilter fixture;
    CTxAmrModePage& page = *fixture.page;
    ASSERT_EQ(fixture.encoder.bitrate->SetBitRateMode(8), S_OK);
    ASSERT_EQ(fixture.Connect(), S_OK);
    ASSERT_EQ(page.Activate(nullptr, nullptr, FALSE), S_OK);
    EXPECT_EQ(page.CheckedButton(), -1);
    SendMessageW(page.Window(), WM_COMMAND, 999, 0);  // not a mode button
    ASSERT_EQ(page.Apply(), S_OK);
    EXPECT_EQ(fixture.Mode(), 8);
    ASSERT_EQ(page.Deactivate(), S_OK);
}

TEST(AmrModePage, RefusesObjectsWithoutTheModeInterface) {
    PageOnFilter fixture;
    ComPtr<IBaseFilter> other;
    auto* sink = new testing::CollectingSink();
    sink->NonDelegatingQueryInterface(IID_IBaseFilter, other.ReceiveVoid());
    IUnknown* object = other.Get();
    EXPECT_EQ(fixture.page->SetObjects(1, &object), E_NOINTERFACE);
}

}  // namespace
}  // namespace movanta::amr::test
