// Scaling the same YV12 frames four ways:
//   filter      the scaler filter's Transform, connected and running
//   scaler      the filter's scaler alone (context kept)
//   libswscale  libswscale called directly, context made once
//   recreate    libswscale with a context made and freed for every frame
// Usage: scale_bench WAY SRC_W SRC_H DST_W DST_H FRAMES
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" {
#include <libswscale/swscale.h>
}

#include "dshow/allocator.h"
#include "dshow/testing/harness.h"
#include "picture_scaler.h"
#include "resample_filter.h"

namespace {

std::vector<std::uint8_t> Frame(int width, int height, int index) {
    const size_t area = static_cast<size_t>(width) * height;
    std::vector<std::uint8_t> frame(area + 2 * (area / 4));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) frame[y * width + x] = static_cast<std::uint8_t>(x + y * 3 + index * 5);
    }
    std::memset(frame.data() + area, 100 + index % 50, frame.size() - area);
    return frame;
}

movanta::scaler::Planes Yv12Planes(std::uint8_t* data, int width, int height) {
    const long area = static_cast<long>(width) * height;
    return {data, data + area + area / 4, data + area, width, width / 2};
}

// A committed allocator of `count` buffers of `size` bytes.
ComPtr<IMemAllocator> Allocator(LONG count, LONG size) {
    HRESULT hr = S_OK;
    ComPtr<IMemAllocator> allocator;
    CMemAllocator::CreateInstance(nullptr, &hr)
        ->NonDelegatingQueryInterface(IID_IMemAllocator, allocator.ReceiveVoid());
    ALLOCATOR_PROPERTIES request {count, size, 1, 0};
    ALLOCATOR_PROPERTIES actual {};
    allocator->SetProperties(&request, &actual);
    allocator->Commit();
    return allocator;
}

// The filter connected and running, its Transform called on samples that
// already hold the frames: the filter's own work per frame, without the
// copies a test source and sink would add.
int Filter(const std::vector<std::vector<std::uint8_t>>& frames, int w, int h, int dw, int dh, int count) {
    CMediaType type(&MEDIATYPE_Video);
    type.SetSubtype(&MEDIASUBTYPE_YV12);
    type.SetFormatType(&FORMAT_VideoInfo);
    auto* header = reinterpret_cast<VIDEOINFOHEADER*>(type.AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    header->bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 12, 0x32315659, 0, 0, 0, 0, 0};
    auto* filter = new movanta::scaler::CTxResample(nullptr);
    ComPtr<IBaseFilter> base;
    filter->NonDelegatingQueryInterface(IID_IBaseFilter, base.ReceiveVoid());
    base.As<ITxResample>(IID_ITxResample)->SetDstResulotion(dw, dh, 1);
    base.As<ITxResample>(IID_ITxResample)->SetDstFramerate(-1.0f);
    movanta::testing::TransformHarness harness(base.Get(), type, static_cast<LONG>(frames[0].size()));
    if (harness.ConnectInput() != S_OK || harness.ConnectOutput() != S_OK || harness.Run() != S_OK) return 1;

    const auto inputs = Allocator(static_cast<LONG>(frames.size()), static_cast<LONG>(frames[0].size()));
    std::vector<ComPtr<IMediaSample>> samples(frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        inputs->GetBuffer(samples[i].Receive(), nullptr, nullptr, 0);
        BYTE* data = nullptr;
        samples[i]->GetPointer(&data);
        std::memcpy(data, frames[i].data(), frames[i].size());
        samples[i]->SetActualDataLength(static_cast<long>(frames[i].size()));
    }
    const auto outputs = Allocator(1, dw * dh * 3 / 2);
    ComPtr<IMediaSample> out;
    outputs->GetBuffer(out.Receive(), nullptr, nullptr, 0);
    for (int i = 0; i < count; ++i) {
        IMediaSample* in = samples[i % samples.size()].Get();
        REFERENCE_TIME start = i * 400000LL;
        REFERENCE_TIME stop = start + 1;
        in->SetTime(&start, &stop);
        if (filter->Transform(in, out.Get()) != S_OK) return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 7) {
        std::fprintf(stderr, "usage: scale_bench filter|scaler|libswscale|recreate SRC_W SRC_H DST_W DST_H FRAMES\n");
        return 2;
    }
    const std::string way = argv[1];
    const int w = std::atoi(argv[2]);
    const int h = std::atoi(argv[3]);
    const int dw = std::atoi(argv[4]);
    const int dh = std::atoi(argv[5]);
    const int count = std::atoi(argv[6]);
    std::vector<std::vector<std::uint8_t>> frames;
    for (int i = 0; i < 8; ++i) frames.push_back(Frame(w, h, i));
    if (way == "filter") return Filter(frames, w, h, dw, dh, count);
    std::vector<std::uint8_t> out(static_cast<size_t>(dw) * dh * 3 / 2);
    const auto target = Yv12Planes(out.data(), dw, dh);
    movanta::scaler::PictureScaler scaler;
    SwsContext* context = nullptr;
    for (int i = 0; i < count; ++i) {
        auto& frame = frames[i % frames.size()];
        const auto source = Yv12Planes(frame.data(), w, h);
        if (way == "scaler") {
            scaler.Scale(1, source, w, h, target, dw, dh);
            continue;
        }
        if (context == nullptr || way == "recreate") {
            sws_freeContext(context);
            context = sws_getContext(w, h, AV_PIX_FMT_YUV420P, dw, dh, AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr,
                                     nullptr, nullptr);
        }
        const std::uint8_t* const in[4] = {source.y, source.u, source.v, nullptr};
        const int inStrides[4] = {w, w / 2, w / 2, 0};
        std::uint8_t* const outPlanes[4] = {target.y, target.u, target.v, nullptr};
        const int outStrides[4] = {dw, dw / 2, dw / 2, 0};
        sws_scale(context, in, inStrides, 0, h, outPlanes, outStrides);
    }
    sws_freeContext(context);
    std::printf("%d\n", out[out.size() / 3]);
    return 0;
}
