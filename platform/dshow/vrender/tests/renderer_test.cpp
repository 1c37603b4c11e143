// The video renderer in a graph: a file played to its end at the clock's
// pace, late pictures dropped, the picture that stands still when paused,
// and its window and video interfaces through the graph.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "com/comapi.h"
#include "com/server_file.h"
#include "dshow/testing/harness.h"
#include "testing/media.h"
#include "testing/testing.h"
#include "video_renderer.h"
#include "win/text.h"

namespace movanta::dshow {
namespace {

CMediaType Yv12Type(int width, int height) {
    CMediaType type(&MEDIATYPE_Video);
    type.SetSubtype(&MEDIASUBTYPE_YV12);
    type.SetFormatType(&FORMAT_VideoInfo);
    auto* header = reinterpret_cast<VIDEOINFOHEADER*>(type.AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    *header = VIDEOINFOHEADER {};
    header->AvgTimePerFrame = 400000;
    header->bmiHeader = {sizeof(BITMAPINFOHEADER),
                         width,
                         height,
                         1,
                         12,
                         MakeFourCC('Y', 'V', '1', '2'),
                         static_cast<DWORD>(width * height * 3 / 2),
                         0,
                         0,
                         0,
                         0};
    return type;
}

class RendererGraph : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* plugin : {QUARTZ_PATH, AVSOURCE_PATH, AVDECODE_PATH}) {
            std::string error;
            ASSERT_EQ(RegisterServerFile(plugin, true, error), ServerFileResult::Done) << error;
        }
        ASSERT_EQ(
            CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph_.ReceiveVoid()),
            S_OK);
        renderer_ = new CVideoRenderer(nullptr);
        renderer_->NonDelegatingQueryInterface(IID_IBaseFilter, rendererFilter_.ReceiveVoid());
        ASSERT_EQ(graph_->AddFilter(rendererFilter_.Get(), L"Video Renderer"), S_OK);
        control_ = graph_.As<IMediaControl>(IID_IMediaControl);
        events_ = graph_.As<IMediaEventEx>(IID_IMediaEventEx);
    }
    void TearDown() override {
        if (control_) control_->Stop();
        events_.Reset();
        control_.Reset();
        graph_.Reset();
        rendererFilter_.Reset();
    }
    testing::ScopedRegistry registry_;
    testing::TempDir dir_;
    ComPtr<IGraphBuilder> graph_;
    ComPtr<IMediaControl> control_;
    ComPtr<IMediaEventEx> events_;
    CVideoRenderer* renderer_ = nullptr;
    ComPtr<IBaseFilter> rendererFilter_;
};

