// libFuzzer target: the input is read as a skin package into the shared
// package, then every item is loaded as a picture, the resources are
// checked and the "Main" section applied. Built with -DMOVANTA_FUZZ=ON by
// fuzz_package.sh.
#include <unistd.h>
#include <cstdio>
#include <string>

#include "skin/skin_package.h"
#include "skin/skin_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static const std::string path = "/tmp/movanta-fuzz-skin-" + std::to_string(getpid()) + ".zsp";
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return 0;
    std::fwrite(data, 1, size, out);
    std::fclose(out);
    CzSkinPackage& package = CzSkinParser::fnGetPackage();
    package.fnRemoveAll();
    CzSkinParser parser;
    try {
        parser.fnParse(CString(path.c_str()), L"Main", nullptr);
    } catch (CzSkinParserException*) {
    }
    CStringArray missing;
    package.fnCheckResource(missing);
    for (int i = 0; i < package.fnGetNumberItems(); ++i) {
        SKIN_TYPE type = SKIN_TEXT;
        CString name;
        DWORD length = 0;
        package.fnGetItem(i, type, name, length);
        if (type == SKIN_TEXT) continue;
        try {
            DeleteObject(parser.fnLoadImage(name));
        } catch (CzSkinParserException*) {
        } catch (CException* error) {
            error->Delete();
        }
    }
    return 0;
}
