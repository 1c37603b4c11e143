#include "afx/object.h"

#include <cstring>
#include <mutex>
#include <vector>

#include "afx/archive.h"

namespace {

constexpr size_t kMaxClassName = 64;  // with its terminator, as the framework

struct Registry {
    std::mutex lock;
    std::vector<const CRuntimeClass*> classes;
};

Registry& Classes() {
    static Registry registry;
    return registry;
}

}  // namespace

const CRuntimeClass CObject::classCObject = {"CObject", sizeof(CObject), 0xFFFF, nullptr, nullptr};

AFX_CLASSINIT::AFX_CLASSINIT(const CRuntimeClass* newClass) {
    Registry& registry = Classes();
    std::lock_guard guard(registry.lock);
    registry.classes.push_back(newClass);
}

CObject* CRuntimeClass::CreateObject() const {
    return m_pfnCreateObject != nullptr ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* at = this; at != nullptr; at = at->m_pBaseClass) {
        if (at == base) return true;
    }
    return false;
}

const CRuntimeClass* CRuntimeClass::FromName(const char* name) {
    if (name == nullptr) return nullptr;
    Registry& registry = Classes();
    std::lock_guard guard(registry.lock);
    for (const CRuntimeClass* runtimeClass : registry.classes) {
        if (std::strcmp(runtimeClass->m_lpszClassName, name) == 0) return runtimeClass;
    }
    return nullptr;
}

void CRuntimeClass::Store(CArchive& archive) const {
    const auto length = static_cast<WORD>(std::strlen(m_lpszClassName));
    archive << static_cast<WORD>(m_wSchema & ~VERSIONABLE_SCHEMA) << length;
    archive.Write(m_lpszClassName, length);
}

const CRuntimeClass* CRuntimeClass::Load(CArchive& archive, UINT* schema) {
    WORD stored = 0;
    WORD length = 0;
    archive >> stored >> length;
    if (schema != nullptr) *schema = stored;
    char name[kMaxClassName];
    if (length >= kMaxClassName || archive.Read(name, length) != length) return nullptr;
    name[length] = 0;
    return FromName(name);
}

const CRuntimeClass* CObject::GetRuntimeClass() const {
    return &classCObject;
}

bool CObject::IsKindOf(const CRuntimeClass* runtimeClass) const {
    return GetRuntimeClass()->IsDerivedFrom(runtimeClass);
}

bool CObject::IsSerializable() const {
    return GetRuntimeClass()->m_wSchema != 0xFFFF;
}

void CObject::Serialize(CArchive&) {}