TEST_F(RendererGraph, AFilePlaysToItsEndAtTheClocksPace) {
    const auto video = testing::EncodeVideo("mpeg4", 25);
    const std::string path = dir_.Path() + "/clip.avi";
    ASSERT_TRUE(testing::MuxFile(path, "avi", {{"mpeg4", &video}}));
    ASSERT_EQ(graph_->RenderFile(Utf8ToWide(path).c_str(), nullptr), S_OK);

    auto window = graph_.As<IVideoWindow>(IID_IVideoWindow);
    auto basic = graph_.As<IBasicVideo>(IID_IBasicVideo);
    ASSERT_TRUE(window && basic);
    LONG width = 0;
    LONG height = 0;
    ASSERT_EQ(basic->GetVideoSize(&width, &height), S_OK);
    EXPECT_EQ(width, 176);
    EXPECT_EQ(height, 144);
    EXPECT_EQ(window->put_Owner(0x1234), S_OK);
    EXPECT_EQ(window->SetWindowPosition(0, 0, 352, 288), S_OK);
    LONG left = -1, top = -1, w = 0, h = 0;
    EXPECT_EQ(window->GetWindowPosition(&left, &top, &w, &h), S_OK);
    EXPECT_EQ(w, 352);

    const auto began = std::chrono::steady_clock::now();
    ASSERT_TRUE(SUCCEEDED(control_->Run()));
    LONG code = 0;
    ASSERT_EQ(events_->WaitForCompletion(10000, &code), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    const auto took = std::chrono::steady_clock::now() - began;
    EXPECT_GE(took, std::chrono::milliseconds(900));  // 25 pictures at 25 a second
    EXPECT_EQ(renderer_->PicturesShown() + renderer_->PicturesDropped(), 25);
    EXPECT_GE(renderer_->PicturesShown(), 20);
    // The renderer's own account: what it drew, at 25 a second, on time.
    auto quality = rendererFilter_.As<IQualProp>(IID_IQualProp);
    ASSERT_TRUE(quality);
    int drawn = 0, rate = 0, late = -1, spread = -1;
    quality->get_FramesDrawn(&drawn);
    quality->get_AvgFrameRate(&rate);
    quality->get_AvgSyncOffset(&late);
    quality->get_DevSyncOffset(&spread);
    EXPECT_EQ(drawn, renderer_->PicturesShown());
    EXPECT_NEAR(rate, 2500, 300) << "frames a second x 100";
    EXPECT_GE(late, 0);
    EXPECT_LT(late, 10) << "ms after their time";
    EXPECT_LT(spread, 10);
    const auto picture = renderer_->LastPicture();
    EXPECT_EQ(picture.subtype, MEDIASUBTYPE_YV12);
    EXPECT_EQ(picture.bytes.size(), 38016u);
}

TEST_F(RendererGraph, LatePicturesAreDroppedAndAPausedPictureStandsStill) {
    auto* source = new testing::PushSource(Yv12Type(64, 48), 64 * 48 * 2);
    ComPtr<IBaseFilter> sourceFilter;
    source->NonDelegatingQueryInterface(IID_IBaseFilter, sourceFilter.ReceiveVoid());
    ASSERT_EQ(graph_->AddFilter(sourceFilter.Get(), L"Source"), S_OK);
    ComPtr<IPin> input;
    ASSERT_EQ(rendererFilter_->FindPin(L"Input", input.Receive()), S_OK);
    ASSERT_EQ(graph_->Connect(source->Output(), input.Get()), S_OK);
    std::vector<std::uint8_t> picture(64 * 48 * 3 / 2, 100);

    // Paused: the first picture is shown and held until the graph runs.
    ASSERT_TRUE(SUCCEEDED(control_->Pause()));
    auto held = std::async(std::launch::async, [&] { return source->Send(picture.data(), picture.size(), 0, 400000); });
    EXPECT_EQ(held.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    EXPECT_EQ(renderer_->PicturesShown(), 1);
    ASSERT_TRUE(SUCCEEDED(control_->Run()));
    EXPECT_EQ(held.get(), S_OK);

    // Pictures whose time passed while nobody sent them are dropped.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    for (int i = 1; i <= 12; ++i) {
        ASSERT_EQ(source->Send(picture.data(), picture.size(), i * 40000LL, (i + 1) * 40000LL), S_OK);
    }
    EXPECT_GE(renderer_->PicturesDropped(), 6);
    ASSERT_EQ(source->Send(picture.data(), picture.size(), 6000000, 6400000), S_OK);  // on time: waits, then shown
    EXPECT_EQ(renderer_->LastPicture().start, 6000000);
}

TEST(VideoRenderer, TakesOnlyPicturesItCanShow) {
    auto* renderer = new CVideoRenderer(nullptr);
    ComPtr<IBaseFilter> filter;
    renderer->NonDelegatingQueryInterface(IID_IBaseFilter, filter.ReceiveVoid());
    ComPtr<IPin> input;
    ASSERT_EQ(filter->FindPin(L"Input", input.Receive()), S_OK);
    CMediaType yv12 = Yv12Type(176, 144);
    EXPECT_EQ(input->QueryAccept(&yv12), S_OK);
    yv12.SetSubtype(&MEDIASUBTYPE_RGB32);
    EXPECT_NE(input->QueryAccept(&yv12), S_OK);
    CMediaType audio(&MEDIATYPE_Audio);
    EXPECT_NE(input->QueryAccept(&audio), S_OK);
    auto basic = filter.As<IBasicVideo>(IID_IBasicVideo);
    LONG width = 0;
    LONG height = 0;
    EXPECT_EQ(basic->GetVideoSize(&width, &height), VFW_E_NOT_CONNECTED);
}

}  // namespace
}  // namespace movanta::dshow
