#include "afx/archive.h"

#include <algorithm>
#include <cstring>

#include "win/text.h"

namespace {

constexpr WORD kNullTag = 0;
constexpr WORD kNewClassTag = 0xFFFF;
constexpr WORD kClassTag = 0x8000;
constexpr DWORD kBigClassTag = 0x80000000;
constexpr WORD kBigObjectTag = 0x7FFF;
constexpr DWORD kMaxMapCount = 0x3FFFFFFE;
constexpr size_t kStringChunk = 4096;  // UTF-16 units read at a time

}  // namespace

CArchive::CArchive(CFile* file, UINT mode, int bufferSize)
    : file_(file), loading_((mode & load) != 0), buffer_(static_cast<size_t>(std::max(bufferSize, 16))) {}

CArchive::~CArchive() {
    if (file_ == nullptr || loading_) return;
    try {
        Flush();
    } catch (CException* error) {
        error->Delete();
    }
    file_ = nullptr;
}

void CArchive::Throw(int cause) const {
    AfxThrowArchiveException(cause, file_ != nullptr ? file_->GetFilePath().GetString() : nullptr);
}

void CArchive::Close() {
    if (!loading_) Flush();
    file_ = nullptr;
}

void CArchive::Abort() {
    file_ = nullptr;
}

void CArchive::Flush() {
    if (file_ == nullptr || loading_ || at_ == 0) return;
    file_->Write(buffer_.data(), static_cast<UINT>(at_));
    at_ = 0;
}

void CArchive::Refill() {
    at_ = 0;
    filled_ = file_ != nullptr ? file_->Read(buffer_.data(), static_cast<UINT>(buffer_.size())) : 0;
}

UINT CArchive::Read(void* buffer, UINT count) {
    if (!loading_) Throw(CArchiveException::writeOnly);
    auto* out = static_cast<std::uint8_t*>(buffer);
    UINT done = 0;
    while (done < count) {
        if (at_ == filled_) {
            Refill();
            if (filled_ == 0) break;
        }
        const size_t take = std::min<size_t>(count - done, filled_ - at_);
        std::memcpy(out + done, buffer_.data() + at_, take);
        at_ += take;
        done += static_cast<UINT>(take);
    }
    return done;
}

void CArchive::Write(const void* buffer, UINT count) {
    if (loading_) Throw(CArchiveException::readOnly);
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    while (count > 0) {
        if (at_ == buffer_.size()) Flush();
        const size_t take = std::min<size_t>(count, buffer_.size() - at_);
        std::memcpy(buffer_.data() + at_, in, take);
        at_ += take;
        in += take;
        count -= static_cast<UINT>(take);
    }
}

void CArchive::WriteLength(size_t length, bool wide) {
    if (wide) *this << BYTE {0xFF} << WORD {0xFFFE};
    if (length < 0xFF) {
        *this << static_cast<BYTE>(length);
    } else if (length < 0xFFFE) {
        *this << BYTE {0xFF} << static_cast<WORD>(length);
    } else {
        *this << BYTE {0xFF} << WORD {0xFFFF} << static_cast<DWORD>(length);
    }
}

size_t CArchive::ReadLength(bool& wide) {
    wide = false;
    BYTE shortLength = 0;
    *this >> shortLength;
    if (shortLength < 0xFF) return shortLength;
    WORD length = 0;
    *this >> length;
    if (length == 0xFFFE) {
        wide = true;
        *this >> shortLength;
        if (shortLength < 0xFF) return shortLength;
        *this >> length;
    }
    if (length < 0xFFFF) return length;
    DWORD longLength = 0;
    *this >> longLength;
    if (longLength == 0xFFFFFFFF) Throw(CArchiveException::genericException);  // 64-bit lengths are not kept
    return longLength;
}

CArchive& CArchive::operator<<(const CString& text) {
    const std::u16string units = movanta::WideToUtf16(text.Wide());
    WriteLength(units.size(), true);
    if (!units.empty()) Write(units.data(), static_cast<UINT>(units.size() * 2));
    return *this;
}

CArchive& CArchive::operator>>(CString& text) {
    bool wide = false;
    size_t length = ReadLength(wide);
    if (!wide) {
        std::string bytes;
        char chunk[kStringChunk];
        while (length > 0) {
            const UINT take = static_cast<UINT>(std::min(length, sizeof(chunk)));
            if (Read(chunk, take) != take) Throw(CArchiveException::endOfFile);
            bytes.append(chunk, take);
            length -= take;
        }
        text = CString(bytes.c_str());
        return *this;
    }
    // Read a chunk at a time: the length is only what the data claims.
    std::u16string units;
    char16_t chunk[kStringChunk];
    while (length > 0) {
        const size_t take = std::min(length, kStringChunk);
        if (Read(chunk, static_cast<UINT>(take * 2)) != take * 2) Throw(CArchiveException::endOfFile);
        units.append(chunk, take);
        length -= take;
    }
    text = CString(std::wstring_view(movanta::Utf16ToWide(units)));
    return *this;
}

