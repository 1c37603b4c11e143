#include "test_items.h"

#include <set>

IMPLEMENT_SERIAL(CTestItem, CObject, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CStrictItem, CObject, 2)

void CTestItem::Serialize(CArchive& archive) {
    if (archive.IsStoring()) {
        archive << number << name;
    } else {
        loadedSchema = archive.GetObjectSchema();
        archive >> number >> name;
    }
}

void CStrictItem::Serialize(CArchive& archive) {
    if (archive.IsStoring()) {
        archive << value;
    } else {
        archive >> value;
    }
}

namespace {

void FreeEach(std::vector<CObject*>& items) {
    std::set<CObject*> freed;
    for (CObject* item : items) {
        if (freed.insert(item).second) delete item;
    }
    items.clear();
}

}  // namespace

CTestList::~CTestList() {
    FreeEach(items);
}

void CTestList::Store(CArchive& archive) const {
    archive.WriteCount(static_cast<DWORD>(items.size()));
    for (const CObject* item : items) archive << item;
}

void CTestList::Load(CArchive& archive) {
    FreeEach(items);
    try {
        // Grown item by item: a count says nothing about what the data holds.
        for (DWORD count = archive.ReadCount(); count > 0; --count) {
            CObject* item = nullptr;
            archive >> item;
            items.push_back(item);
        }
    } catch (...) {
        FreeEach(items);
        throw;
    }
}
