#include "skin/package/skin_package.h"

#include <sys/stat.h>
#include <cstring>
#include <memory>
#include <set>

#include "skin/package/utf16le.h"
#include "win/text.h"

IMPLEMENT_SERIAL(CzSkinPackItem, CObject, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CzSkinPackage, CObject, VERSIONABLE_SCHEMA | 1)

namespace {

constexpr UINT kChunk = 64 * 1024;
constexpr ULONGLONG kMaxItemFile = 256ULL << 20;  // no skin picture comes near
constexpr UINT kBmpFileHeader = 14;

// Frees each distinct object once; the array may hold one twice.
void FreeEach(CObArray& objects) {
    std::set<CObject*> freed;
    for (int i = 0; i < objects.GetSize(); ++i) {
        if (freed.insert(objects[i]).second) delete objects[i];
    }
    objects.RemoveAll();
}

// The folder part of a path, with its last separator; empty without one.
CString FolderOf(const CString& path) {
    const int cut = std::max(path.ReverseFind(L'\\'), path.ReverseFind(L'/'));
    return cut < 0 ? CString() : path.Left(cut + 1);
}

std::vector<BYTE> ReadAll(CFile& file) {
    const ULONGLONG length = file.GetLength() - file.GetPosition();
    if (length > kMaxItemFile) AfxThrowMemoryException();
    std::vector<BYTE> bytes(static_cast<size_t>(length));
    bytes.resize(bytes.empty() ? 0 : file.Read(bytes.data(), static_cast<UINT>(bytes.size())));
    return bytes;
}

// A script file's text as stored: UTF-16LE without CR, ending with one NUL.
std::vector<BYTE> ScriptData(const std::vector<BYTE>& file) {
    std::u16string text = file.size() >= 2 && file[0] == 0xFF && file[1] == 0xFE
                              ? skin::Utf16LeUnits(file.data() + 2, file.size() - 2)
                              : movanta::WideToUtf16(movanta::Utf8ToWide(std::string(file.begin(), file.end())));
    std::erase(text, u'\r');
    text.push_back(0);
    return skin::Utf16LeBytes(text);
}

}  // namespace

CzSkinPackItem::CzSkinPackItem() : m_data(1, 0) {}

void CzSkinPackItem::Serialize(CArchive& archive) {
    if (archive.IsStoring()) {
        archive << static_cast<WORD>(m_type) << m_name << static_cast<DWORD>(m_data.size());
        archive.Write(m_data.data(), static_cast<UINT>(m_data.size()));
        return;
    }
    WORD type = 0;
    DWORD size = 0;
    archive >> type >> m_name >> size;
    m_type = static_cast<SKIN_TYPE>(type);
    // Grown a chunk at a time: a stored size past the end of the data ends
    // in an exception, not in a huge block.
    m_data.clear();
    while (m_data.size() < size) {
        const UINT take = std::min<UINT>(kChunk, size - static_cast<UINT>(m_data.size()));
        const size_t at = m_data.size();
        m_data.resize(at + take);
        if (archive.Read(m_data.data() + at, take) != take) AfxThrowArchiveException(CArchiveException::endOfFile);
    }
}

void CzSkinPackItem::fnLoad(const CString& path) {
    CFile file(path, CFile::modeRead | CFile::shareDenyWrite);
    if (m_type == SKIN_TEXT) {
        m_data = ScriptData(ReadAll(file));
        return;
    }
    if (m_type == SKIN_BMP) {
        if (file.GetLength() < kBmpFileHeader) CzSkinParserException::fnThrow(CzSkinParserException::resourceNotFound);
        file.Seek(kBmpFileHeader, CFile::begin);
    }
    m_data = ReadAll(file);
}

CzSkinPackage::CzSkinPackage() : m_status(CTime::GetCurrentTime()) {}

CzSkinPackage::~CzSkinPackage() {
    fnRemoveAll();
    FreeEach(m_fonts);
}

void CzSkinPackage::Serialize(CArchive& archive) {
    if (archive.IsStoring()) {
        m_status = CTime::GetCurrentTime();
        m_items.Serialize(archive);
        return;
    }
    fnRemoveAll();
    try {
        m_items.Serialize(archive);
        // Only distinct items: anything else in the list is damage.
        std::set<CObject*> seen;
        for (int i = 0; i < m_items.GetSize(); ++i) {
            CObject* item = m_items[i];
            if (item == nullptr || !item->IsKindOf(RUNTIME_CLASS(CzSkinPackItem)) || !seen.insert(item).second)
                AfxThrowArchiveException(CArchiveException::badClass);
        }
    } catch (CException* error) {
        error->Delete();
        FreeEach(m_items);
        CzSkinParserException::fnThrow(CzSkinParserException::packageUnreadable);
    }
    const CString file = archive.GetFile() != nullptr ? archive.GetFile()->GetFilePath() : CString();
    m_path = FolderOf(file);
    struct stat status {};
    if (stat(movanta::NativePath(file).c_str(), &status) == 0) m_status = CTime(status.st_mtime);
}

CzSkinPackItem* CzSkinPackage::Item(int index) const {
    if (index < 0 || index >= m_items.GetSize())
        CzSkinParserException::fnThrow(CzSkinParserException::resourceNotFound);
    return static_cast<CzSkinPackItem*>(m_items[index]);
}

const BYTE* CzSkinPackage::fnGetItem(int index, SKIN_TYPE& type, CString& name, DWORD& size) const {
    const CzSkinPackItem* item = Item(index);
    type = item->m_type;
    name = item->m_name;
    size = static_cast<DWORD>(item->m_data.size());
    return item->m_data.data();
}

