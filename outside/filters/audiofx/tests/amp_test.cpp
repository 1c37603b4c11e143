// "TxAmp" alone: as an amplifier it scales the sound and reports its level
// to the owner window; as the music job's end it writes what comes from the
// start position on to its file and counts as a renderer.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "amp_filter.h"
#include "com/comapi.h"
#include "dshow/media_subtypes.h"
#include "dshow/testing/harness.h"
#include "testing/testing.h"
#include "win/text.h"
#include "win/windows.h"

namespace movanta::outside {
namespace {

std::vector<WPARAM>* g_levels = nullptr;

LRESULT LevelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TXAMP_LEVEL && g_levels != nullptr) g_levels->push_back(wParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

struct Amp {
    Amp() {
        filter = new CTxAmp(nullptr);
        filter->NonDelegatingQueryInterface(IID_IBaseFilter, base.ReceiveVoid());
        amp = base.As<ITxAmp>(IID_ITxAmp);
        flags = base.As<IAMFilterMiscFlags>(IID_IAMFilterMiscFlags);
    }
    CTxAmp* filter = nullptr;
    ComPtr<IBaseFilter> base;
    ComPtr<ITxAmp> amp;
    ComPtr<IAMFilterMiscFlags> flags;
};

TEST(TxAmp, AmplifiesAndReportsTheLevelToItsOwner) {
    WNDCLASSW windowClass {};
    windowClass.lpfnWndProc = LevelProc;
    windowClass.lpszClassName = L"AmpTestOwner";
    RegisterClassW(&windowClass);
    const HWND owner = CreateWindowExW(0, L"AmpTestOwner", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    std::vector<WPARAM> levels;
    g_levels = &levels;

    Amp amp;
    EXPECT_EQ(amp.flags->GetMiscFlags(), 0u) << "an amplifier renders nothing";
    EXPECT_EQ(amp.amp->SetOwner(owner, 5000, 1000), E_INVALIDARG);
    ASSERT_EQ(amp.amp->SetOwner(owner, 200, 1000), S_OK);
    testing::TransformHarness harness(amp.base.Get(), testing::PcmType(16, 1, 8000), 1600);
    ASSERT_EQ(harness.ConnectInput(), S_OK);
    ASSERT_EQ(harness.ConnectOutput(), S_OK);
    EXPECT_EQ(amp.amp->SetMode(TXAMP_MODE_WRITE), VFW_E_ALREADY_CONNECTED);
    ASSERT_EQ(harness.Run(), S_OK);
    // Ten buffers of 100 ms, the samples at 1000 and at the edges of the range.
    std::vector<std::int16_t> pcm(800, 1000);
    pcm[0] = 30000;
    pcm[1] = -30000;
    for (int chunk = 0; chunk < 10; ++chunk) {
        harness.Source().Send(reinterpret_cast<const std::uint8_t*>(pcm.data()), 1600, chunk * 1000000LL,
                              (chunk + 1) * 1000000LL);
    }
    const auto samples = harness.Sink().Samples();
    ASSERT_EQ(samples.size(), 10u);
    const auto* out = reinterpret_cast<const std::int16_t*>(samples[3].data.data());
    EXPECT_EQ(out[0], 32767) << "clipped, not wrapped";
    EXPECT_EQ(out[1], -32768);
    EXPECT_EQ(out[2], 2000);
    LONGLONG position = 0;
    LONGLONG reached = 0;
    EXPECT_EQ(amp.amp->GetPosition(&position, &reached), S_OK);
    EXPECT_EQ(position, 9000000);

    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    ASSERT_EQ(levels.size(), 10u) << "one report each 100 ms of sound";
    EXPECT_EQ(levels[0], 32767u);
    g_levels = nullptr;
    DestroyWindow(owner);
}

TEST(TxAmp, WritesWhatComesFromTheStartOnAndRendersWhileWriting) {
    testing::TempDir dir;
    Amp amp;
    ASSERT_EQ(amp.amp->SetMode(TXAMP_MODE_WRITE), S_OK);
    EXPECT_EQ(amp.amp->SetMode(2), E_INVALIDARG);
    EXPECT_EQ(amp.flags->GetMiscFlags(), AM_FILTER_MISC_FLAGS_IS_RENDERER);
    auto sink = amp.base.As<IFileSinkFilter>(IID_IFileSinkFilter);
    ASSERT_TRUE(sink);
    EXPECT_EQ(sink->SetFileName(Utf8ToWide(dir.File("no/such/folder/out.mp3")).c_str(), nullptr), E_FAIL);
    const std::wstring path = Utf8ToWide(dir.File("out.mp3"));
    ASSERT_EQ(sink->SetFileName(path.c_str(), nullptr), S_OK);
    LPOLESTR name = nullptr;
    ASSERT_EQ(sink->GetCurFile(&name, nullptr), S_OK);
    EXPECT_EQ(std::wstring(name), path);
    CoTaskMemFree(name);
    amp.amp->SetStart(15000000);

    CMediaType mp3;
    mp3.SetType(&MEDIATYPE_Audio);
    mp3.SetSubtype(&MEDIASUBTYPE_MP3);
    testing::TransformHarness harness(amp.base.Get(), mp3, 1000);
    ASSERT_EQ(harness.ConnectInput(), S_OK);
    ASSERT_EQ(harness.Run(), S_OK);
    for (int block = 0; block < 4; ++block) {
        const std::vector<std::uint8_t> bytes(100, static_cast<std::uint8_t>('a' + block));
        ASSERT_EQ(harness.Source().Send(bytes.data(), bytes.size(), block * 10000000LL, (block + 1) * 10000000LL),
                  S_OK);
    }
    LONGLONG position = 0;
    LONGLONG reached = 0;
    amp.amp->GetPosition(&position, &reached);
    EXPECT_EQ(position, 25000000) << "time written since the start";
    EXPECT_EQ(reached, 40000000);
    harness.Source().SendEndOfStream();
    std::ifstream file(NativePath(path.c_str()), std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, std::string(100, 'b') + std::string(100, 'c') + std::string(100, 'd'))
        << "the block ending at the start is left out, the one across it kept";
}

}  // namespace
}  // namespace movanta::outside
