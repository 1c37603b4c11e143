// Decodes a whole file as the platform plays it (file source, decoders and
// converters that the graph inserts) into sinks that take YV12 pictures and
// PCM and throw them away, as fast as the filters go.
//   playback_bench FILE
// Prints the pictures and sound frames that arrived.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "com/com_ptr.h"
#include "com/comapi.h"
#include "com/server_file.h"
#include "dshow/filter.h"
#include "win/text.h"

namespace {

// Takes one subtype and counts what arrives.
class NullSink final : public CBaseFilter {
public:
    explicit NullSink(const GUID& subtype)
        : CBaseFilter(L"Null sink", nullptr, &lock_, GUID_NULL), pin_(std::make_unique<Pin>(this, subtype)) {}
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int index) override { return index == 0 ? pin_.get() : nullptr; }
    IPin* Input() { return pin_.get(); }
    long long Samples() const { return samples_; }
    long long Bytes() const { return bytes_; }
    bool Ended() const { return ended_; }

private:
    class Pin final : public CBaseInputPin {
    public:
        Pin(NullSink* sink, const GUID& subtype)
            : CBaseInputPin(L"Null pin", sink, &sink->lock_, nullptr, L"In"), sink_(sink), subtype_(subtype) {}
        HRESULT CheckMediaType(const CMediaType* type) override {
            return type->subtype == subtype_ ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
        }
        HRESULT Receive(IMediaSample* sample) override {
            const HRESULT hr = CBaseInputPin::Receive(sample);
            if (hr != S_OK) return hr;
            ++sink_->samples_;
            sink_->bytes_ += sample->GetActualDataLength();
            return S_OK;
        }
        HRESULT EndOfStream() override {
            sink_->ended_ = true;
            return S_OK;
        }

    private:
        NullSink* sink_;
        GUID subtype_;
    };
    CCritSec lock_;
    std::unique_ptr<Pin> pin_;
    std::atomic<long long> samples_ {0};
    std::atomic<long long> bytes_ {0};
    std::atomic<bool> ended_ {false};
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: playback_bench FILE\n");
        return 2;
    }
    char folder[] = "/tmp/movanta-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) return 1;
    setenv("MOVANTA_REGISTRY_DIR", folder, 1);
    for (const char* plugin : {QUARTZ_PATH, AVSOURCE_PATH, AVDECODE_PATH, ACMWRAP_PATH}) {
        std::string error;
        if (movanta::RegisterServerFile(plugin, true, error) != movanta::ServerFileResult::Done) {
            std::fprintf(stderr, "playback_bench: %s\n", error.c_str());
            return 1;
        }
    }
    int status = 1;
    {
        ComPtr<IGraphBuilder> graph;
        CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.ReceiveVoid());
        ComPtr<IBaseFilter> source;
        if (graph &&
            SUCCEEDED(graph->AddSourceFilter(movanta::Utf8ToWide(argv[1]).c_str(), L"Source", source.Receive()))) {
            std::vector<ComPtr<IBaseFilter>> keep;
            std::vector<NullSink*> sinks;
            ComPtr<IEnumPins> pins;
            source->EnumPins(pins.Receive());
            ComPtr<IPin> pin;
            while (pins->Next(1, pin.Receive(), nullptr) == S_OK) {
                AM_MEDIA_TYPE* type = nullptr;
                ComPtr<IEnumMediaTypes> types;
                pin->EnumMediaTypes(types.Receive());
                const bool video = types->Next(1, &type, nullptr) == S_OK && type->majortype == MEDIATYPE_Video;
                if (type != nullptr) DeleteMediaType(type);
                auto* sink = new NullSink(video ? MEDIASUBTYPE_YV12 : MEDIASUBTYPE_PCM);
                ComPtr<IBaseFilter> filter;
                sink->NonDelegatingQueryInterface(IID_IBaseFilter, filter.ReceiveVoid());
                graph->AddFilter(filter.Get(), video ? L"Pictures" : L"Sound");
                if (SUCCEEDED(graph->Connect(pin.Get(), sink->Input()))) sinks.push_back(sink);
                keep.push_back(filter);
                pin.Reset();
            }
            auto control = graph.As<IMediaControl>(IID_IMediaControl);
            if (!sinks.empty() && SUCCEEDED(control->Run())) {
                const auto all = [&] {
                    for (NullSink* sink : sinks) {
                        if (!sink->Ended()) return false;
                    }
                    return true;
                };
                while (!all()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
                control->Stop();
                for (NullSink* sink : sinks) std::printf("%lld samples, %lld bytes\n", sink->Samples(), sink->Bytes());
                status = 0;
            }
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return status;
}
