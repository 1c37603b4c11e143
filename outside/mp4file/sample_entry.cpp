// Sample description entries: "mp4v" and "mp4a" with "esds", "s263" with
// "d263", "samr"/"sawb" with "damr", and "rtp " with "tims".
#include "writer.h"

namespace mp4file {
namespace {

constexpr char kVendor[] = "MVNT";

void SampleEntryStart(BoxWriter& out, const char* type) {
    out.Begin(type);
    out.Zeros(6);
    out.U16(1);  // data reference index
}

void VisualEntry(BoxWriter& out, const Track& track, const char* type) {
    SampleEntryStart(out, type);
    out.Zeros(16);  // pre_defined and reserved
    out.U16(track.width);
    out.U16(track.height);
    out.U32(0x00480000);  // 72 dpi
    out.U32(0x00480000);
    out.U32(0);
    out.U16(1);          // frames per sample
    out.Zeros(32);       // compressor name
    out.U16(0x0018);     // depth
    out.U16(0xFFFF);     // pre_defined -1
}

void AudioEntry(BoxWriter& out, const Track& track, const char* type) {
    SampleEntryStart(out, type);
    out.Zeros(8);
    out.U16(2);   // channel count (the configuration tells the real one)
    out.U16(16);  // sample size
    out.U32(0);
    out.U32(track.timeScale < 65536 ? track.timeScale << 16 : 0);
}

// ES_Descriptor with its decoder configuration (ISO/IEC 14496-1).
void ElementaryStreamDescriptor(BoxWriter& out, const Track& track, std::uint8_t streamType) {
    out.BeginFull("esds", 0, 0);
    out.BeginDescriptor(0x03);  // ES_DescrTag
    out.U16(track.id);
    out.U8(0);  // no dependency, URL or OCR stream
    out.BeginDescriptor(0x04);  // DecoderConfigDescrTag
    out.U8(track.objectType);
    out.U8((streamType << 2) | 0x01);  // upstream 0, reserved 1
    out.U24(track.samples.MaxSize());  // bufferSizeDB
    out.U32(track.samples.MaxBytesPerSecond(track.timeScale) * 8);
    const std::uint64_t duration = track.samples.Duration();
    out.U32(duration == 0 ? 0
                          : static_cast<std::uint32_t>(track.samples.TotalBytes() * 8 * track.timeScale / duration));
    if (!track.esConfig.empty()) {
        out.BeginDescriptor(0x05);  // DecSpecificInfoTag
        out.Bytes(track.esConfig.data(), track.esConfig.size());
        out.EndDescriptor();
    }
    out.EndDescriptor();
    out.BeginDescriptor(0x06);  // SLConfigDescrTag
    out.U8(2);                  // predefined: reserved for use in MP4 files
    out.EndDescriptor();
    out.EndDescriptor();
    out.End();
}

}  // namespace

void WriteSampleEntry(BoxWriter& out, const Track& track) {
    switch (track.kind) {
    case SampleEntryKind::Mpeg4Visual:
        VisualEntry(out, track, "mp4v");
        ElementaryStreamDescriptor(out, track, 0x04);  // visual stream
        break;
    case SampleEntryKind::H263:
        VisualEntry(out, track, "s263");
        out.Begin("d263");
        out.FourCC(kVendor);
        out.U8(0);  // decoder version
        out.U8(track.h263Level);
        out.U8(track.h263Profile);
        if (track.avgBitrate != 0 || track.maxBitrate != 0) {
            out.Begin("bitr");
            out.U32(track.avgBitrate);
            out.U32(track.maxBitrate);
            out.End();
        }
        out.End();
        break;
    case SampleEntryKind::MpegAudio:
        AudioEntry(out, track, "mp4a");
        ElementaryStreamDescriptor(out, track, 0x05);  // audio stream
        break;
    case SampleEntryKind::AmrNb:
    case SampleEntryKind::AmrWb:
        AudioEntry(out, track, track.kind == SampleEntryKind::AmrNb ? "samr" : "sawb");
        out.Begin("damr");
        out.FourCC(kVendor);
        out.U8(0);  // decoder version
        out.U16(track.amrModeSet);
        out.U8(track.amrModeChangePeriod);
        out.U8(track.amrFramesPerSample);
        out.End();
        break;
    case SampleEntryKind::RtpHint:
        SampleEntryStart(out, "rtp ");
        out.U16(1);  // hint track version
        out.U16(1);  // highest compatible version
        out.U32(track.maxPacketSize);
        out.Begin("tims");
        out.U32(track.timeScale);
        out.End();
        break;
    }
    out.End();
}

}  // namespace mp4file
