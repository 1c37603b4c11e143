#include "afx/collections.h"

IMPLEMENT_SERIAL(CObArray, CObject, 0)
IMPLEMENT_SERIAL(CStringArray, CObject, 0)

namespace {

// A count, then each element; read back element by element.
template <class Element, class Array>
void SerializeElements(Array& array, CArchive& archive) {
    if (archive.IsStoring()) {
        archive.WriteCount(static_cast<DWORD>(array.GetSize()));
        for (int i = 0; i < array.GetSize(); ++i) archive << array.GetAt(i);
        return;
    }
    array.RemoveAll();
    for (DWORD count = archive.ReadCount(); count > 0; --count) {
        Element element {};
        archive >> element;
        array.Add(element);
    }
}

}  // namespace

void CObArray::Serialize(CArchive& archive) {
    SerializeElements<CObject*>(*this, archive);
}

void CStringArray::Serialize(CArchive& archive) {
    SerializeElements<CString>(*this, archive);
}
