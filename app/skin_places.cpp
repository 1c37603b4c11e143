#include "skin_places.h"

#include <string>

namespace movanta::app {

CRect NamedRect(const CzSkinParser& parser, const WCHAR* key) {
    std::wstring value(parser.fnGetCustomKey(key).Wide());
    WCHAR* p = value.data();
    CRect rect;
    if (CzSkinParser::fnIsTagPOS(p)) CzSkinParser::fnParseTag(p, rect);
    return rect;
}

HBITMAP NamedPicture(const CzSkinParser& parser, const WCHAR* key) {
    return parser.fnLoadImage(parser.fnGetCustomKey(key).Wide().c_str());
}

}  // namespace movanta::app
