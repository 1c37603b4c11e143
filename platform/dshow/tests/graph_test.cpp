// The filter graph manager with the test filters: automatic connection,
// rendering files, running to completion, seeking, stopping blocked streams,
// failures and repeated use.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "com/com_ptr.h"
#include "com/comapi.h"
#include "com/server_file.h"
#include "test_filters.h"
#include "testing/testing.h"
#include "win/text.h"

namespace {

using namespace dshow_test;

// An IStream that collects what is written.
class TextStream final : public IStream {
public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT Read(void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT Write(const void* data, ULONG size, ULONG* written) override {
        text.append(static_cast<const char*>(data), size);
        if (written != nullptr) *written = size;
        return S_OK;
    }
    std::string text;
};

class GraphTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_EQ(movanta::RegisterServerFile(QUARTZ_PATH, true, error), movanta::ServerFileResult::Done) << error;
        classes_ = std::make_unique<TestClasses>();
        NewGraph();
    }
    void TearDown() override {
        DropGraph();
        classes_.reset();
    }
    void NewGraph() {
        ASSERT_EQ(
            CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph_.ReceiveVoid()),
            S_OK);
        control_ = graph_.As<IMediaControl>(IID_IMediaControl);
        events_ = graph_.As<IMediaEventEx>(IID_IMediaEventEx);
        seeking_ = graph_.As<IMediaSeeking>(IID_IMediaSeeking);
        ASSERT_TRUE(control_ && events_ && seeking_);
    }
    void DropGraph() {
        seeking_.Reset();
        events_.Reset();
        control_.Reset();
        graph_.Reset();
    }
    std::wstring File(const std::string& contents, const std::string& name = "clip.tnum") {
        return WriteNumberFile(dir_.File(name), contents);
    }
    ComPtr<IBaseFilter> Create(REFCLSID clsid) {
        ComPtr<IBaseFilter> filter;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.ReceiveVoid()), S_OK);
        return filter;
    }
    ComPtr<IPin> PinOf(IBaseFilter* filter, LPCWSTR name) {
        ComPtr<IPin> pin;
        EXPECT_EQ(filter->FindPin(name, pin.Receive()), S_OK);
        return pin;
    }
    static bool WaitUntil(const std::function<bool()>& done, int milliseconds = 5000) {
        const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
        while (!done()) {
            if (GetTickCount64() > end) return false;
            Sleep(2);
        }
        return true;
    }
    // The events queued so far, as codes.
    std::vector<LONG> DrainEvents() {
        std::vector<LONG> codes;
        LONG code = 0;
        LONG_PTR p1 = 0;
        LONG_PTR p2 = 0;
        while (events_->GetEvent(&code, &p1, &p2, 0) == S_OK) codes.push_back(code);
        return codes;
    }

    movanta::testing::ScopedRegistry registry_;
    movanta::testing::TempDir dir_;
    std::unique_ptr<TestClasses> classes_;
    ComPtr<IGraphBuilder> graph_;
    ComPtr<IMediaControl> control_;
    ComPtr<IMediaEventEx> events_;
    ComPtr<IMediaSeeking> seeking_;
};

