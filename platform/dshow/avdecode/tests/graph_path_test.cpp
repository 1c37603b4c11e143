// The file source and the decoders registered: the graph's automatic
// connection puts a decoder between each source pin and an input that
// takes only pictures or PCM, and the whole file comes out decoded.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "com/comapi.h"
#include "com/server_file.h"
#include "dshow/testing/harness.h"
#include "testing/media.h"
#include "testing/testing.h"
#include "win/text.h"

namespace movanta::dshow {
namespace {

using movanta::testing::CollectingSink;

ComPtr<IPin> FirstPin(IBaseFilter* filter, PIN_DIRECTION direction, int skip = 0) {
    ComPtr<IEnumPins> pins;
    filter->EnumPins(pins.Receive());
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.Receive(), nullptr) == S_OK) {
        PIN_DIRECTION its {};
        pin->QueryDirection(&its);
        if (its == direction && skip-- == 0) return pin;
        pin.Reset();
    }
    return {};
}

TEST(DecodingPath, TheGraphInsertsTheDecodersAndTheWholeFileComesOutDecoded) {
    testing::ScopedRegistry registry;
    for (const char* plugin : {QUARTZ_PATH, AVSOURCE_PATH, AVDECODE_PATH}) {
        std::string error;
        ASSERT_EQ(RegisterServerFile(plugin, true, error), ServerFileResult::Done) << error;
    }
    testing::TempDir dir;
    const auto video = testing::EncodeVideo("mpeg4", 25);
    const auto audio = testing::EncodeAac(43);
    const std::string path = dir.Path() + "/clip.mp4";
    ASSERT_TRUE(
        testing::MuxFile(path, "mp4", {{"mpeg4", &video}, {"aac", &audio, 176, 144, 44100, 2, 1024.0 / 44100}}));

    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(
        CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.ReceiveVoid()),
        S_OK);
    ComPtr<IBaseFilter> source;
    ASSERT_EQ(graph->AddSourceFilter(Utf8ToWide(path).c_str(), L"Source", source.Receive()), S_OK);
    auto* pictures = new CollectingSink(MEDIASUBTYPE_YV12);
    auto* sound = new CollectingSink(MEDIASUBTYPE_PCM);
    ComPtr<IBaseFilter> pictureSink;
    ComPtr<IBaseFilter> soundSink;
    pictures->NonDelegatingQueryInterface(IID_IBaseFilter, pictureSink.ReceiveVoid());
    sound->NonDelegatingQueryInterface(IID_IBaseFilter, soundSink.ReceiveVoid());
    ASSERT_EQ(graph->AddFilter(pictureSink.Get(), L"Pictures"), S_OK);
    ASSERT_EQ(graph->AddFilter(soundSink.Get(), L"Sound"), S_OK);
    ASSERT_EQ(graph->Connect(FirstPin(source.Get(), PINDIR_OUTPUT).Get(), pictures->Input()), S_OK);
    ASSERT_EQ(graph->Connect(FirstPin(source.Get(), PINDIR_OUTPUT, 1).Get(), sound->Input()), S_OK);

    auto control = graph.As<IMediaControl>(IID_IMediaControl);
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while ((pictures->EndsOfStream() == 0 || sound->EndsOfStream() == 0) &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    control->Stop();
    EXPECT_EQ(pictures->Samples().size(), 25u);
    size_t bytes = 0;
    for (const auto& sample : sound->Samples()) bytes += sample.data.size();
    EXPECT_GE(bytes, 43u * 1024 * 4);
    graph.Reset();
}

}  // namespace
}  // namespace movanta::dshow
