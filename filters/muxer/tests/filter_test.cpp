// The writer filter through its pins and interfaces: samples pushed by a
// small upstream filter, a clock of the test's own.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "box_reader.h"
#include "com/com_ptr.h"
#include "com/comapi.h"
#include "com/server_file.h"
#include "dshow/media_subtypes.h"
#include "dshow/setup.h"
#include "dump.h"
#include "muxer_clock.h"
#include "muxer_filter.h"
#include "testing/media.h"
#include "testing/testing.h"
#include "win/text.h"

namespace {

using movanta::muxer::CMp4SysMuxer;

constexpr REFERENCE_TIME kSecond = UNITS;

class FakeClock final : public movanta::muxer::MuxerClock {
public:
    DWORD Ticks() override { return now; }
    void Sleep(DWORD milliseconds) override {
        now += milliseconds;
        slept += milliseconds;
        if (whileSleeping) whileSleeping();
    }
    DWORD now = 100000;
    DWORD slept = 0;
    std::function<void()> whileSleeping;  // what other threads do meanwhile
};

// An upstream filter with one output pin of one media type.
class StubSource final : public CBaseFilter {
public:
    StubSource(const GUID& major, const GUID& subtype)
        : CBaseFilter(L"Stub", nullptr, &lock_, GUID_NULL), pin_(this, major, subtype) {
        NonDelegatingAddRef();  // lives on the test's stack: the count never falls to zero
    }
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int index) override { return index == 0 ? &pin_ : nullptr; }
    CBaseOutputPin& Pin() { return pin_; }

    HRESULT Send(const std::vector<std::uint8_t>& bytes, REFERENCE_TIME start, REFERENCE_TIME stop) {
        ComPtr<IMediaSample> sample;
        HRESULT hr = pin_.GetDeliveryBuffer(sample.Receive(), nullptr, nullptr, 0);
        if (FAILED(hr)) return hr;
        BYTE* data = nullptr;
        sample->GetPointer(&data);
        std::memcpy(data, bytes.data(), bytes.size());
        sample->SetActualDataLength(static_cast<LONG>(bytes.size()));
        sample->SetTime(&start, &stop);
        return pin_.Deliver(sample.Get());
    }

private:
    class OutputPin final : public CBaseOutputPin {
    public:
        OutputPin(StubSource* filter, const GUID& major, const GUID& subtype)
            : CBaseOutputPin(L"Stub output", filter, &filter->lock_, nullptr, L"Output") {
            type_.SetType(&major);
            type_.SetSubtype(&subtype);
            type_.SetFormatType(&FORMAT_None);
        }
        HRESULT CheckMediaType(const CMediaType* type) override { return *type == type_ ? S_OK : S_FALSE; }
        HRESULT GetMediaType(int position, CMediaType* type) override {
            if (position != 0) return VFW_S_NO_MORE_ITEMS;
            *type = type_;
            return S_OK;
        }
        HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES*) override {
            ALLOCATOR_PROPERTIES request {2, 512 * 1024, 1, 0};
            ALLOCATOR_PROPERTIES actual {};
            return allocator->SetProperties(&request, &actual);
        }
        CMediaType type_;
    };
    CCritSec lock_;
    OutputPin pin_;
};