TEST_F(GraphTest, RenderFilePicksRegisteredFiltersAndPlaysToCompletion) {
    ASSERT_EQ(graph_->RenderFile(File("video 30 5\n").c_str(), nullptr), S_OK);
    auto* renderer = FindInGraph<CTestRenderer>(graph_.Get(), CLSID_TestRenderer);
    ASSERT_NE(renderer, nullptr);
    ASSERT_NE(FindInGraph<CTestDecoder>(graph_.Get(), CLSID_TestDecoder), nullptr);

    LONGLONG duration = 0;
    EXPECT_EQ(seeking_->GetDuration(&duration), S_OK);
    EXPECT_EQ(duration, 30 * 5 * MILLISECONDS);

    ASSERT_EQ(control_->Run(), S_OK);
    LONG code = 0;
    ASSERT_EQ(events_->WaitForCompletion(5000, &code), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    std::vector<int> expected(30);
    for (int i = 0; i < 30; ++i) expected[i] = i;
    EXPECT_EQ(renderer->Numbers(), expected);
    EXPECT_EQ(control_->Stop(), S_OK);
}

TEST_F(GraphTest, AFilterAlreadyInTheGraphIsUsedBeforeRegisteredOnes) {
    // The pass-through is not registered for automatic use: it gets a place
    // between decoder and renderer only because it is in the graph already.
    ComPtr<IBaseFilter> passThrough = Create(CLSID_PassThrough);
    ASSERT_EQ(graph_->AddFilter(passThrough.Get(), L"video resample"), S_OK);
    ASSERT_EQ(graph_->RenderFile(File("video 5 1\n").c_str(), nullptr), S_OK);

    ComPtr<IPin> input = PinOf(passThrough.Get(), L"In");
    ComPtr<IPin> output = PinOf(passThrough.Get(), L"Out");
    ComPtr<IPin> upstream;
    ComPtr<IPin> downstream;
    ASSERT_EQ(input->ConnectedTo(upstream.Receive()), S_OK);
    ASSERT_EQ(output->ConnectedTo(downstream.Receive()), S_OK);
    PIN_INFO info {};
    upstream->QueryPinInfo(&info);
    CLSID clsid {};
    info.pFilter->GetClassID(&clsid);
    info.pFilter->Release();
    EXPECT_EQ(clsid, CLSID_TestDecoder);
    downstream->QueryPinInfo(&info);
    info.pFilter->GetClassID(&clsid);
    info.pFilter->Release();
    EXPECT_EQ(clsid, CLSID_TestRenderer);
}

TEST_F(GraphTest, ConnectInsertsARegisteredConverter) {
    auto* source = new CNumberSource(nullptr);
    source->AddStream({MEDIATYPE_Video, kRawSubtype, 3, MILLISECONDS});
    ComPtr<IBaseFilter> sourceFilter(source);
    ComPtr<IBaseFilter> renderer = Create(CLSID_TestRenderer);
    ASSERT_EQ(graph_->AddFilter(sourceFilter.Get(), L"Source"), S_OK);
    ASSERT_EQ(graph_->AddFilter(renderer.Get(), L"Renderer"), S_OK);
    ComPtr<IPin> out = PinOf(sourceFilter.Get(), L"Out0");
    ComPtr<IPin> in = PinOf(renderer.Get(), L"In");
    EXPECT_TRUE(FAILED(graph_->ConnectDirect(out.Get(), in.Get(), nullptr)));
    ASSERT_EQ(graph_->Connect(out.Get(), in.Get()), S_OK);
    EXPECT_NE(FindInGraph<CTestDecoder>(graph_.Get(), CLSID_TestDecoder), nullptr);
    EXPECT_EQ(graph_->Connect(out.Get(), in.Get()), VFW_E_ALREADY_CONNECTED);
}

TEST_F(GraphTest, APathThatFailsBelowAFilterWithTwoOutputsLeavesNothingBehind) {
    // The splitter is tried first: its raw output renders through a new
    // decoder and renderer, its second output through nothing; the path
    // through the decoder alone then renders the stream.
    RegisterSplitter();
    ComPtr<IBaseFilter> source;
    ASSERT_EQ(graph_->AddSourceFilter(File("video 3 1\n").c_str(), L"Source", source.Receive()), S_OK);
    ComPtr<IEnumPins> pins;
    ASSERT_EQ(source->EnumPins(pins.Receive()), S_OK);
    ComPtr<IPin> output;
    ASSERT_EQ(pins->Next(1, output.Receive(), nullptr), S_OK);
    ASSERT_EQ(graph_->Render(output.Get()), S_OK);
    std::vector<CLSID> classes;
    ComPtr<IEnumFilters> filters;
    ASSERT_EQ(graph_->EnumFilters(filters.Receive()), S_OK);
    for (ComPtr<IBaseFilter> filter; filters->Next(1, filter.Receive(), nullptr) == S_OK;) {
        CLSID clsid {};
        filter->GetClassID(&clsid);
        classes.push_back(clsid);
    }
    EXPECT_EQ(classes.size(), 3u) << "the source, one decoder and one renderer";
    EXPECT_EQ(std::count(classes.begin(), classes.end(), CLSID_TestSplitter), 0);
    EXPECT_EQ(std::count(classes.begin(), classes.end(), CLSID_TestRenderer), 1);
}

TEST_F(GraphTest, RenderFileAnswersForStreamsItCannotRenderAndFilesItCannotOpen) {
    EXPECT_EQ(graph_->RenderFile(File("video 3 1\nunplayable 3 1\n").c_str(), nullptr), VFW_S_AUDIO_NOT_RENDERED);
    DropGraph();
    NewGraph();
    EXPECT_EQ(graph_->RenderFile(File("unplayable 3 1\n").c_str(), nullptr), VFW_E_CANNOT_RENDER);
    ComPtr<IEnumFilters> filters;
    ASSERT_EQ(graph_->EnumFilters(filters.Receive()), S_OK);
    ComPtr<IBaseFilter> any;
    EXPECT_EQ(filters->Next(1, any.Receive(), nullptr), S_FALSE) << "the unusable source stayed in the graph";

    EXPECT_EQ(graph_->RenderFile(movanta::Utf8ToWide(dir_.File("missing.tnum")).c_str(), nullptr),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(graph_->RenderFile(File("x", "clip.unknown").c_str(), nullptr), VFW_E_UNKNOWN_FILE_TYPE);
}

TEST_F(GraphTest, DuplicateNamesGetANumberAndFiltersAreFoundByName) {
    ComPtr<IBaseFilter> first = Create(CLSID_PassThrough);
    ComPtr<IBaseFilter> second = Create(CLSID_PassThrough);
    EXPECT_EQ(graph_->AddFilter(first.Get(), L"ACM Wrapper"), S_OK);
    EXPECT_EQ(graph_->AddFilter(second.Get(), L"ACM Wrapper"), VFW_S_DUPLICATE_NAME);
    EXPECT_EQ(graph_->AddFilter(second.Get(), L"Again"), E_INVALIDARG);
    ComPtr<IBaseFilter> found;
    ASSERT_EQ(graph_->FindFilterByName(L"ACM Wrapper 0001", found.Receive()), S_OK);
    EXPECT_EQ(found.Get(), second.Get());
    FILTER_INFO info {};
    second->QueryFilterInfo(&info);
    EXPECT_STREQ(info.achName, L"ACM Wrapper 0001");
    if (info.pGraph != nullptr) info.pGraph->Release();
    EXPECT_EQ(graph_->RemoveFilter(first.Get()), S_OK);
    EXPECT_EQ(graph_->FindFilterByName(L"ACM Wrapper", found.Receive()), VFW_E_NOT_FOUND);
    EXPECT_EQ(graph_->RemoveFilter(first.Get()), VFW_E_NOT_FOUND);
}

TEST_F(GraphTest, CompletionComesOnceWhenBothRenderersHaveEnded) {
    ASSERT_EQ(graph_->RenderFile(File("video 10 5\naudio 40 5\n").c_str(), nullptr), S_OK);
    ASSERT_EQ(control_->Run(), S_OK);
    LONG code = 0;
    ASSERT_EQ(events_->WaitForCompletion(5000, &code), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);

    int ended = 0;
    ComPtr<IEnumFilters> filters;
    graph_->EnumFilters(filters.Receive());
    ComPtr<IBaseFilter> filter;
    while (filters->Next(1, filter.Receive(), nullptr) == S_OK) {
        if (auto* renderer = dynamic_cast<CTestRenderer*>(filter.Get())) ended += renderer->EndsOfStream();
    }
    EXPECT_EQ(ended, 2) << "completion before both streams ended";
    const std::vector<LONG> codes = DrainEvents();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), EC_COMPLETE), 1);
    EXPECT_EQ(control_->Stop(), S_OK);
    LONG after = 0;
    EXPECT_EQ(events_->WaitForCompletion(0, &after), VFW_E_WRONG_STATE);
}

