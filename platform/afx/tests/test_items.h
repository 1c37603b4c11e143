// Serialisable classes for the archive tests: an item with a number and a
// name, stored under schema 1 and readable under any (versionable), and a
// list that owns the items of its object array.
#pragma once

#include "afx/collections.h"

class CTestItem : public CObject {
    DECLARE_SERIAL(CTestItem)
public:
    CTestItem() = default;
    CTestItem(WORD number, const CString& name) : number(number), name(name) {}
    void Serialize(CArchive& archive) override;
    WORD number = 0;
    CString name;
    UINT loadedSchema = 0;
};

// Stored under schema 2 and readable only under 2.
class CStrictItem : public CObject {
    DECLARE_SERIAL(CStrictItem)
public:
    void Serialize(CArchive& archive) override;
    DWORD value = 0;
};

// A list of items; an item stored twice is read back as the same object,
// and the list frees each distinct item once.
class CTestList {
public:
    ~CTestList();
    void Store(CArchive& archive) const;
    // Reads a list; on an exception frees what was read and passes it on.
    void Load(CArchive& archive);
    CObArray items;
};