int CzSkinPackage::fnGetItemIndex(const WCHAR* name) const {
    for (int i = 0; i < m_items.GetSize(); ++i) {
        if (Item(i)->m_name.CompareNoCase(name) == 0) return i;
    }
    return -1;
}

const BYTE* CzSkinPackage::fnGetScript(CString& name, DWORD& size) const {
    size = 0;
    if (m_items.IsEmpty()) return nullptr;
    SKIN_TYPE type = SKIN_TEXT;
    return fnGetItem(0, type, name, size);
}

const BYTE* CzSkinPackage::fnGetResource(const WCHAR* name, SKIN_TYPE& type, DWORD& size) const {
    size = 0;
    const int index = fnGetItemIndex(name);
    if (index < 0) return nullptr;
    CString found;
    return fnGetItem(index, type, found, size);
}

CFont* CzSkinPackage::fnGetFont(int index) const {
    return index >= 0 && index < m_fonts.GetSize() ? static_cast<CFont*>(m_fonts[index]) : nullptr;
}

CString CzSkinPackage::TakeFolder(const CString& path) {
    const CString folder = FolderOf(path);
    if (!folder.IsEmpty() && folder.CompareNoCase(m_path) != 0) m_path = folder;
    return path.Mid(folder.GetLength());
}

CzSkinPackItem* CzSkinPackage::NewItem(SKIN_TYPE type, const CString& name) const {
    auto item = std::make_unique<CzSkinPackItem>();
    item->m_type = type;
    item->m_name = name;
    item->fnLoad(m_path + name);
    return item.release();
}

void CzSkinPackage::fnAddScript(const WCHAR* path) {
    const CString name = TakeFolder(path);
    if (!m_items.IsEmpty() && Item(0)->m_type == SKIN_TEXT) return;
    m_items.InsertAt(0, NewItem(SKIN_TEXT, name));
}

void CzSkinPackage::fnAddResource(const WCHAR* path) {
    const CString name = TakeFolder(path);
    if (fnGetItemIndex(name) >= 0) return;
    const int dot = name.ReverseFind(L'.');
    const CString extension = dot < 0 ? CString() : name.Mid(dot + 1);
    m_items.Add(NewItem(extension.CompareNoCase(L"bmp") == 0 ? SKIN_BMP : SKIN_JPG, name));
}

void CzSkinPackage::fnAddFont(const WCHAR* face, LONG height, LONG weight, BYTE quality) {
    LOGFONTW logFont {};
    logFont.lfHeight = height;
    logFont.lfWeight = weight;
    logFont.lfQuality = quality;
    for (int i = 0; face != nullptr && face[i] != 0 && i + 1 < LF_FACESIZE; ++i) logFont.lfFaceName[i] = face[i];
    auto* font = new CFont;
    if (!font->CreateFontIndirect(&logFont)) {
        delete font;
        AfxThrowMemoryException();
    }
    m_fonts.Add(font);
}

void CzSkinPackage::fnUpdateItem(int index) {
    CzSkinPackItem* item = Item(index);
    item->fnLoad(m_path + item->m_name);
}

void CzSkinPackage::fnDeleteItem(int index) {
    delete Item(index);
    m_items.RemoveAt(index);
}

void CzSkinPackage::fnRemoveAll() {
    FreeEach(m_items);
}

void CzSkinPackage::fnExportItem(const WCHAR* name, const WCHAR* folder) const {
    int index = -1;
    CString scriptName;
    DWORD scriptSize = 0;
    if (fnGetScript(scriptName, scriptSize) != nullptr && scriptName.CompareNoCase(name) == 0) {
        index = 0;
    } else {
        index = fnGetItemIndex(name);
    }
    if (index < 0 || Item(index)->m_data.empty())
        CzSkinParserException::fnThrow(CzSkinParserException::resourceNotFound);
    const CzSkinPackItem* item = Item(index);
    const std::vector<BYTE>& data = item->m_data;
    CFile out(CString(folder) + L"\\" + item->m_name, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive);
    if (item->m_type == SKIN_TEXT) {
        std::u16string text = u"\uFEFF";
        for (const char16_t unit : skin::Utf16LeText(data.data(), data.size())) {
            if (unit == u'\n') text.push_back(u'\r');
            text.push_back(unit);
        }
        const std::vector<BYTE> bytes = skin::Utf16LeBytes(text);
        out.Write(bytes.data(), static_cast<UINT>(bytes.size()));
        return;
    }
    if (item->m_type == SKIN_BMP) {
        if (data.size() < sizeof(BITMAPINFOHEADER))
            CzSkinParserException::fnThrow(CzSkinParserException::resourceNotFound);
        BITMAPINFOHEADER header {};
        std::memcpy(&header, data.data(), sizeof(header));
        const DWORD colours = header.biClrUsed != 0    ? header.biClrUsed
                              : header.biBitCount <= 8 ? 1u << header.biBitCount
                                                       : 0;
        BYTE fileHeader[kBmpFileHeader] = {'B', 'M'};
        const DWORD fileSize = static_cast<DWORD>(data.size()) + kBmpFileHeader;
        const DWORD offset = 54 + 4 * colours;
        std::memcpy(fileHeader + 2, &fileSize, 4);
        std::memcpy(fileHeader + 10, &offset, 4);
        out.Write(fileHeader, kBmpFileHeader);
    }
    out.Write(data.data(), static_cast<UINT>(data.size()));
}