class FilterTest : public ::testing::Test {
protected:
    void SetUp() override {
        movanta::muxer::SetMuxerClock(&clock_);
        HRESULT hr = S_OK;
        muxer_ = static_cast<CMp4SysMuxer*>(CMp4SysMuxer::CreateInstance(nullptr, &hr));
        muxer_->NonDelegatingAddRef();
        muxer_->NonDelegatingQueryInterface(IID_IBaseFilter, filter_.ReceiveVoid());
        muxer_->NonDelegatingQueryInterface(IID_ITxMuxer, tx_.ReceiveVoid());
        muxer_->NonDelegatingQueryInterface(IID_IFileSinkFilter, sink_.ReceiveVoid());
        ASSERT_TRUE(filter_ && tx_ && sink_);
    }
    void TearDown() override {
        Finish();
        owned_.clear();
        movanta::muxer::SetMuxerClock(nullptr);
    }
    // An upstream filter connected to pin 0 (video) or 1 (audio); it lives
    // until the writer is released.
    StubSource& Add(const GUID& major, const GUID& subtype, int pin) {
        owned_.push_back(std::make_unique<StubSource>(major, subtype));
        StubSource& source = *owned_.back();
        CBasePin* input = pin == 0 ? muxer_->VideoPin() : muxer_->AudioPin();
        EXPECT_EQ(source.Pin().Connect(input, nullptr), S_OK);
        sources_.push_back(&source);
        return source;
    }
    void Open(const std::string& name, LONGLONG start, LONGLONG end) {
        path_ = dir_.File(name);
        ASSERT_EQ(sink_->SetFileName(movanta::Utf8ToWide(path_).c_str(), nullptr), S_OK);
        ASSERT_EQ(tx_->SetDstResulotion(start, end, 176, 144), 0);
        ASSERT_EQ(tx_->StartStreaming(), 0);
        for (StubSource* source : sources_) source->Pause();
        ASSERT_EQ(filter_->Pause(), S_OK);
        ASSERT_EQ(filter_->Run(0), S_OK);
    }
    // Stops, disconnects and releases the writer, which closes the file.
    void Finish() {
        if (muxer_ == nullptr) return;
        filter_->Stop();
        for (StubSource* source : sources_) {
            source->Stop();
            if (IPin* peer = source->Pin().GetConnected()) peer->Disconnect();
            source->Pin().Disconnect();
        }
        sources_.clear();
        sink_.Reset();
        tx_.Reset();
        filter_.Reset();
        muxer_->NonDelegatingRelease();
        muxer_ = nullptr;
    }
    int Status() {
        int status = -1;
        tx_->GetStatus(nullptr, nullptr, &status);
        return status;
    }
    static std::vector<std::uint8_t> Picture(std::uint8_t mark) {
        std::vector<std::uint8_t> picture = {0x00, 0x00, 0x80, 0x02, 0x08};  // QCIF intra
        picture.resize(300, mark);
        return picture;
    }
    std::string Dump() {
        std::string text;
        EXPECT_TRUE(mp4file::DumpFile(path_, text)) << text;
        return text;
    }

    FakeClock clock_;
    movanta::testing::TempDir dir_;
    CMp4SysMuxer* muxer_ = nullptr;
    ComPtr<IBaseFilter> filter_;
    ComPtr<ITxMuxer> tx_;
    ComPtr<IFileSinkFilter> sink_;
    std::vector<StubSource*> sources_;
    std::vector<std::unique_ptr<StubSource>> owned_;
    std::string path_;
};

TEST_F(FilterTest, ARangeEndsTheVideoAtItsEndWritingTheHeldSampleUpToIt) {
    StubSource& video = Add(MEDIATYPE_Video, MEDIASUBTYPE_H263, 0);
    Open("range.3gp", 0, 10 * kSecond);
    for (int i = 0; i <= 25; ++i) {
        const REFERENCE_TIME start = i * 4000000;  // every 0.4 s up to 10.0 s
        EXPECT_EQ(video.Send(Picture(std::uint8_t(i)), start, start + 4000000), S_OK) << i;
    }
    EXPECT_EQ(Status(), TRXMUXER_STATUS_END);
    const DWORD before = clock_.slept;
    EXPECT_EQ(video.Send(Picture(99), 26 * 4000000, 27 * 4000000), S_FALSE) << "the stream has ended";
    EXPECT_EQ(clock_.slept - before, 500u);
    LONGLONG position = 0;
    LONGLONG size = 0;
    int status = 0;
    tx_->GetStatus(&position, &size, &status);
    EXPECT_EQ(size, 25 * 300);
    Finish();
    const auto streams = movanta::testing::ReadBack(path_);
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].packets.size(), 25u);
    EXPECT_NEAR(streams[0].seconds, 10.0, 0.001);
}

TEST_F(FilterTest, AnOpenRangeWritesEverySampleAndTheLastAtClose) {
    StubSource& video = Add(MEDIATYPE_Video, MEDIASUBTYPE_H263, 0);
    Open("open.3gp", -1, 10 * kSecond);
    for (int i = 0; i < 40; ++i) video.Send(Picture(std::uint8_t(i)), i * 4000000, (i + 1) * 4000000);
    EXPECT_EQ(Status(), TRXMUXER_STATUS_RUNNING);
    Finish();
    const auto streams = movanta::testing::ReadBack(path_);
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].packets.size(), 40u);
    EXPECT_NEAR(streams[0].seconds, 16.0, 0.001);
}

