#include "exercise.h"

#include <cstdio>

#include "skin/package/skin_package.h"
#include "skin/package/skin_parser.h"
#include "win/text.h"

Exercised ExercisePackage(const std::string& path, const std::uint8_t* data, size_t size) {
    Exercised result;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return result;
    if (size > 0) std::fwrite(data, 1, size, out);
    std::fclose(out);
    CzSkinPackage& package = CzSkinParser::fnGetPackage();
    package.fnRemoveAll();
    CzSkinParser parser;
    try {
        parser.fnParse(movanta::Utf8ToWide(path).c_str(), L"Main", nullptr);
    } catch (CzSkinParserException* error) {
        if (error->fnGetCause() == CzSkinParserException::packageUnreadable) return result;
    }
    result.readable = true;
    CStringArray missing;
    package.fnCheckResource(missing);
    for (int i = 1; i < package.fnGetNumberItems(); ++i) {
        SKIN_TYPE type = SKIN_TEXT;
        CString name;
        DWORD length = 0;
        package.fnGetItem(i, type, name, length);
        try {
            DeleteObject(parser.fnLoadImage(name));
        } catch (CzSkinParserException* error) {
            result.unexpected += error->fnGetCause() != CzSkinParserException::resourceNotFound;
        } catch (CMemoryException* error) {
            error->Delete();
        }
    }
    package.fnRemoveAll();
    return result;
}
