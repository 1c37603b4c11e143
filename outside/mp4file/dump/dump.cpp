#include "dump.h"

#include <cstdarg>
#include <cstdio>
#include <set>

namespace mp4file {
namespace {

const std::set<std::string> kContainers = {"moov", "trak", "mdia", "minf", "dinf", "stbl", "udta", "hnti",
                                           "edts", "mvex", "moof", "traf", "mfra", "tref", "hinf", "sinf"};

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

std::string Printable(const std::string& code) {
    std::string out;
    for (char c : code) out.push_back(c >= 0x20 && c < 0x7F ? c : '?');
    return out;
}

std::string Hex(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t count) {
    std::string text;
    for (std::size_t i = from; i < bytes.size() && i < from + count; ++i) text += Printf("%02X", bytes[i]);
    return text;
}

class Dumper {
public:
    Dumper(BoxReader& reader, std::string& out) : reader_(reader), out_(out) {}

    void Boxes(const std::vector<Box>& boxes, int depth) {
        for (const Box& box : boxes) One(box, depth);
    }
    bool damaged = false;

private:
    void Line(int depth, const std::string& text) { out_ += std::string(depth * 2, ' ') + text + "\n"; }

    void One(const Box& box, int depth) {
        Line(depth, Printf("[%s] size=%llu", Printable(box.type).c_str(), static_cast<unsigned long long>(box.size)));
        if (depth > 32) return;
        if (kContainers.count(box.type) != 0) {
            Boxes(reader_.Children(box, 0, &damaged), depth + 1);
            return;
        }
        if (box.type == "mdat" || box.type == "free" || box.type == "skip") return;
        const std::vector<std::uint8_t> payload = reader_.Payload(box);
        FieldReader in(payload);
        Fields(box, in, payload, depth + 1);
        if (in.Failed()) {
            Line(depth + 1, "(cut short)");
            damaged = true;
        }
    }

    void Fields(const Box& box, FieldReader& in, const std::vector<std::uint8_t>& payload, int depth) {
        const std::string& type = box.type;
        if (type == "ftyp") {
            std::string line = "major=" + Printable(in.FourCC());
            line += Printf(" minor=%llu compatible=", static_cast<unsigned long long>(in.Read(4)));
            while (in.Remaining() >= 4) line += Printable(in.FourCC()) + " ";
            Line(depth, line);
        } else if (type == "mvhd" || type == "mdhd") {
            const int version = static_cast<int>(in.Read(1));
            in.Skip(3 + (version == 1 ? 16 : 8));
            const auto scale = in.Read(4);
            const auto duration = in.Read(version == 1 ? 8 : 4);
            std::string line = Printf("timescale=%llu duration=%llu", static_cast<unsigned long long>(scale),
                                      static_cast<unsigned long long>(duration));
            if (type == "mvhd") {
                in.Skip(4 + 2 + 10 + 36 + 24);
                line += Printf(" next_track_ID=%llu", static_cast<unsigned long long>(in.Read(4)));
            }
            Line(depth, line);
        } else if (type == "tkhd") {
            const int version = static_cast<int>(in.Read(1));
            const auto flags = in.Read(3);
            in.Skip(version == 1 ? 16 : 8);
            const auto id = in.Read(4);
            in.Skip(4);
            const auto duration = in.Read(version == 1 ? 8 : 4);
            in.Skip(8 + 8 + 36);
            const auto width = in.Read(4) >> 16;
            const auto height = in.Read(4) >> 16;
            Line(depth, Printf("track_ID=%llu flags=%llu duration=%llu width=%llu height=%llu",
                               static_cast<unsigned long long>(id), static_cast<unsigned long long>(flags),
                               static_cast<unsigned long long>(duration), static_cast<unsigned long long>(width),
                               static_cast<unsigned long long>(height)));
        } else if (type == "hdlr") {
            in.Skip(8);
            Line(depth, "handler=" + Printable(in.FourCC()));
        } else if (type == "iods") {
            in.Skip(4);
            const auto tag = in.Read(1);
            while (in.Remaining() > 0 && (in.Read(1) & 0x80) != 0) {
            }
            in.Skip(2);
            const auto od = in.Read(1);
            const auto scene = in.Read(1);
            const auto audio = in.Read(1);
            const auto visual = in.Read(1);
            Line(depth, Printf("tag=0x%02llX od=0x%02llX scene=0x%02llX audio=0x%02llX visual=0x%02llX",
                               static_cast<unsigned long long>(tag), static_cast<unsigned long long>(od),
                               static_cast<unsigned long long>(scene), static_cast<unsigned long long>(audio),
                               static_cast<unsigned long long>(visual)));
        } else if (type == "stsd") {
            in.Skip(4);
            Line(depth, Printf("entries=%llu", static_cast<unsigned long long>(in.Read(4))));
            for (const Box& entry : reader_.Children(box, 8, &damaged)) SampleEntry(entry, depth);
        } else if (type == "stts") {
            in.Skip(4);
            const auto entries = in.Read(4);
            unsigned long long samples = 0;
            unsigned long long duration = 0;
            for (std::uint64_t i = 0; i < entries && !in.Failed(); ++i) {
                const auto count = in.Read(4);
                const auto delta = in.Read(4);
                samples += count;
                duration += count * delta;
            }
            Line(depth, Printf("entries=%llu samples=%llu duration=%llu", static_cast<unsigned long long>(entries),
                               samples, duration));
        } else if (type == "stsz") {
            in.Skip(4);
            const auto constant = in.Read(4);
            Line(depth, Printf("sample_size=%llu samples=%llu", static_cast<unsigned long long>(constant),
                               static_cast<unsigned long long>(in.Read(4))));
        } else if (type == "stss" || type == "stco" || type == "co64" || type == "stsc" || type == "ctts") {
            in.Skip(4);
            Line(depth, Printf("entries=%llu", static_cast<unsigned long long>(in.Read(4))));
        } else if (type == "hint") {
            std::string line = "tracks=";
            while (in.Remaining() >= 4) line += Printf("%llu ", static_cast<unsigned long long>(in.Read(4)));
            Line(depth, line);
        } else if (type == "sdp " || type == "rtp ") {
            std::string text(payload.begin() + (type == "rtp " ? 4 : 0), payload.end());
            std::size_t start = 0;
            while (start < text.size()) {
                std::size_t end = text.find('\n', start);
                if (end == std::string::npos) end = text.size();
                std::string line = text.substr(start, end - start);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                Line(depth, "sdp: " + Printable(line));
                start = end + 1;
            }
        }
    }