TEST_F(FilterTest, TheLastDurationComesFromTheStartsOrTheStopOrFortyMilliseconds) {
    struct Case {
        REFERENCE_TIME secondStart;
        REFERENCE_TIME secondStop;
        const char* total;  // stts duration in milliseconds
    };
    // First sample at 0.4 s; the last one (written at close) takes the
    // computed duration: the gap to the previous start when it is in range,
    // else stop - start when that is, else 40 ms.
    const Case cases[] = {{8000000, 12000000, "duration=1200"},
                          {4000000, 6500000, "duration=650"},
                          {4000000, 4000000, "duration=440"},
                          {204000000, 204000000, "duration=20440"}};
    int n = 0;
    for (const Case& c : cases) {
        StubSource& video = Add(MEDIATYPE_Video, MEDIASUBTYPE_H263, 0);
        Open("duration" + std::to_string(n++) + ".3gp", -1, 0);
        video.Send(Picture(1), 0, 4000000);
        video.Send(Picture(2), 4000000, 8000000);
        video.Send(Picture(3), c.secondStart, c.secondStop);
        Finish();
        const std::string text = Dump();
        EXPECT_NE(text.find(std::string("samples=3 ") + c.total + "\n"), std::string::npos) << c.total << "\n" << text;
        SetUp();
    }
}

TEST_F(FilterTest, VideoAheadOfAudioIsHeldFourRoundsAndNotAgainWithinASecond) {
    StubSource& video = Add(MEDIATYPE_Video, MEDIASUBTYPE_H263, 0);
    StubSource& audio = Add(MEDIATYPE_Audio, MEDIASUBTYPE_AMR, 1);
    Open("hold.3gp", -1, 0);
    std::vector<std::uint8_t> amr = {'#', '!', 'A', 'M', 'R', '\n', 0x3C};
    amr.resize(38, 0x44);
    ASSERT_EQ(audio.Send(amr, 0, 200000), S_OK);
    ASSERT_EQ(video.Send(Picture(1), 3 * kSecond, 3 * kSecond + 400000), S_OK);  // video time now 3 s
    EXPECT_EQ(clock_.slept, 0u);
    ASSERT_EQ(video.Send(Picture(2), 3 * kSecond + 400000, 3 * kSecond + 800000), S_OK);
    EXPECT_EQ(clock_.slept, 2000u) << "four rounds of 500 ms";
    ASSERT_EQ(video.Send(Picture(3), 3 * kSecond + 800000, 4 * kSecond), S_OK);
    EXPECT_EQ(clock_.slept, 2000u) << "held again within 1000 ms";
    clock_.now += 1001;
    ASSERT_EQ(video.Send(Picture(4), 4 * kSecond, 4 * kSecond + 400000), S_OK);
    EXPECT_EQ(clock_.slept, 4000u);
    clock_.now += 1001;
    std::vector<std::uint8_t> frame = {0x3C};
    frame.resize(32, 0x45);
    ASSERT_EQ(audio.Send(frame, 3 * kSecond, 3 * kSecond + 200000), S_OK);
    ASSERT_EQ(video.Send(Picture(5), 4 * kSecond + 400000, 5 * kSecond), S_OK);
    EXPECT_EQ(clock_.slept, 4000u) << "audio caught up: no hold";
}

TEST_F(FilterTest, AHoldEndsAsSoonAsTheOtherStreamEnds) {
    StubSource& video = Add(MEDIATYPE_Video, MEDIASUBTYPE_H263, 0);
    StubSource& audio = Add(MEDIATYPE_Audio, MEDIASUBTYPE_AMR, 1);
    Open("end.3gp", -1, 0);
    std::vector<std::uint8_t> amr = {'#', '!', 'A', 'M', 'R', '\n', 0x3C};
    amr.resize(38, 0x44);
    ASSERT_EQ(audio.Send(amr, 0, 200000), S_OK);
    ASSERT_EQ(video.Send(Picture(1), 3 * kSecond, 3 * kSecond + 400000), S_OK);
    // The audio stream ends 120 ms into the hold.
    IPin* pin = nullptr;
    filter_->FindPin(L"Audio", &pin);
    ASSERT_NE(pin, nullptr);
    clock_.whileSleeping = [&] {
        if (clock_.slept >= 120 && pin != nullptr) {
            pin->EndOfStream();
            pin->Release();
            pin = nullptr;
        }
    };
    ASSERT_EQ(video.Send(Picture(2), 3 * kSecond + 400000, 3 * kSecond + 800000), S_OK);
    EXPECT_EQ(clock_.slept, 120u) << "not the rest of four rounds of 500 ms";
    clock_.whileSleeping = nullptr;
}