TEST_F(GraphTest, ASinkOfTwoStreamsCompletesWhenBothHaveEnded) {
    ASSERT_EQ(graph_->RenderFile(File("video 10 5\naudio 60 5\n").c_str(), nullptr), S_OK);
    // The renderers give way to one sink taking both streams.
    std::vector<ComPtr<IPin>> feeds;
    ComPtr<IEnumFilters> filters;
    graph_->EnumFilters(filters.Receive());
    std::vector<ComPtr<IBaseFilter>> renderers;
    ComPtr<IBaseFilter> filter;
    while (filters->Next(1, filter.Receive(), nullptr) == S_OK) {
        if (dynamic_cast<CTestRenderer*>(filter.Get()) != nullptr) renderers.push_back(filter);
    }
    ASSERT_EQ(renderers.size(), 2u);
    for (ComPtr<IBaseFilter>& renderer : renderers) {
        ComPtr<IPin> input;
        renderer->FindPin(L"In", input.Receive());
        ComPtr<IPin> feed;
        ASSERT_EQ(input->ConnectedTo(feed.Receive()), S_OK);
        feeds.push_back(feed);
        graph_->RemoveFilter(renderer.Get());
    }
    auto* sink = new CTwoStreamSink();
    ComPtr<IBaseFilter> sinkFilter;
    sink->NonDelegatingQueryInterface(IID_IBaseFilter, sinkFilter.ReceiveVoid());
    ASSERT_EQ(graph_->AddFilter(sinkFilter.Get(), L"Sink"), S_OK);
    ASSERT_EQ(graph_->ConnectDirect(feeds[0].Get(), sink->GetPin(0), nullptr), S_OK);
    ASSERT_EQ(graph_->ConnectDirect(feeds[1].Get(), sink->GetPin(1), nullptr), S_OK);
    ASSERT_EQ(control_->Run(), S_OK);
    LONG code = 0;
    ASSERT_EQ(events_->WaitForCompletion(5000, &code), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    EXPECT_EQ(sink->EndsOfStream(), 2) << "completion came when the shorter stream ended";
    control_->Stop();
}

TEST_F(GraphTest, AFilterLeftWithAnUnconnectedOutputDoesNotHoldCompletionBack) {
    ASSERT_EQ(graph_->RenderFile(File("video 10 5\naudio 40 5\n").c_str(), nullptr), S_OK);
    // Take the video renderer away: the decoder before it keeps its input.
    ComPtr<IEnumFilters> filters;
    graph_->EnumFilters(filters.Receive());
    ComPtr<IBaseFilter> filter;
    ComPtr<IBaseFilter> videoRenderer;
    while (filters->Next(1, filter.Receive(), nullptr) == S_OK) {
        auto* renderer = dynamic_cast<CTestRenderer*>(filter.Get());
        if (renderer != nullptr && renderer->Numbers().empty() && !videoRenderer) {
            ComPtr<IPin> input;
            filter->FindPin(L"In", input.Receive());
            AM_MEDIA_TYPE type {};
            if (input && input->ConnectionMediaType(&type) == S_OK) {
                if (type.majortype == MEDIATYPE_Video) videoRenderer = filter;
                FreeMediaType(type);
            }
        }
    }
    ASSERT_TRUE(videoRenderer);
    ASSERT_EQ(graph_->RemoveFilter(videoRenderer.Get()), S_OK);
    ASSERT_EQ(control_->Run(), S_OK);
    LONG code = 0;
    EXPECT_EQ(events_->WaitForCompletion(5000, &code), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    control_->Stop();
}

TEST_F(GraphTest, SeekingARunningGraphRestartsDeliveryFromTheNewTime) {
    ComPtr<IBaseFilter> passThrough = Create(CLSID_PassThrough);
    graph_->AddFilter(passThrough.Get(), L"Key frames");
    ASSERT_EQ(graph_->RenderFile(File("video 400 10\n").c_str(), nullptr), S_OK);
    auto* renderer = FindInGraph<CTestRenderer>(graph_.Get(), CLSID_TestRenderer);
    ASSERT_EQ(control_->Run(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return renderer->Numbers().size() >= 5; }));

    // 2.02 s: frame 202 is not a key frame; the pass-through, a video
    // transform, waits for the key frame 205 after the flush.
    LONGLONG position = 2020 * MILLISECONDS;
    ASSERT_EQ(seeking_->SetPositions(&position, AM_SEEKING_AbsolutePositioning, nullptr, 0), S_OK);
    OAFilterState state = State_Stopped;
    control_->GetState(0, &state);
    EXPECT_EQ(state, State_Running);
    ASSERT_TRUE(WaitUntil([&] {
        const auto numbers = renderer->Numbers();
        return !numbers.empty() && numbers.back() >= 210;
    }));
    const std::vector<int> numbers = renderer->Numbers();
    auto jump = std::find_if(numbers.begin(), numbers.end(), [](int n) { return n >= 200; });
    ASSERT_NE(jump, numbers.end());
    EXPECT_EQ(*jump, 205);
    EXPECT_LT(*(jump - 1), 100) << "frames of the old position arrived after the seek";
    EXPECT_TRUE(std::is_sorted(jump, numbers.end()));

    LONGLONG current = 0;
    EXPECT_EQ(seeking_->GetCurrentPosition(&current), S_OK);
    EXPECT_GE(current, position);
    EXPECT_EQ(control_->Stop(), S_OK);
}

TEST_F(GraphTest, StopReturnsPromptlyWhileTheStreamsAreBlocked) {
    ASSERT_EQ(graph_->RenderFile(File("video 100 10\naudio 100 10\n").c_str(), nullptr), S_OK);
    std::vector<CTestRenderer*> renderers;
    ComPtr<IEnumFilters> filters;
    graph_->EnumFilters(filters.Receive());
    ComPtr<IBaseFilter> filter;
    while (filters->Next(1, filter.Receive(), nullptr) == S_OK) {
        if (auto* renderer = dynamic_cast<CTestRenderer*>(filter.Get())) renderers.push_back(renderer);
    }
    ASSERT_EQ(renderers.size(), 2u);
    for (CTestRenderer* renderer : renderers) renderer->SetBlocking(true);
    ASSERT_EQ(control_->Run(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return renderers[0]->IsBlocked() && renderers[1]->IsBlocked(); }));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(control_->Stop(), S_OK);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST_F(GraphTest, AFailingTransformEndsTheGraphWithErrorAbort) {
    ComPtr<IBaseFilter> passThrough = Create(CLSID_PassThrough);
    dynamic_cast<CPassThrough*>(passThrough.Get())->failFrom = 10;
    graph_->AddFilter(passThrough.Get(), L"Failing");
    ASSERT_EQ(graph_->RenderFile(File("video 50 2\n").c_str(), nullptr), S_OK);
    auto* renderer = FindInGraph<CTestRenderer>(graph_.Get(), CLSID_TestRenderer);
    ASSERT_EQ(control_->Run(), S_OK);
    LONG code = 0;
    ASSERT_EQ(events_->WaitForCompletion(5000, &code), S_OK);
    EXPECT_EQ(code, EC_ERRORABORT);
    const std::vector<LONG> codes = DrainEvents();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), EC_ERRORABORT), 1);
    EXPECT_EQ(renderer->Numbers().size(), 10u);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(control_->Stop(), S_OK);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST_F(GraphTest, ADroppedSampleMarksTheNextOneADiscontinuity) {
    ComPtr<IBaseFilter> passThrough = Create(CLSID_PassThrough);
    dynamic_cast<CPassThrough*>(passThrough.Get())->dropOdd = true;
    graph_->AddFilter(passThrough.Get(), L"Dropper");
    ASSERT_EQ(graph_->RenderFile(File("video 20 1\n").c_str(), nullptr), S_OK);
    auto* renderer = FindInGraph<CTestRenderer>(graph_.Get(), CLSID_TestRenderer);
    ASSERT_EQ(control_->Run(), S_OK);
    LONG code = 0;
    ASSERT_EQ(events_->WaitForCompletion(5000, &code), S_OK);
    EXPECT_EQ(renderer->Numbers(), (std::vector<int> {0, 2, 4, 6, 8, 10, 12, 14, 16, 18}));
    EXPECT_EQ(renderer->Discontinuities(), 10);  // the first of the stream, then one after each drop
    const std::vector<LONG> codes = DrainEvents();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), EC_QUALITY_CHANGE), 1);
    control_->Stop();
}

