// The package's resource check: the pictures the script names that the
// package lacks.
#include "skin/package/script_stream.h"
#include "skin/package/skin_package.h"
#include "skin/package/skin_parser.h"

namespace {

// Reads the scanned tags of one value: IMAGE always, MASK when asked.
class Scanner : public CzSkinParser {
public:
    static void Names(const CString& value, bool masks, CStringArray& names) {
        std::wstring text(value.Wide());
        WCHAR* p = text.data();
        while (*p != 0) {
            const bool image = fnIsTagIMAGE(p);
            if (image || (masks && fnIsTagMASK(p))) {
                CString name;
                int count = 0;
                fnParseTag(p, name, count);
                if (!name.IsEmpty() && !fnIsInStringArray(names, name)) names.Add(name);
            } else {
                fnSkipTag(p);
            }
        }
    }
};

}  // namespace

void CzSkinPackage::fnCheckResource(CStringArray& missing) const {
    missing.RemoveAll();
    CString scriptName;
    DWORD size = 0;
    const BYTE* script = fnGetScript(scriptName, size);
    if (script == nullptr || size == 0 || Item(0)->m_type != SKIN_TEXT) return;
    CzScriptStream stream(script, size);
    CStringArray names;
    CString line;
    while (stream.fnReadLine(line)) {
        if (line.Find(L'[') >= 0 || CzSkinParser::fnIsTagComment(line)) continue;
        CString name;
        CString value;
        const KEY_TYPE kind = CzSkinParser::fnParseKey(line, name, value);
        if (kind == KEY_CANVAS || kind == KEY_CUSTOM) Scanner::Names(value, true, names);
        if (kind == KEY_BTN || kind == KEY_IMAGE || kind == KEY_ICON) Scanner::Names(value, false, names);
    }
    for (int i = 0; i < names.GetSize(); ++i) {
        const int index = fnGetItemIndex(names[i]);
        if (index < 0 || Item(index)->m_data.empty()) missing.Add(names[i]);
    }
}
