// CArchive: the framework's binary archive over a CFile, buffered.
// Integers are little-endian; CString is written in the wide form (0xFF,
// 0xFFFE, a length of one, three or seven bytes in UTF-16 units, then
// UTF-16LE) and read in the wide or the narrow (UTF-8) form. Objects are
// written with their class the first time (0xFFFF, schema, name) and by
// reference after (0x8000 | class index); an object met again is written as
// its index. Reading follows the general rule (0: null; 0x7FFF: a 32-bit
// tag follows) and throws CArchiveException* for anything out of place:
// the end of the data, an unknown class or schema, an index never written.
// Reading never allocates more than the data can hold.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "afx/cstring.h"
#include "afx/exception.h"
#include "afx/file.h"
#include "afx/object.h"

class CArchive {
public:
    enum Mode : UINT { store = 0, load = 1, bNoFlushOnDelete = 2 };

    CArchive(CFile* file, UINT mode, int bufferSize = 4096);
    // Flushes what a storing archive still holds, ignoring failures.
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const { return loading_; }
    bool IsStoring() const { return !loading_; }
    CFile* GetFile() const { return file_; }
    // Writes what is buffered (storing) and detaches from the file.
    void Close();
    void Abort();
    void Flush();

    // Bytes read, fewer than asked only at the end of the data.
    UINT Read(void* buffer, UINT count);
    void Write(const void* buffer, UINT count);

    CArchive& operator<<(BYTE value) { return Put(value); }
    CArchive& operator<<(WORD value) { return Put(value); }
    CArchive& operator<<(DWORD value) { return Put(value); }
    CArchive& operator<<(LONG value) { return Put(value); }
    CArchive& operator<<(short value) { return Put(value); }
    CArchive& operator<<(char value) { return Put(value); }
    CArchive& operator<<(LONGLONG value) { return Put(value); }
    CArchive& operator<<(ULONGLONG value) { return Put(value); }
    CArchive& operator<<(float value) { return Put(value); }
    CArchive& operator<<(double value) { return Put(value); }
    CArchive& operator<<(const CString& text);
    CArchive& operator<<(const CObject* object) {
        WriteObject(object);
        return *this;
    }

    CArchive& operator>>(BYTE& value) { return Get(value); }
    CArchive& operator>>(WORD& value) { return Get(value); }
    CArchive& operator>>(DWORD& value) { return Get(value); }
    CArchive& operator>>(LONG& value) { return Get(value); }
    CArchive& operator>>(short& value) { return Get(value); }
    CArchive& operator>>(char& value) { return Get(value); }
    CArchive& operator>>(LONGLONG& value) { return Get(value); }
    CArchive& operator>>(ULONGLONG& value) { return Get(value); }
    CArchive& operator>>(float& value) { return Get(value); }
    CArchive& operator>>(double& value) { return Get(value); }
    CArchive& operator>>(CString& text);
    CArchive& operator>>(CObject*& object) {
        object = ReadObject(nullptr);
        return *this;
    }

    // A count: 16 bits below 0xFFFF, else 0xFFFF and 32 bits.
    void WriteCount(DWORD count);
    DWORD ReadCount();

    void WriteObject(const CObject* object);
    // The next object, which must be of `requested` (any when null); the
    // caller owns a new object. An object met before is answered again.
    CObject* ReadObject(const CRuntimeClass* requested);
    void WriteClass(const CRuntimeClass* runtimeClass);
    // The schema stored with the class of the object being read.
    UINT GetObjectSchema() const { return objectSchema_; }

private:
    template <class T>
    CArchive& Put(T value) {
        Write(&value, sizeof(value));  // the platform is little-endian
        return *this;
    }
    template <class T>
    CArchive& Get(T& value) {
        if (Read(&value, sizeof(value)) != sizeof(value)) Throw(CArchiveException::endOfFile);
        return *this;
    }
    [[noreturn]] void Throw(int cause) const;
    void WriteLength(size_t length, bool wide);
    // A class or object met before, by its map index.
    void WriteIndex(DWORD index, bool ofClass);
    // The length of a string and whether it is in the wide form.
    size_t ReadLength(bool& wide);
    // Reads the next class or object tag: the class (new or referenced), or
    // null with the object index in `objectTag`.
    const CRuntimeClass* ReadClass(const CRuntimeClass* requested, UINT& schema, DWORD& objectTag);
    void Refill();

    struct Loaded {
        const CRuntimeClass* runtimeClass = nullptr;  // a class entry
        CObject* object = nullptr;                    // or an object entry
        UINT schema = 0;
    };

    CFile* file_;
    bool loading_;
    std::vector<std::uint8_t> buffer_;
    size_t at_ = 0;      // next byte to read, or bytes waiting to be written
    size_t filled_ = 0;  // bytes of the buffer holding data (loading)
    std::unordered_map<const void*, DWORD> stored_;
    std::vector<Loaded> loaded_ {Loaded {}};  // index 0 stands for null
    DWORD mapCount_ = 1;
    UINT objectSchema_ = static_cast<UINT>(-1);
};
