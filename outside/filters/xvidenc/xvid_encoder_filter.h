// "Xvid Encoder": YV12 pictures in, MPEG-4 Part 2 simple-profile
// pictures out through libavcodec, one a sample; every key picture carries
// the stream headers, so the first one does.
#pragma once

#include <atomic>

#include "dshow/transform.h"
#include "outside/filters/effect_interfaces.h"
#include "outside/filters/encoder_interfaces.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace movanta::outside {

class CXvidEncoder final : public CTransformFilter {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CXvidEncoder(LPUNKNOWN outer);
    ~CXvidEncoder() override;

    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;
    HRESULT CheckInputType(const CMediaType* in) override;
    HRESULT CheckTransform(const CMediaType* in, const CMediaType* out) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT StartStreaming() override;
    HRESULT StopStreaming() override;
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override;
    // After a flush (a seek) the stream starts again with a key picture and
    // its headers: what went before may never have reached the writer.
    HRESULT EndFlush() override;

    static constexpr LONG kDefaultBitrate = 256000;

private:
    class Settings final : public CNestedInterface<IXvidEncoder> {
    public:
        explicit Settings(CXvidEncoder& filter) : CNestedInterface(filter), f_(filter) {}
        HRESULT GetInputSize(LONG* width, LONG* height) override;
        HRESULT GetBitrate(LONG* bitsPerSecond) override;
        HRESULT SetBitrate(LONG bitsPerSecond) override;
        HRESULT GetKeyInterval(LONG* pictures) override;
        HRESULT SetKeyInterval(LONG pictures) override;

    private:
        CXvidEncoder& f_;
    };

    struct Picture {
        int width = 0;
        int height = 0;
        REFERENCE_TIME interval = 0;
    };
    static bool ReadPicture(const CMediaType& type, Picture& picture);
    // The connected input's picture; false while unconnected.
    bool ConnectedPicture(Picture& picture);
    void CloseEncoder();

    std::atomic<LONG> m_bitrate {kDefaultBitrate};
    std::atomic<LONG> m_keyInterval {0};  // 0: two seconds of pictures
    Picture m_input;
    AVCodecContext* m_context = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    std::int64_t m_next = 0;
    bool m_keyNext = true;
    Settings m_settings {*this};
};

}  // namespace movanta::outside