void CArchive::WriteCount(DWORD count) {
    if (count < 0xFFFF) {
        *this << static_cast<WORD>(count);
    } else {
        *this << WORD {0xFFFF} << count;
    }
}

DWORD CArchive::ReadCount() {
    WORD count = 0;
    *this >> count;
    if (count != 0xFFFF) return count;
    DWORD longCount = 0;
    *this >> longCount;
    return longCount;
}

void CArchive::WriteIndex(DWORD index, bool ofClass) {
    if (index < kBigObjectTag) {
        *this << static_cast<WORD>((ofClass ? kClassTag : 0) | index);
    } else {
        *this << kBigObjectTag << ((ofClass ? kBigClassTag : 0) | index);
    }
}

void CArchive::WriteClass(const CRuntimeClass* runtimeClass) {
    if (runtimeClass == nullptr || runtimeClass->m_wSchema == 0xFFFF) Throw(CArchiveException::badClass);
    const auto known = stored_.find(runtimeClass);
    if (known != stored_.end()) {
        WriteIndex(known->second, true);
        return;
    }
    *this << kNewClassTag;
    runtimeClass->Store(*this);
    if (mapCount_ >= kMaxMapCount) Throw(CArchiveException::badIndex);
    stored_[runtimeClass] = mapCount_++;
}

void CArchive::WriteObject(const CObject* object) {
    if (object == nullptr) {
        *this << kNullTag;
        return;
    }
    const auto known = stored_.find(object);
    if (known != stored_.end()) {
        WriteIndex(known->second, false);
        return;
    }
    WriteClass(object->GetRuntimeClass());
    if (mapCount_ >= kMaxMapCount) Throw(CArchiveException::badIndex);
    stored_[object] = mapCount_++;
    const_cast<CObject*>(object)->Serialize(*this);
}

const CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* requested, UINT& schema, DWORD& objectTag) {
    WORD tag = 0;
    *this >> tag;
    DWORD fullTag = 0;
    if (tag == kBigObjectTag) {
        *this >> fullTag;
    } else {
        fullTag = (static_cast<DWORD>(tag & kClassTag) << 16) | (tag & ~kClassTag);
    }
    const CRuntimeClass* runtimeClass = nullptr;
    if (tag == kNewClassTag) {
        runtimeClass = CRuntimeClass::Load(*this, &schema);
        if (runtimeClass == nullptr) Throw(CArchiveException::badClass);
        const UINT own = runtimeClass->m_wSchema;
        if (!(own & VERSIONABLE_SCHEMA) && own != schema) Throw(CArchiveException::badSchema);
        if (mapCount_ >= kMaxMapCount) Throw(CArchiveException::badIndex);
        loaded_.push_back({runtimeClass, nullptr, schema});
        ++mapCount_;
    } else if ((fullTag & kBigClassTag) == 0) {
        objectTag = fullTag;  // an object: null or one met before
        return nullptr;
    } else {
        const DWORD index = fullTag & ~kBigClassTag;
        if (index == 0 || index >= loaded_.size() || loaded_[index].runtimeClass == nullptr)
            Throw(CArchiveException::badIndex);
        runtimeClass = loaded_[index].runtimeClass;
        schema = loaded_[index].schema;
    }
    if (requested != nullptr && !runtimeClass->IsDerivedFrom(requested)) Throw(CArchiveException::badClass);
    return runtimeClass;
}

CObject* CArchive::ReadObject(const CRuntimeClass* requested) {
    if (!loading_) Throw(CArchiveException::writeOnly);
    UINT schema = 0;
    DWORD objectTag = 0;
    const CRuntimeClass* runtimeClass = ReadClass(requested, schema, objectTag);
    if (runtimeClass == nullptr) {
        if (objectTag == 0) return nullptr;
        if (objectTag >= loaded_.size() || loaded_[objectTag].object == nullptr) Throw(CArchiveException::badIndex);
        CObject* object = loaded_[objectTag].object;
        if (requested != nullptr && !object->IsKindOf(requested)) Throw(CArchiveException::badClass);
        return object;
    }
    CObject* object = runtimeClass->CreateObject();
    if (object == nullptr) AfxThrowMemoryException();
    if (mapCount_ >= kMaxMapCount) {
        delete object;
        Throw(CArchiveException::badIndex);
    }
    // Entered before its contents are read, so they may refer back to it.
    const size_t index = loaded_.size();
    loaded_.push_back({nullptr, object, schema});
    ++mapCount_;
    const UINT savedSchema = objectSchema_;
    objectSchema_ = schema;
    try {
        object->Serialize(*this);
    } catch (...) {
        loaded_[index].object = nullptr;
        delete object;
        objectSchema_ = savedSchema;
        throw;
    }
    objectSchema_ = savedSchema;
    return object;
}
