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

void FreeEach(CObArray& items) {
    std::set<CObject*> freed;
    for (int i = 0; i < items.GetSize(); ++i) {
        if (freed.insert(items[i]).second) delete items[i];
    }
    items.RemoveAll();
}

}  // namespace

CTestList::~CTestList() {
    FreeEach(items);
}

void CTestList::Store(CArchive& archive) const {
    const_cast<CObArray&>(items).Serialize(archive);
}

void CTestList::Load(CArchive& archive) {
    FreeEach(items);
    try {
        items.Serialize(archive);
    } catch (...) {
        FreeEach(items);
        throw;
    }
}
