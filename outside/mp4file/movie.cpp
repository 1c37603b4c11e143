// The movie box: the header, the initial object descriptor and one track
// box per track. Times are 0: files are the same bytes for the same input.
#include <algorithm>

#include "writer.h"

namespace mp4file {
namespace {

constexpr std::uint32_t kUnityMatrix[9] = {0x00010000, 0, 0, 0, 0x00010000, 0, 0, 0, 0x40000000};

std::uint64_t Rescale(std::uint64_t value, std::uint32_t from, std::uint32_t to) {
    if (from == 0) return 0;
    return (value * to + from / 2) / from;
}

void Matrix(BoxWriter& out) {
    for (std::uint32_t value : kUnityMatrix) out.U32(value);
}

// Creation and modification times; 64-bit in version 1 boxes, which are
// used only when a duration does not fit 32 bits.
void CreationTimes(BoxWriter& out, bool wide) { out.Zeros(wide ? 16 : 8); }

void MovieHeader(BoxWriter& out, const Writer& writer, std::uint64_t duration) {
    const bool wide = duration > 0xFFFFFFFFu;
    out.BeginFull("mvhd", wide ? 1 : 0, 0);
    CreationTimes(out, wide);
    out.U32(writer.movieTimeScale);
    wide ? out.U64(duration) : out.U32(static_cast<std::uint32_t>(duration));
    out.U32(0x00010000);  // rate 1.0
    out.U16(0x0100);      // volume 1.0
    out.Zeros(10);
    Matrix(out);
    out.Zeros(24);  // pre_defined
    out.U32(static_cast<std::uint32_t>(writer.Tracks().size() + 1));  // next_track_ID
    out.End();
}

void InitialObjectDescriptor(BoxWriter& out, const Writer& writer) {
    out.BeginFull("iods", 0, 0);
    out.BeginDescriptor(0x10);  // MP4_IOD_Tag
    out.U16((1 << 6) | 0x0F);   // ObjectDescriptorID 1, no URL, no inline profiles, reserved bits
    out.U8(0xFF);               // OD profile: none required
    out.U8(0xFF);               // scene profile
    out.U8(writer.audioProfileLevel);
    out.U8(writer.visualProfileLevel);
    out.U8(0xFF);  // graphics profile
    for (const auto& track : writer.Tracks()) {
        if (track->handler == "hint") continue;
        out.BeginDescriptor(0x0E);  // ES_ID_Inc
        out.U32(track->id);
        out.EndDescriptor();
    }
    out.EndDescriptor();
    out.End();
}

void TrackHeader(BoxWriter& out, const Writer& writer, const Track& track) {
    const std::uint64_t duration = Rescale(track.samples.Duration(), track.timeScale, writer.movieTimeScale);
    const bool wide = duration > 0xFFFFFFFFu;
    const std::uint32_t flags = track.handler == "hint" ? 0 : 0x7;  // enabled, in movie, in preview
    out.BeginFull("tkhd", wide ? 1 : 0, flags);
    CreationTimes(out, wide);
    out.U32(track.id);
    out.U32(0);
    wide ? out.U64(duration) : out.U32(static_cast<std::uint32_t>(duration));
    out.Zeros(8);
    out.U16(0);  // layer
    out.U16(0);  // alternate group
    out.U16(track.handler == "soun" ? 0x0100 : 0);
    out.U16(0);
    Matrix(out);
    out.U32(track.IsVisual() ? static_cast<std::uint32_t>(track.width) << 16 : 0);
    out.U32(track.IsVisual() ? static_cast<std::uint32_t>(track.height) << 16 : 0);
    out.End();
}

void MediaHeader(BoxWriter& out, const Track& track) {
    const std::uint64_t duration = track.samples.Duration();
    const bool wide = duration > 0xFFFFFFFFu;
    out.BeginFull("mdhd", wide ? 1 : 0, 0);
    CreationTimes(out, wide);
    out.U32(track.timeScale);
    wide ? out.U64(duration) : out.U32(static_cast<std::uint32_t>(duration));
    out.U16(0x55C4);  // language "und"
    out.U16(0);
    out.End();
}

void Handler(BoxWriter& out, const Track& track) {
    out.BeginFull("hdlr", 0, 0);
    out.U32(0);
    out.FourCC(track.handler);
    out.Zeros(12);
    const std::string name = track.handler == "vide" ? "Video" : track.handler == "soun" ? "Sound" : "Hint";
    out.FixedString(name + "Handler", name.size() + 8);  // zero-terminated
    out.End();
}

void MediaInformationHeader(BoxWriter& out, const Track& track) {
    if (track.handler == "vide") {
        out.BeginFull("vmhd", 0, 1);
        out.Zeros(8);
        out.End();
    } else if (track.handler == "soun") {
        out.BeginFull("smhd", 0, 0);
        out.Zeros(4);
        out.End();
    } else {
        const std::uint32_t count = track.samples.Count();
        const std::uint64_t seconds = track.timeScale == 0 ? 0 : track.samples.Duration() / track.timeScale;
        out.BeginFull("hmhd", 0, 0);
        out.U16(track.maxPacketSize);
        out.U16(count == 0 ? 0 : static_cast<std::uint32_t>(track.samples.TotalBytes() / count));
        out.U32(track.samples.MaxBytesPerSecond(track.timeScale) * 8);
        out.U32(seconds == 0 ? 0 : static_cast<std::uint32_t>(track.samples.TotalBytes() * 8 / seconds));
        out.U32(0);
        out.End();
    }
    out.Begin("dinf");
    out.BeginFull("dref", 0, 0);
    out.U32(1);
    out.BeginFull("url ", 0, 1);  // the data is in this file
    out.End();
    out.End();
    out.End();
}

void TrackBox(BoxWriter& out, const Writer& writer, const Track& track, bool largeOffsets) {
    out.Begin("trak");
    TrackHeader(out, writer, track);
    if (track.hintedTrack != MP4_INVALID_TRACK_ID) {
        out.Begin("tref");
        out.Begin("hint");
        out.U32(track.hintedTrack);
        out.End();
        out.End();
    }
    out.Begin("mdia");
    MediaHeader(out, track);
    Handler(out, track);
    out.Begin("minf");
    MediaInformationHeader(out, track);
    out.Begin("stbl");
    out.BeginFull("stsd", 0, 0);
    out.U32(1);
    WriteSampleEntry(out, track);
    out.End();
    track.samples.WriteTimes(out);
    track.samples.WriteSync(out);
    track.samples.WriteLayout(out, largeOffsets);
    out.End();  // stbl
    out.End();  // minf
    out.End();  // mdia
    if (!track.sdp.empty()) {
        out.Begin("udta");
        out.Begin("hnti");
        out.Begin("sdp ");
        out.Bytes(reinterpret_cast<const std::uint8_t*>(track.sdp.data()), track.sdp.size());
        out.End();
        out.End();
        out.End();
    }
    out.End();  // trak
}

}  // namespace

std::vector<std::uint8_t> MovieBox(const Writer& writer, bool addIods, bool largeOffsets) {
    std::uint64_t duration = 0;
    for (const auto& track : writer.Tracks()) {
        duration = std::max(duration, Rescale(track->samples.Duration(), track->timeScale, writer.movieTimeScale));
    }
    BoxWriter out;
    out.Begin("moov");
    MovieHeader(out, writer, duration);
    if (addIods) InitialObjectDescriptor(out, writer);
    for (const auto& track : writer.Tracks()) TrackBox(out, writer, *track, largeOffsets);
    out.End();
    return out.Data();
}

}  // namespace mp4file