TEST_F(GraphTest, StateChangesAndStreamingHooksStayInStep) {
    ComPtr<IBaseFilter> passThrough = Create(CLSID_PassThrough);
    auto* hooks = dynamic_cast<CPassThrough*>(passThrough.Get());
    graph_->AddFilter(passThrough.Get(), L"Hooks");
    ASSERT_EQ(graph_->RenderFile(File("video 1000 10\n").c_str(), nullptr), S_OK);
    ASSERT_EQ(control_->Run(), S_OK);  // the first run creates the graph's clock
    ASSERT_EQ(control_->Stop(), S_OK);
    const LONG before = CBaseObject::ObjectsActive();
    for (int i = 1; i < 1000; ++i) {
        ASSERT_EQ(control_->Run(), S_OK);
        if (i % 2 == 0) {
            ASSERT_EQ(control_->Pause(), S_OK);
        }
        ASSERT_EQ(control_->Stop(), S_OK);
    }
    EXPECT_EQ(hooks->starts.load(), 1000);
    EXPECT_EQ(hooks->stops.load(), 1000);
    EXPECT_EQ(CBaseObject::ObjectsActive(), before);
    EXPECT_EQ(graph_->RemoveFilter(passThrough.Get()), S_OK);
}

TEST_F(GraphTest, BuildingAndReleasingGraphsLeavesNoObjectBehind) {
    DropGraph();
    const LONG before = CBaseObject::ObjectsActive();
    const std::wstring file = File("video 5 1\naudio 5 1\n");
    for (int i = 0; i < 1000; ++i) {
        NewGraph();
        ASSERT_EQ(graph_->RenderFile(file.c_str(), nullptr), S_OK);
        if (i % 100 == 0) {
            ASSERT_EQ(control_->Run(), S_OK);
            LONG code = 0;
            ASSERT_EQ(events_->WaitForCompletion(5000, &code), S_OK);
        }
        DropGraph();
    }
    EXPECT_EQ(CBaseObject::ObjectsActive(), before);
}

