#include "libamr_binding.h"

#include <dlfcn.h>

namespace movanta::amr {
namespace {

const char* const kNames[] = {
    "Speech_Encode_Frame_init",
    "sid_sync_init",
    "encoder_homing_frame_test",
    "Speech_Encode_Frame",
    "sid_sync",
    "PackBits",
    "Speech_Encode_Frame_reset",
    "sid_sync_reset",
    "Speech_Encode_Frame_exit",
    "sid_sync_exit",
    "Speech_Decode_Frame_init",
    "UnpackBits",
    "decoder_homing_frame_test_first",
    "decoder_homing_frame_test",
    "Speech_Decode_Frame",
    "Speech_Decode_Frame_reset",
    "Speech_Decode_Frame_exit",
};

}  // namespace

std::string CTxLibAmr::BesideThisModule() {
    Dl_info info {};
    if (dladdr(reinterpret_cast<void*>(&CTxLibAmr::BesideThisModule), &info) == 0 || info.dli_fname == nullptr) {
        return "libamr.so";
    }
    const std::string module = info.dli_fname;
    const size_t slash = module.rfind('/');
    return (slash == std::string::npos ? std::string() : module.substr(0, slash + 1)) + "libamr.so";
}

CTxLibAmr::CTxLibAmr(std::string path) : path_(std::move(path)) {
    module_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module_ != nullptr) ++loadCount_;
}

CTxLibAmr::~CTxLibAmr() {
    unloading_ = true;
    for (Entry& entry : entries_) entry = Entry {};
    if (module_ != nullptr) dlclose(module_);
}

void* CTxLibAmr::Resolve(Name name) {
    Entry& entry = entries_[name];
    if (entry.marker != kLookedUp) {
        entry.address = module_ != nullptr && !unloading_ ? dlsym(module_, kNames[name]) : nullptr;
        entry.marker = kLookedUp;
    }
    return entry.address;
}

void CTxLibAmr::Speech_Encode_Frame_init(void** state, int dtx, const char* id) {
    if (auto* f = As<void(void**, int, const char*)>(kEncodeInit)) f(state, dtx, id);
}
void CTxLibAmr::sid_sync_init(void** state) {
    if (auto* f = As<void(void**)>(kSidInit)) f(state);
}
int CTxLibAmr::encoder_homing_frame_test(std::int16_t* frame) {
    auto* f = As<std::int16_t(const std::int16_t*)>(kEncoderHoming);
    return f != nullptr ? f(frame) : 0;
}
int CTxLibAmr::Speech_Encode_Frame(void* state, int mode, std::int16_t* frame, std::int16_t* parameters,
                                   int* usedMode) {
    auto* f = As<int(void*, int, std::int16_t*, std::int16_t*, int*)>(kEncode);
    return f != nullptr ? f(state, mode, frame, parameters, usedMode) : 0;
}
int CTxLibAmr::sid_sync(void* state, int usedMode, int* txFrameType) {
    auto* f = As<void(void*, int, int*)>(kSidSync);
    if (f == nullptr) return 0;
    f(state, usedMode, txFrameType);
    return txFrameType != nullptr ? *txFrameType : 0;
}
int CTxLibAmr::PackBits(int usedMode, int mode, int txFrameType, std::int16_t* parameters, std::uint8_t* packed) {
    auto* f = As<std::int16_t(int, int, int, const std::int16_t*, std::uint8_t*)>(kPackBits);
    return f != nullptr ? f(usedMode, mode, txFrameType, parameters, packed) : 0;
}
void CTxLibAmr::Speech_Encode_Frame_reset(void* state) {
    if (auto* f = As<void(void*)>(kEncodeReset)) f(state);
}
void CTxLibAmr::sid_sync_reset(void* state) {
    if (auto* f = As<void(void*)>(kSidReset)) f(state);
}
void CTxLibAmr::Speech_Encode_Frame_exit(void** state) {
    if (auto* f = As<void(void**)>(kEncodeExit)) f(state);
}
void CTxLibAmr::sid_sync_exit(void** state) {
    if (auto* f = As<void(void**)>(kSidExit)) f(state);
}
void CTxLibAmr::Speech_Decode_Frame_init(void** state, const char* id) {
    if (auto* f = As<void(void**, const char*)>(kDecodeInit)) f(state, id);
}
int CTxLibAmr::UnpackBits(int quality, int frameType, std::uint8_t* payload, int* mode, std::int16_t* parameters) {
    auto* f = As<int(int, int, const std::uint8_t*, int*, std::int16_t*)>(kUnpackBits);
    return f != nullptr ? f(quality, frameType, payload, mode, parameters) : 0;
}
int CTxLibAmr::decoder_homing_frame_test_first(std::int16_t* parameters, int mode) {
    auto* f = As<std::int16_t(const std::int16_t*, int)>(kDecoderHomingFirst);
    return f != nullptr ? f(parameters, mode) : 0;
}
int CTxLibAmr::decoder_homing_frame_test(std::int16_t* parameters, int mode) {
    auto* f = As<std::int16_t(const std::int16_t*, int)>(kDecoderHoming);
    return f != nullptr ? f(parameters, mode) : 0;
}
int CTxLibAmr::Speech_Decode_Frame(void* state, int mode, std::int16_t* parameters, int rxFrameType,
                                   std::int16_t* synthesis) {
    auto* f = As<int(void*, int, const std::int16_t*, int, std::int16_t*)>(kDecode);
    return f != nullptr ? f(state, mode, parameters, rxFrameType, synthesis) : 0;
}
void CTxLibAmr::Speech_Decode_Frame_reset(void* state) {
    if (auto* f = As<void(void*)>(kDecodeReset)) f(state);
}
void CTxLibAmr::Speech_Decode_Frame_exit(void** state) {
    if (auto* f = As<void(void**)>(kDecodeExit)) f(state);
}

}  // namespace movanta::amr
