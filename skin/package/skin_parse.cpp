// Loading the shared package, its fonts, and reading one section.
#include <unistd.h>
#include <climits>
#include <cwchar>
#include <vector>

#include "skin/package/script_stream.h"
#include "skin/package/skin_package.h"
#include "skin/package/skin_parser.h"

#include "skin/buttons/action_relay.h"
#include "win/language.h"
#include "win/text.h"

namespace {

// The folder of the running program, with its separator.
CString ProgramFolder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) return CString();
    const std::string native(path, static_cast<size_t>(length));
    return CString(std::wstring_view(movanta::Utf8ToWide(native.substr(0, native.rfind('/') + 1))));
}

// Reads a section of the package's script: its custom keys and its item
// keys, comments skipped; false when the section is absent.
bool ReadSection(const CzSkinPackage& package, const WCHAR* section, std::vector<CzCustomKey>& customKeys,
                 std::vector<CzItemKey>& itemKeys) {
    CString scriptName;
    DWORD size = 0;
    const BYTE* script = package.fnGetScript(scriptName, size);
    CzScriptStream stream(script, size);
    if (!stream.fnSeekSection(section)) return false;
    CString line;
    while (stream.fnReadLine(line) && line.Find(L'[') < 0) {
        if (CzSkinParser::fnIsTagComment(line)) continue;
        CString name;
        CString value;
        const KEY_TYPE kind = CzSkinParser::fnParseKey(line, name, value);
        if (kind == KEY_CUSTOM) {
            customKeys.push_back({name, value, stream.fnGetLineNumber()});
        } else if (kind != KEY_NONE) {
            itemKeys.push_back({kind, name, value, stream.fnGetLineNumber()});
        }
    }
    return true;
}

}  // namespace

void CzSkinParser::LoadPackage(const WCHAR* package) {
    CString path(package != nullptr ? package : L"");
    if (path.Find(L'\\') < 0 && path.Find(L'/') < 0) path = ProgramFolder() + path;
    try {
        CFile file(path, CFile::modeRead | CFile::shareDenyWrite);
        CArchive archive(&file, CArchive::load, 4096);
        fnGetPackage().Serialize(archive);
    } catch (CzSkinParserException*) {
        throw;
    } catch (CException* error) {
        error->Delete();
        fnGetPackage().fnRemoveAll();
        CzSkinParserException::fnThrow(CzSkinParserException::packageUnreadable);
    }
}

void CzSkinParser::fnParseFontKey(const CString& list) {
    std::wstring text(list.Wide());
    WCHAR* p = text.data();
    while (*p != 0) {
        WCHAR* start = p;
        while (*p != 0 && *p != L';') ++p;
        const CString entry(start, static_cast<int>(p - start));
        if (*p == L';') ++p;
        std::vector<CString> fields;
        for (int at = 0;;) {
            const int comma = entry.Find(L',', at);
            fields.push_back(comma < 0 ? entry.Mid(at) : entry.Mid(at, comma - at));
            if (comma < 0) break;
            at = comma + 1;
        }
        if (fields.size() < 4 || fields[0].IsEmpty() || fields[1].IsEmpty() || fields[2].IsEmpty() ||
            fields[3].IsEmpty())
            return;
        LONG height = std::wcstol(fields[1], nullptr, 10);
        if (height > 0) height = -height;
        const LONG weight = std::wcstol(fields[2], nullptr, 10);
        const auto quality = static_cast<BYTE>(std::wcstol(fields[3], nullptr, 10) & 0xFF);
        fnGetPackage().fnAddFont(fields[0], height, weight, quality);
    }
}

CString CzSkinParser::fnChooseFontList(const std::vector<CzCustomKey>& languages, WORD language) {
    CString wanted;
    wanted.Format(L"%04X", language);
    for (const WCHAR* name : {wanted.GetString(), L"0409"}) {
        for (const CzCustomKey& key : languages) {
            if (key.m_key.CompareNoCase(name) == 0) return key.m_value;
        }
    }
    return CString();
}

void CzSkinParser::MakeFonts() {
    std::vector<CzCustomKey> languages;
    std::vector<CzItemKey> items;
    ReadSection(fnGetPackage(), L"Font", languages, items);  // absence is no error
    fnParseFontKey(fnChooseFontList(languages, GetSystemDefaultLangID()));
}

void CzSkinParser::fnAddMasterKey(const CString& key, CzLocation* location) {
    m_masterKeys.emplace_back(key == L"Canvas" ? key + m_section : key, location);
}

CzLocation* CzSkinParser::fnGetMasterKey(const WCHAR* name) const {
    for (const auto& [key, location] : m_masterKeys) {
        if (key == name) return location;
    }
    return nullptr;
}

void CzSkinParser::fnReadRefs(const CString& value, CArray<CzRefObj>& refs) const {
    std::wstring text(value.Wide());
    WCHAR* p = text.data();
    CzLocation* reference = nullptr;
    CSize offset;
    while (*p != 0) {
        if (!fnIsTagALIGN(p)) {
            fnSkipTag(p);
            continue;
        }
        CString name;
        int flags = 0;
        fnParseTag(p, name, flags, offset);
        if (!name.IsEmpty()) reference = fnGetMasterKey(name);
        refs.Add({reference, flags, offset.cx, offset.cy});
    }
}

void CzSkinParser::fnParse(const WCHAR* package, const WCHAR* section, CWnd* window) {
    if (fnGetPackage().fnGetNumberItems() == 0) LoadPackage(package);
    if (fnGetPackage().fnGetNumberFonts() == 0) MakeFonts();
    m_masterKeys.clear();
    m_customKeys.clear();
    m_itemKeys.clear();
    m_section = section;
    if (!ReadSection(fnGetPackage(), section, m_customKeys, m_itemKeys))
        CzSkinParserException::fnThrow(CzSkinParserException::sectionNotFound);
    if (window == nullptr) return;
    CzFActionRelay relay(window);
    for (const CzItemKey& key : m_itemKeys) ApplyKey(relay, key);
}

CString CzSkinParser::fnGetCustomKey(const WCHAR* name) const {
    for (const CzCustomKey& key : m_customKeys) {
        if (key.m_key == name) return key.m_value;
    }
    return CString();
}

CString CzSkinParser::fnGetCustomKey(int index, CString& value) const {
    if (index < 0 || index >= fnGetNumberCustomKeys()) {
        value.Empty();
        return CString();
    }
    value = m_customKeys[static_cast<size_t>(index)].m_value;
    return m_customKeys[static_cast<size_t>(index)].m_key;
}