TEST_F(GraphTest, PausingCuesTheStreamsAndSavingDescribesTheGraph) {
    ASSERT_EQ(graph_->RenderFile(File("video 20 10\n").c_str(), nullptr), S_OK);
    auto* renderer = FindInGraph<CTestRenderer>(graph_.Get(), CLSID_TestRenderer);
    ASSERT_EQ(control_->Pause(), S_OK);
    OAFilterState state = State_Stopped;
    EXPECT_EQ(control_->GetState(100, &state), S_OK);
    EXPECT_EQ(state, State_Paused);
    Sleep(50);
    EXPECT_TRUE(renderer->Numbers().empty()) << "a paused graph rendered";
    ASSERT_EQ(control_->Run(), S_OK);
    LONG code = 0;
    ASSERT_EQ(events_->WaitForCompletion(5000, &code), S_OK);
    EXPECT_EQ(renderer->Numbers().size(), 20u);
    ASSERT_EQ(control_->StopWhenReady(), S_OK);
    control_->GetState(0, &state);
    EXPECT_EQ(state, State_Stopped);

    auto persist = graph_.As<IPersistStream>(IID_IPersistStream);
    ASSERT_TRUE(persist);
    TextStream stream;
    ASSERT_EQ(persist->Save(&stream, TRUE), S_OK);
    EXPECT_NE(stream.text.find("\"Test decoder\" " + movanta::GuidToString(CLSID_TestDecoder)), std::string::npos)
        << stream.text;
    EXPECT_NE(stream.text.find("-> \"Test renderer\" \"In\""), std::string::npos) << stream.text;
}

TEST_F(GraphTest, VideoInterfacesAnswerOnlyWhenARendererHasThem) {
    LONG volume = 0;
    EXPECT_EQ(graph_.As<IBasicAudio>(IID_IBasicAudio)->get_Volume(&volume), E_NOINTERFACE);
    LONG width = 0;
    LONG height = 0;
    EXPECT_EQ(graph_.As<IBasicVideo>(IID_IBasicVideo)->GetVideoSize(&width, &height), E_NOINTERFACE);
    EXPECT_EQ(graph_.As<IVideoWindow>(IID_IVideoWindow)->put_Visible(0), E_NOINTERFACE);
}

}  // namespace