TEST_F(FilterTest, FileNamesAndStatus) {
    EXPECT_EQ(Status(), TRXMUXER_STATUS_ERROR) << "no connected pin";
    EXPECT_EQ(sink_->SetFileName(nullptr, nullptr), E_POINTER);
    const std::wstring tooLong(261, L'a');
    EXPECT_EQ(sink_->SetFileName(tooLong.c_str(), nullptr), 206);
    LPOLESTR name = nullptr;
    ASSERT_EQ(sink_->GetCurFile(&name, nullptr), S_OK);
    EXPECT_EQ(name, nullptr) << "nothing was opened";

    StubSource& video = Add(MEDIATYPE_Video, MEDIASUBTYPE_H263, 0);
    Open("status.3gp", -1, 0);
    ASSERT_EQ(sink_->GetCurFile(&name, nullptr), S_OK);
    EXPECT_EQ(movanta::WideToUtf8(name), path_);
    CoTaskMemFree(name);
    EXPECT_EQ(Status(), TRXMUXER_STATUS_RUNNING);
    clock_.now += 60001;
    EXPECT_EQ(Status(), TRXMUXER_STATUS_ERROR) << "a minute without samples";
    video.Send(Picture(1), 0, 400000);
    EXPECT_EQ(Status(), TRXMUXER_STATUS_RUNNING);
    clock_.now -= 1;  // the status read its time just before the pin stamped its own
    EXPECT_EQ(Status(), TRXMUXER_STATUS_RUNNING) << "a sample newer than now is no stall";
    clock_.now += 1;
    IPin* pin = nullptr;
    filter_->FindPin(L"Video", &pin);
    ASSERT_NE(pin, nullptr);
    pin->EndOfStream();
    pin->Release();
    EXPECT_EQ(Status(), TRXMUXER_STATUS_END);
}

TEST_F(FilterTest, Mpeg4AndAacThroughThePinsGiveAHintedFile) {
    StubSource& video = Add(MEDIATYPE_Video, MEDIASUBTYPE_XVID, 0);
    StubSource& audio = Add(MEDIATYPE_Audio, MEDIASUBTYPE_AAC, 1);
    Open("clip.mp4", -1, 0);
    const auto encoded = movanta::testing::EncodeVideo("mpeg4", 25);
    for (size_t i = 0; i < encoded.units.size(); ++i) {
        std::vector<std::uint8_t> picture = encoded.units[i].data;
        if (i == 0) picture.insert(picture.begin(), encoded.config.begin(), encoded.config.end());
        ASSERT_EQ(video.Send(picture, i * 400000, (i + 1) * 400000), S_OK);
        std::vector<std::uint8_t> adts = {0xFF, 0xF1, 0x50, 0x80, 0x0E, 0x1F, 0xFC};  // LC, 44100 Hz, stereo, 112 bytes
        adts.resize(112, std::uint8_t(i));
        ASSERT_EQ(audio.Send(adts, i * 400000, (i + 1) * 400000), S_OK);
    }
    Finish();
    const std::string text = Dump();
    EXPECT_NE(text.find("handler=hint"), std::string::npos) << text;
    EXPECT_NE(text.find("object_type=0x40"), std::string::npos) << text;
    const auto streams = movanta::testing::ReadBack(path_);
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[0].packets.size() + streams[1].packets.size(), 50u);
}

TEST(BoxmuxPluginTest, RegistersTheFilterAndAnswersItsInterfaces) {
    movanta::testing::ScopedRegistry registry;
    std::string error;
    ASSERT_EQ(movanta::RegisterServerFile(BOXMUX_PATH, true, error), movanta::ServerFileResult::Done) << error;
    const auto filters = movanta::dshow::RegisteredFilters();
    ASSERT_EQ(filters.size(), 1u);
    EXPECT_EQ(filters[0].name, L"TRX Mp4 Muxer");
    EXPECT_EQ(filters[0].merit, MERIT_DO_NOT_USE);
    ASSERT_EQ(filters[0].pins.size(), 1u);
    EXPECT_EQ(filters[0].pins[0].name, L"Input");

    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(CoCreateInstance(CLSID_Mp4Muxer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.ReceiveVoid()),
              S_OK);
    auto tx = filter.As<ITxMuxer>(IID_ITxMuxer);
    auto sink = filter.As<IFileSinkFilter>(IID_IFileSinkFilter);
    ASSERT_TRUE(tx && sink);
    ComPtr<IUnknown> one;
    ComPtr<IUnknown> two;
    filter->QueryInterface(IID_IUnknown, one.ReceiveVoid());
    tx->QueryInterface(IID_IUnknown, two.ReceiveVoid());
    EXPECT_EQ(one.Get(), two.Get());
    ComPtr<IPin> video;
    ComPtr<IPin> audio;
    EXPECT_EQ(filter->FindPin(L"Video", video.Receive()), S_OK);
    EXPECT_EQ(filter->FindPin(L"Audio", audio.Receive()), S_OK);
    int status = -1;
    tx->GetStatus(nullptr, nullptr, &status);
    EXPECT_EQ(status, TRXMUXER_STATUS_ERROR);
}

}  // namespace
