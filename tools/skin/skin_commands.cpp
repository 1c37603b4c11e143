#include "skin_commands.h"

#include <algorithm>
#include <filesystem>

#include "skin/package/script_stream.h"
#include "skin/package/skin_package.h"
#include "skin/package/skin_parser.h"
#include "win/text.h"

namespace movanta::skintool {
namespace {

constexpr int kFailed = 2;

CString Wide(const std::string& path) {
    return CString(std::wstring_view(Utf8ToWide(path)));
}

const char* KindName(SKIN_TYPE type) {
    switch (type) {
        case SKIN_TEXT: return "script";
        case SKIN_BMP: return "bmp";
        case SKIN_JPG: return "jpg";
    }
    return "other";
}

const char* KeyName(KEY_TYPE kind) {
    static const char* const kNames[] = {"none", "custom", "canvas", "button",  "control",
                                         "text", "image",  "icon",   "splitter"};
    return kind >= KEY_NONE && kind <= KEY_SPLIT ? kNames[kind] : "none";
}

// Loads a package; false with a message on `err`.
bool Load(const std::string& path, CzSkinPackage& package, std::ostream& err) {
    if (!std::filesystem::is_regular_file(path)) {
        err << "movanta-skin: no package at " << path << "\n";
        return false;
    }
    try {
        CFile file(Wide(path), CFile::modeRead | CFile::shareDenyWrite);
        CArchive archive(&file, CArchive::load, 4096);
        package.Serialize(archive);
        return true;
    } catch (CzSkinParserException*) {
        err << "movanta-skin: " << path << " is damaged or not a skin package\n";
    } catch (CException* error) {
        error->Delete();
        err << "movanta-skin: cannot read " << path << "\n";
    }
    return false;
}

// Runs `work`, turning the framework's exceptions into a message.
template <class Work>
int Guarded(std::ostream& err, const std::string& what, Work work) {
    try {
        return work();
    } catch (CzSkinParserException* error) {
        err << "movanta-skin: " << what << ": "
            << (error->fnGetCause() == CzSkinParserException::resourceNotFound ? "an item is missing or damaged"
                                                                               : "the package cannot be used")
            << "\n";
    } catch (CFileException* error) {
        err << "movanta-skin: " << what << ": cannot use " << error->m_strFileName.ToUtf8() << "\n";
        error->Delete();
    } catch (CException* error) {
        err << "movanta-skin: " << what << ": failed\n";
        error->Delete();
    }
    return kFailed;
}

}  // namespace

int Pack(const std::string& script, const std::vector<std::string>& pictures, const std::string& output,
         std::ostream& out, std::ostream& err) {
    return Guarded(err, "pack", [&] {
        CzSkinPackage package;
        package.fnAddScript(Wide(script));
        for (const std::string& picture : pictures) {
            std::vector<std::string> files;
            if (std::filesystem::is_directory(picture)) {
                for (const auto& entry : std::filesystem::directory_iterator(picture)) {
                    std::string extension = entry.path().extension().string();
                    std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
                    if (entry.is_regular_file() && (extension == ".bmp" || extension == ".jpg"))
                        files.push_back(entry.path().string());
                }
                std::sort(files.begin(), files.end());
            } else {
                files.push_back(picture);
            }
            for (const std::string& file : files) package.fnAddResource(Wide(file));
        }
        CFile file(Wide(output), CFile::modeCreate | CFile::modeWrite);
        CArchive archive(&file, CArchive::store, 4096);
        package.Serialize(archive);
        archive.Close();
        out << "Packed " << package.fnGetNumberItems() << " items into " << output << "\n";
        return 0;
    });
}

int List(const std::string& path, std::ostream& out, std::ostream& err) {
    CzSkinPackage package;
    if (!Load(path, package, err)) return kFailed;
    for (int i = 0; i < package.fnGetNumberItems(); ++i) {
        SKIN_TYPE type = SKIN_TEXT;
        CString name;
        DWORD size = 0;
        package.fnGetItem(i, type, name, size);
        out << i << "\t" << KindName(type) << "\t" << name.ToUtf8() << "\t" << size << "\n";
    }
    return 0;
}

int Unpack(const std::string& path, const std::string& folder, std::ostream& out, std::ostream& err) {
    CzSkinPackage package;
    if (!Load(path, package, err)) return kFailed;
    return Guarded(err, "unpack", [&] {
        std::filesystem::create_directories(folder);
        for (int i = 0; i < package.fnGetNumberItems(); ++i) {
            SKIN_TYPE type = SKIN_TEXT;
            CString name;
            DWORD size = 0;
            package.fnGetItem(i, type, name, size);
            package.fnExportItem(name, Wide(folder));
            out << "Wrote " << (std::filesystem::path(folder) / name.ToUtf8()).string() << "\n";
        }
        return 0;
    });
}

int Check(const std::string& path, std::ostream& out, std::ostream& err) {
    CzSkinPackage package;
    if (!Load(path, package, err)) return kFailed;
    CStringArray missing;
    package.fnCheckResource(missing);
    for (int i = 0; i < missing.GetSize(); ++i) out << "missing: " << missing[i].ToUtf8() << "\n";
    if (missing.IsEmpty()) out << "Every picture the script names is in the package\n";
    return missing.IsEmpty() ? 0 : 1;
}

int Sections(const std::string& path, std::ostream& out, std::ostream& err) {
    CzSkinPackage package;
    if (!Load(path, package, err)) return kFailed;
    CString scriptName;
    DWORD size = 0;
    const BYTE* script = package.fnGetScript(scriptName, size);
    CzScriptStream stream(script, size);
    CString line;
    CString section;
    while (stream.fnReadLine(line)) {
        if (CzScriptStream::fnSectionName(line, section)) {
            out << "[" << section.ToUtf8() << "]\n";
            continue;
        }
        if (CzSkinParser::fnIsTagComment(line)) continue;
        CString name;
        CString value;
        const KEY_TYPE kind = CzSkinParser::fnParseKey(line, name, value);
        if (kind != KEY_NONE)
            out << "  " << stream.fnGetLineNumber() << "\t" << KeyName(kind) << "\t" << name.ToUtf8() << "\n";
    }
    return 0;
}

}  // namespace movanta::skintool
