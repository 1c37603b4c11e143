// CTxLibAmr: libamr bound at run time from the plug-in's own folder. Each
// entry point is looked up by name at its first use and kept; while the
// library or an entry point is missing, its call does nothing and yields 0.
#pragma once

#include <cstdint>
#include <string>

namespace movanta::amr {

class CTxLibAmr {
public:
    // Loads `path`; IsLoaded tells whether that worked.
    explicit CTxLibAmr(std::string path);
    ~CTxLibAmr();
    CTxLibAmr(const CTxLibAmr&) = delete;
    CTxLibAmr& operator=(const CTxLibAmr&) = delete;

    // "libamr.so" in the folder of the plug-in this code is linked into.
    static std::string BesideThisModule();
    bool IsLoaded() const { return module_ != nullptr; }

    void Speech_Encode_Frame_init(void** state, int dtx, const char* id);
    void sid_sync_init(void** state);
    int encoder_homing_frame_test(std::int16_t* frame);
    int Speech_Encode_Frame(void* state, int mode, std::int16_t* frame, std::int16_t* parameters, int* usedMode);
    int sid_sync(void* state, int usedMode, int* txFrameType);
    int PackBits(int usedMode, int mode, int txFrameType, std::int16_t* parameters, std::uint8_t* packed);
    void Speech_Encode_Frame_reset(void* state);
    void sid_sync_reset(void* state);
    void Speech_Encode_Frame_exit(void** state);
    void sid_sync_exit(void** state);

    void Speech_Decode_Frame_init(void** state, const char* id);
    int UnpackBits(int quality, int frameType, std::uint8_t* payload, int* mode, std::int16_t* parameters);
    int decoder_homing_frame_test_first(std::int16_t* parameters, int mode);
    int decoder_homing_frame_test(std::int16_t* parameters, int mode);
    int Speech_Decode_Frame(void* state, int mode, std::int16_t* parameters, int rxFrameType, std::int16_t* synthesis);
    void Speech_Decode_Frame_reset(void* state);
    void Speech_Decode_Frame_exit(void** state);

private:
    static constexpr int kLookedUp = 3456;
    struct Entry {
        void* address = nullptr;
        int marker = 0;
    };
    enum Name {
        kEncodeInit,
        kSidInit,
        kEncoderHoming,
        kEncode,
        kSidSync,
        kPackBits,
        kEncodeReset,
        kSidReset,
        kEncodeExit,
        kSidExit,
        kDecodeInit,
        kUnpackBits,
        kDecoderHomingFirst,
        kDecoderHoming,
        kDecode,
        kDecodeReset,
        kDecodeExit,
        kEntryCount
    };
    // The address of an entry point, looked up once; null when missing.
    void* Resolve(Name name);
    template <class Function>
    Function* As(Name name) {
        return reinterpret_cast<Function*>(Resolve(name));
    }

    void* module_ = nullptr;
    std::string path_;
    int loadCount_ = 0;
    bool unloading_ = false;
    Entry entries_[kEntryCount];
};

}  // namespace movanta::amr
