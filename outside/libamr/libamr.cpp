#include "libamr.h"

#include <cstring>
#include <new>

extern "C" {
#include <opencore-amrnb/interf_dec.h>
#include <opencore-amrnb/interf_enc.h>
}

namespace {

constexpr int kFrameSamples = 160;
constexpr std::int16_t kEncoderHomingSample = 0x0008;
constexpr int kMaxFrameBytes = 32;
constexpr int kSidType = 8;
constexpr int kNoDataType = 15;

// Payload bytes after the header byte, by frame type.
int PayloadBytes(int frameType) {
    static constexpr int kBytes[16] = {12, 13, 15, 17, 19, 20, 26, 31, 5, 0, 0, 0, 0, 0, 0, 0};
    return frameType >= 0 && frameType < 16 ? kBytes[frameType] : 0;
}

struct EncoderState {
    void* codec;
    int dtx;
};

struct SidState {
    int lastType;
};

// Laid out so that the previous mode is the fourth 32-bit field.
struct DecoderState {
    std::int32_t reserved[3];
    std::int32_t previousMode;
    void* codec;
};

// The header byte of the frame last encoded on this thread, for sid_sync.
thread_local std::uint8_t t_lastHeader = 0;

void StoreFrame(std::int16_t* parameters, const std::uint8_t* frame, int bytes) {
    parameters[0] = static_cast<std::int16_t>(bytes);
    for (int i = 0; i < bytes; ++i) parameters[1 + i] = frame[i];
}

}  // namespace

extern "C" {

void Speech_Encode_Frame_init(void** state, int dtx, const char*) {
    if (state == nullptr) return;
    auto* encoder = new (std::nothrow) EncoderState {Encoder_Interface_init(dtx), dtx};
    *state = encoder;
}

void Speech_Encode_Frame_reset(void* state) {
    auto* encoder = static_cast<EncoderState*>(state);
    if (encoder == nullptr) return;
    Encoder_Interface_exit(encoder->codec);
    encoder->codec = Encoder_Interface_init(encoder->dtx);
}

void Speech_Encode_Frame_exit(void** state) {
    if (state == nullptr || *state == nullptr) return;
    auto* encoder = static_cast<EncoderState*>(*state);
    Encoder_Interface_exit(encoder->codec);
    delete encoder;
    *state = nullptr;
}

int Speech_Encode_Frame(void* state, int mode, std::int16_t* speech, std::int16_t* parameters, int* usedMode) {
    auto* encoder = static_cast<EncoderState*>(state);
    if (encoder == nullptr || speech == nullptr || parameters == nullptr) return 0;
    if (mode < MR475 || mode > MR122) mode = MR122;
    std::uint8_t frame[kMaxFrameBytes + 1];
    int bytes = Encoder_Interface_Encode(encoder->codec, static_cast<Mode>(mode), speech, frame, 0);
    if (bytes < 1 || bytes > kMaxFrameBytes) {
        frame[0] = kNoDataType << 3;
        bytes = 1;
    }
    StoreFrame(parameters, frame, bytes);
    t_lastHeader = frame[0];
    const int type = (frame[0] >> 3) & 0x0F;
    const int used = type <= MR122 ? type : kSidType;
    if (usedMode != nullptr) *usedMode = used;
    return used;
}

std::int16_t encoder_homing_frame_test(const std::int16_t* speech) {
    if (speech == nullptr) return 0;
    for (int i = 0; i < kFrameSamples; ++i) {
        if (speech[i] != kEncoderHomingSample) return 0;
    }
    return 1;
}

void sid_sync_init(void** state) {
    if (state != nullptr) *state = new (std::nothrow) SidState {0};
}

void sid_sync_reset(void* state) {
    if (state != nullptr) static_cast<SidState*>(state)->lastType = 0;
}

void sid_sync_exit(void** state) {
    if (state == nullptr || *state == nullptr) return;
    delete static_cast<SidState*>(*state);
    *state = nullptr;
}

void sid_sync(void* state, int, int* txFrameType) {
    const int type = (t_lastHeader >> 3) & 0x0F;
    int tx = 0;
    if (type == kNoDataType) {
        tx = 3;
    } else if (type == kSidType) {
        // The SID type indicator (STI) follows the 35 comfort-noise bits.
        tx = 2;
    }
    if (state != nullptr) static_cast<SidState*>(state)->lastType = tx;
    if (txFrameType != nullptr) *txFrameType = tx;
}

std::int16_t PackBits(int, int, int, const std::int16_t* parameters, std::uint8_t* packed) {
    if (parameters == nullptr || packed == nullptr) return 0;
    const int bytes = parameters[0];
    if (bytes < 1 || bytes > kMaxFrameBytes) return 0;
    for (int i = 0; i < bytes; ++i) packed[i] = static_cast<std::uint8_t>(parameters[1 + i]);
    return static_cast<std::int16_t>(bytes);
}

void Speech_Decode_Frame_init(void** state, const char*) {
    if (state == nullptr) return;
    *state = new (std::nothrow) DecoderState {{0, 0, 0}, 0, Decoder_Interface_init()};
}

void Speech_Decode_Frame_reset(void* state) {
    auto* decoder = static_cast<DecoderState*>(state);
    if (decoder == nullptr) return;
    Decoder_Interface_exit(decoder->codec);
    decoder->codec = Decoder_Interface_init();
}

void Speech_Decode_Frame_exit(void** state) {
    if (state == nullptr || *state == nullptr) return;
    auto* decoder = static_cast<DecoderState*>(*state);
    Decoder_Interface_exit(decoder->codec);
    delete decoder;
    *state = nullptr;
}

int UnpackBits(int quality, int frameType, const std::uint8_t* payload, int* mode, std::int16_t* parameters) {
    if (parameters == nullptr) return 7;
    frameType &= 0x0F;
    const int bytes = PayloadBytes(frameType);
    std::uint8_t frame[kMaxFrameBytes + 1];
    frame[0] = static_cast<std::uint8_t>((frameType << 3) | ((quality & 1) << 2));
    if (bytes > 0 && payload != nullptr) std::memcpy(frame + 1, payload, static_cast<size_t>(bytes));
    StoreFrame(parameters, frame, 1 + (payload != nullptr ? bytes : 0));
    if (frameType <= MR122) {
        if (mode != nullptr) *mode = frameType;
        return quality ? 0 : 3;
    }
    if (frameType == kSidType && payload != nullptr) {
        // STI bit (bit 35 of the SID payload) tells an update from a first SID;
        // the three bits after it carry the mode.
        const int sti = (payload[4] >> 4) & 1;
        if (mode != nullptr) *mode = (payload[4] >> 1) & 0x07;
        return sti ? 5 : 4;
    }
    return 7;
}

int Speech_Decode_Frame(void* state, int mode, const std::int16_t* parameters, int, std::int16_t* synthesis) {
    auto* decoder = static_cast<DecoderState*>(state);
    if (decoder == nullptr || parameters == nullptr || synthesis == nullptr) return 0;
    const int bytes = parameters[0];
    std::uint8_t frame[kMaxFrameBytes + 1] = {};
    if (bytes >= 1 && bytes <= kMaxFrameBytes) {
        for (int i = 0; i < bytes; ++i) frame[i] = static_cast<std::uint8_t>(parameters[1 + i]);
    } else {
        frame[0] = kNoDataType << 3;
    }
    Decoder_Interface_Decode(decoder->codec, frame, synthesis, 0);
    decoder->previousMode = mode;
    return 0;
}

}  // extern "C"
