// libamr: the 3GPP reference AMR-NB entry points the AMR filters call by
// name, on opencore-amrnb. States are opaque handles; the decoder state's
// fourth 32-bit field is the previous mode. A parameter block carries one
// storage-format frame between the calls of a frame: word 0 its byte count,
// then one byte a word.
#pragma once

#include <cstdint>

extern "C" {
void Speech_Encode_Frame_init(void** state, int dtx, const char* id);
void Speech_Encode_Frame_reset(void* state);
void Speech_Encode_Frame_exit(void** state);
// Encodes 160 samples; the used mode (8 for a DTX frame) is stored in
// *usedMode and answered.
int Speech_Encode_Frame(void* state, int mode, std::int16_t* speech, std::int16_t* parameters, int* usedMode);
// Non-zero for the encoder homing frame: 160 samples of 0x0008.
std::int16_t encoder_homing_frame_test(const std::int16_t* speech);

void sid_sync_init(void** state);
void sid_sync_reset(void* state);
void sid_sync_exit(void** state);
// The transmit frame type of the frame just encoded on this thread:
// 0 speech, 1 first SID, 2 SID update, 3 no data.
void sid_sync(void* state, int usedMode, int* txFrameType);
// Copies the frame held by the parameters; answers its byte count.
std::int16_t PackBits(int usedMode, int mode, int txFrameType, const std::int16_t* parameters, std::uint8_t* packed);

void Speech_Decode_Frame_init(void** state, const char* id);
void Speech_Decode_Frame_reset(void* state);
void Speech_Decode_Frame_exit(void** state);
// Keeps one frame (its header byte rebuilt from quality and type) in the
// parameters; stores the frame's mode and answers the receive frame type
// (0 good speech, 3 bad speech, 4 first SID, 5 SID update, 7 no data).
int UnpackBits(int quality, int frameType, const std::uint8_t* payload, int* mode, std::int16_t* parameters);
// Non-zero when the frame held by the parameters is the decoder homing frame
// of `mode`: in its LPC and first subframe bits only, or whole.
std::int16_t decoder_homing_frame_test_first(const std::int16_t* parameters, int mode);
std::int16_t decoder_homing_frame_test(const std::int16_t* parameters, int mode);
// Decodes the frame held by the parameters into 160 samples.
int Speech_Decode_Frame(void* state, int mode, const std::int16_t* parameters, int rxFrameType,
                        std::int16_t* synthesis);
}
