// The skin package: a file of items (the script and the pictures it names)
// written with the framework's archive, and the fonts made from the
// script's "Font" section. Names are compared without regard to case.
#pragma once

#include "afx/collections.h"
#include "afx/ctime.h"
#include "afx/drawing.h"
#include "skin/package/parser_exception.h"

// Held as a 32-bit value: a package may carry kinds beyond these three.
enum SKIN_TYPE : std::int32_t { SKIN_TEXT = 0, SKIN_BMP = 1, SKIN_JPG = 2 };

// One item: its kind, its name (the file name without folder) and its
// bytes. A script is UTF-16LE text with LF line ends and one NUL at the end.
class CzSkinPackItem : public CObject {
    DECLARE_SERIAL(CzSkinPackItem)
public:
    CzSkinPackItem();
    void Serialize(CArchive& archive) override;
    // Loads the item's bytes from a file (Algorithms of the package).
    void fnLoad(const CString& path);

    SKIN_TYPE m_type = SKIN_TEXT;
    CString m_name;
    std::vector<BYTE> m_data;
};

class CzSkinPackage : public CObject {
    DECLARE_SERIAL(CzSkinPackage)
public:
    CzSkinPackage();
    ~CzSkinPackage() override;
    CzSkinPackage(const CzSkinPackage&) = delete;
    CzSkinPackage& operator=(const CzSkinPackage&) = delete;

    // Stores or loads the item list. A list that cannot be read throws the
    // parser exception packageUnreadable and leaves the package empty.
    void Serialize(CArchive& archive) override;

    int fnGetNumberItems() const { return m_items.GetSize(); }
    int fnGetNumberFonts() const { return m_fonts.GetSize(); }
    CTime fnGetStatus() const { return m_status; }
    CString fnGetPath() const { return m_path; }
    // The data of item `index`; resourceNotFound for an index out of range.
    const BYTE* fnGetItem(int index, SKIN_TYPE& type, CString& name, DWORD& size) const;
    int fnGetItemIndex(const WCHAR* name) const;
    const BYTE* fnGetScript(CString& name, DWORD& size) const;
    const BYTE* fnGetResource(const WCHAR* name, SKIN_TYPE& type, DWORD& size) const;
    CFont* fnGetFont(int index) const;

    void fnAddScript(const WCHAR* path);
    void fnAddResource(const WCHAR* path);
    void fnAddFont(const WCHAR* face, LONG height, LONG weight, BYTE quality);
    void fnUpdateItem(int index);
    void fnDeleteItem(int index);
    // Writes an item back out as a file in `folder`.
    void fnExportItem(const WCHAR* name, const WCHAR* folder) const;
    void fnRemoveAll();
    // The picture names the script uses (IMAGE and MASK of Canvas and custom
    // keys, IMAGE of Btn, Image and Icon keys) that the package lacks.
    void fnCheckResource(CStringArray& missing) const;

private:
    CzSkinPackItem* Item(int index) const;
    // A new item loaded from the package path and its name.
    CzSkinPackItem* NewItem(SKIN_TYPE type, const CString& name) const;
    // The name part of `path`; the folder part becomes the package path.
    CString TakeFolder(const CString& path);

    CString m_path;
    CTime m_status;
    CObArray m_fonts;  // of CFont*, owned
    CObArray m_items;  // of CzSkinPackItem*, owned
};
