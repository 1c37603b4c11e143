// The decoders plug-in: video and audio decoders on libavcodec, which the
// automatic connection puts after the file source.
#include "audio_decoder.h"
#include "com/server.h"
#include "dshow/setup.h"
#include "video_decoder.h"

namespace {

using movanta::dshow::CAvAudioDecoder;
using movanta::dshow::CAvVideoDecoder;
using movanta::dshow::CLSID_MovantaAudioDecoder;
using movanta::dshow::CLSID_MovantaVideoDecoder;

const AMOVIESETUP_MEDIATYPE kVideoIn[] = {{&MEDIATYPE_Video, &GUID_NULL}};
const AMOVIESETUP_MEDIATYPE kVideoOut[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_YV12}};
const AMOVIESETUP_MEDIATYPE kAudioIn[] = {{&MEDIATYPE_Audio, &GUID_NULL}};
const AMOVIESETUP_MEDIATYPE kAudioOut[] = {{&MEDIATYPE_Audio, &MEDIASUBTYPE_PCM}};
const AMOVIESETUP_PIN kVideoPins[] = {{L"Input", FALSE, FALSE, FALSE, FALSE, &GUID_NULL, nullptr, 1, kVideoIn},
                                      {L"Output", FALSE, TRUE, FALSE, FALSE, &GUID_NULL, nullptr, 1, kVideoOut}};
const AMOVIESETUP_PIN kAudioPins[] = {{L"Input", FALSE, FALSE, FALSE, FALSE, &GUID_NULL, nullptr, 1, kAudioIn},
                                      {L"Output", FALSE, TRUE, FALSE, FALSE, &GUID_NULL, nullptr, 1, kAudioOut}};
const AMOVIESETUP_FILTER kVideo = {&CLSID_MovantaVideoDecoder, L"Video Decoder (libavcodec)", MERIT_NORMAL, 2,
                                   kVideoPins};
const AMOVIESETUP_FILTER kAudio = {&CLSID_MovantaAudioDecoder, L"Audio Decoder (libavcodec)", MERIT_NORMAL, 2,
                                   kAudioPins};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"Video Decoder (libavcodec)", &CLSID_MovantaVideoDecoder, CAvVideoDecoder::CreateInstance, nullptr, &kVideo},
    {L"Audio Decoder (libavcodec)", &CLSID_MovantaAudioDecoder, CAvAudioDecoder::CreateInstance, nullptr, &kAudio},
};
int g_cTemplates = 2;

extern "C" HRESULT DllRegisterServer() {
    return AMovieDllRegisterServer2(TRUE);
}
extern "C" HRESULT DllUnregisterServer() {
    return AMovieDllRegisterServer2(FALSE);
}