    void SampleEntry(const Box& entry, int depth) {
        const std::vector<std::uint8_t> payload = reader_.Payload(entry);
        FieldReader in(payload);
        in.Skip(8);  // reserved and data reference index
        std::string line = "[" + Printable(entry.type) + "]";
        std::uint64_t childStart = 8;
        if (entry.type == "mp4v" || entry.type == "s263" || entry.type == "avc1" || entry.type == "hvc1") {
            in.Skip(16);
            line += Printf(" width=%llu", static_cast<unsigned long long>(in.Read(2)));
            line += Printf(" height=%llu", static_cast<unsigned long long>(in.Read(2)));
            childStart = 78;
        } else if (entry.type == "mp4a" || entry.type == "samr" || entry.type == "sawb") {
            in.Skip(8);
            line += Printf(" channels=%llu", static_cast<unsigned long long>(in.Read(2)));
            in.Skip(6);
            line += Printf(" samplerate=%llu", static_cast<unsigned long long>(in.Read(4) >> 16));
            childStart = 28;
        } else if (entry.type == "rtp ") {
            in.Skip(4);
            line += Printf(" max_packet_size=%llu", static_cast<unsigned long long>(in.Read(4)));
            childStart = 16;
        }
        Line(depth, line);
        for (const Box& child : reader_.Children(entry, childStart, &damaged)) Configuration(child, depth + 1);
    }

    void Configuration(const Box& box, int depth) {
        const std::vector<std::uint8_t> payload = reader_.Payload(box);
        FieldReader in(payload);
        std::string line = "[" + Printable(box.type) + "]";
        if (box.type == "d263") {
            line += " vendor=" + Printable(in.FourCC());
            in.Skip(1);
            line += Printf(" level=%llu", static_cast<unsigned long long>(in.Read(1)));
            line += Printf(" profile=%llu", static_cast<unsigned long long>(in.Read(1)));
        } else if (box.type == "damr") {
            line += " vendor=" + Printable(in.FourCC());
            in.Skip(1);
            line += Printf(" mode_set=0x%04llX", static_cast<unsigned long long>(in.Read(2)));
            line += Printf(" mode_change_period=%llu", static_cast<unsigned long long>(in.Read(1)));
            line += Printf(" frames_per_sample=%llu", static_cast<unsigned long long>(in.Read(1)));
        } else if (box.type == "tims") {
            line += Printf(" timescale=%llu", static_cast<unsigned long long>(in.Read(4)));
        } else if (box.type == "esds") {
            line += Descriptors(payload);
        }
        Line(depth, line);
    }

    // The object type and decoder-specific configuration of an "esds".
    static std::string Descriptors(const std::vector<std::uint8_t>& payload) {
        std::string text;
        std::size_t at = 4;
        while (at + 2 <= payload.size()) {
            const std::uint8_t tag = payload[at++];
            std::size_t length = 0;
            for (int i = 0; i < 4 && at < payload.size(); ++i) {
                const std::uint8_t b = payload[at++];
                length = (length << 7) | (b & 0x7F);
                if ((b & 0x80) == 0) break;
            }
            if (tag == 0x03) {
                at += 3;  // ES_ID and flags; the descriptors inside follow
            } else if (tag == 0x04) {
                if (at + 13 > payload.size()) break;
                text += Printf(" object_type=0x%02X stream_type=%u buffer=%u max_bitrate=%u avg_bitrate=%u",
                               payload[at], payload[at + 1] >> 2,
                               (unsigned(payload[at + 2]) << 16) | (unsigned(payload[at + 3]) << 8) | payload[at + 4],
                               (unsigned(payload[at + 5]) << 24) | (unsigned(payload[at + 6]) << 16) |
                                   (unsigned(payload[at + 7]) << 8) | payload[at + 8],
                               (unsigned(payload[at + 9]) << 24) | (unsigned(payload[at + 10]) << 16) |
                                   (unsigned(payload[at + 11]) << 8) | payload[at + 12]);
                at += 13;
            } else if (tag == 0x05) {
                text += " config=" + Hex(payload, at, length);
                at += length;
            } else {
                at += length;
            }
        }
        return text;
    }

    BoxReader& reader_;
    std::string& out_;
};

}  // namespace

bool DumpFile(const std::string& path, std::string& out) {
    auto reader = BoxReader::Open(path);
    if (!reader) return false;
    Dumper dumper(*reader, out);
    bool damaged = false;
    dumper.Boxes(reader->TopLevel(&damaged), 0);
    return !damaged && !dumper.damaged;
}

}  // namespace mp4file
