// The framework's arrays: CArray<TYPE, ARG_TYPE>, and CObArray and
// CStringArray with their archive form (a count, then the elements). An
// index out of range throws CInvalidArgException*. Reading grows the array
// element by element, so a count larger than the data holds ends in
// CArchiveException, never in a huge allocation; what was read before
// stays in the array for its owner.
#pragma once

#include <vector>

#include "afx/archive.h"
#include "afx/exception.h"

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject {
public:
    int GetSize() const { return static_cast<int>(items_.size()); }
    int GetCount() const { return GetSize(); }
    bool IsEmpty() const { return items_.empty(); }
    int GetUpperBound() const { return GetSize() - 1; }
    void SetSize(int size, int = -1) { items_.resize(size > 0 ? static_cast<size_t>(size) : 0); }
    void RemoveAll() { items_.clear(); }
    void FreeExtra() { items_.shrink_to_fit(); }
    const TYPE& GetAt(int index) const { return items_[Checked(index)]; }
    TYPE& ElementAt(int index) { return items_[Checked(index)]; }
    void SetAt(int index, ARG_TYPE element) { items_[Checked(index)] = element; }
    const TYPE& operator[](int index) const { return GetAt(index); }
    TYPE& operator[](int index) { return ElementAt(index); }
    TYPE* GetData() { return items_.data(); }
    const TYPE* GetData() const { return items_.data(); }
    // The index of the new element.
    int Add(ARG_TYPE element) {
        items_.push_back(element);
        return GetUpperBound();
    }
    void SetAtGrow(int index, ARG_TYPE element) {
        if (index < 0) AfxThrowInvalidArgException();
        if (index >= GetSize()) SetSize(index + 1);
        items_[static_cast<size_t>(index)] = element;
    }
    void InsertAt(int index, ARG_TYPE element, int count = 1) {
        if (index < 0 || count < 0) AfxThrowInvalidArgException();
        if (index > GetSize()) SetSize(index);
        items_.insert(items_.begin() + index, static_cast<size_t>(count), element);
    }
    void RemoveAt(int index, int count = 1) {
        if (index < 0 || count < 0 || index + count > GetSize()) AfxThrowInvalidArgException();
        items_.erase(items_.begin() + index, items_.begin() + index + count);
    }
    // The index of the first element appended.
    int Append(const CArray& other) {
        const int first = GetSize();
        items_.insert(items_.end(), other.items_.begin(), other.items_.end());
        return first;
    }
    void Copy(const CArray& other) { items_ = other.items_; }

private:
    size_t Checked(int index) const {
        if (index < 0 || index >= GetSize()) AfxThrowInvalidArgException();
        return static_cast<size_t>(index);
    }
    std::vector<TYPE> items_;
};

// Pointers to objects; the array does not own them.
class CObArray : public CArray<CObject*, CObject*> {
    DECLARE_SERIAL(CObArray)
public:
    void Serialize(CArchive& archive) override;
};

class CStringArray : public CArray<CString> {
    DECLARE_SERIAL(CStringArray)
public:
    void Serialize(CArchive& archive) override;
};
