// "ImgEffect": YV12, YUY2 or RGB24 pictures pass through in their own
// format with the picture adjustment of its ten values applied. Until the
// values are set it changes nothing. It also remembers which filter it
// stands in for.
#pragma once

#include <mutex>

#include "dshow/copy_transform.h"
#include "outside/filters/effect_interfaces.h"
#include "picture_adjustment.h"

namespace movanta::outside {

class CImgEffect final : public CCopyTransform {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CImgEffect(LPUNKNOWN outer);

    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;
    HRESULT CheckInputType(const CMediaType* in) override;

    CLSID ReplacedFilter() const { return m_replaced; }

private:
    class Target final : public CNestedInterface<IImgEffectTarget> {
    public:
        explicit Target(CImgEffect& filter) : CNestedInterface(filter), f_(filter) {}
        HRESULT SetReplacedFilter(const CLSID* clsid) override;

    private:
        CImgEffect& f_;
    };
    class Values final : public CNestedInterface<IImgEffectValues> {
    public:
        explicit Values(CImgEffect& filter) : CNestedInterface(filter), f_(filter) {}
        HRESULT GetCount(LONG* count) override;
        HRESULT SetCount(LONG count) override;
        HRESULT GetValues(LONG* values) override;
        HRESULT SetValues(const LONG* values) override;

    private:
        CImgEffect& f_;
    };

    void Process(std::uint8_t* picture, long bytes) override;
    void Adjust(std::uint8_t* picture, long bytes, const CMediaType& type, const PictureAdjustment& adjustment);

    std::mutex m_valuesLock;
    std::array<int, PictureAdjustment::kValueCount> m_values {};
    LONG m_count = PictureAdjustment::kValueCount;
    PictureAdjustment m_adjustment;  // made from m_values, under m_valuesLock
    CLSID m_replaced = GUID_NULL;
    Target m_target {*this};
    Values m_valuesInterface {*this};
};

}  // namespace movanta::outside
