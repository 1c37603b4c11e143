// CObject and run-time class information: every class declared with
// DECLARE_DYNAMIC, DECLARE_DYNCREATE or DECLARE_SERIAL knows its name, its
// base and (for the latter two) how to create itself; serialisable classes
// are found by name when an archive is read. A schema ORed with
// VERSIONABLE_SCHEMA accepts objects stored under any schema, which the
// object then reads back through CArchive::GetObjectSchema.
#pragma once

#include "win/wintypes.h"

class CArchive;
class CObject;

inline constexpr UINT VERSIONABLE_SCHEMA = 0x80000000u;

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;  // 0xFFFF: not serialisable
    CObject* (*m_pfnCreateObject)();
    const CRuntimeClass* m_pBaseClass;

    // A new object of the class, or null when it cannot be created.
    CObject* CreateObject() const;
    bool IsDerivedFrom(const CRuntimeClass* base) const;
    // A serialisable class by its name, or null.
    static const CRuntimeClass* FromName(const char* name);
    // The archive form: schema (16 bits, without the versionable flag),
    // name length (16 bits), the name's bytes.
    void Store(CArchive& archive) const;
    // Reads that form; the class or null for an unknown or unreadable name.
    static const CRuntimeClass* Load(CArchive& archive, UINT* schema);
};

// Registers a serialisable class for FromName; one static instance per class.
struct AFX_CLASSINIT {
    explicit AFX_CLASSINIT(const CRuntimeClass* newClass);
};

class CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    bool IsKindOf(const CRuntimeClass* runtimeClass) const;
    bool IsSerializable() const;
    virtual void Serialize(CArchive& archive);

    static const CRuntimeClass classCObject;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)               \
public:                                           \
    static const CRuntimeClass class##class_name; \
    const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject* CreateObject();

#define DECLARE_SERIAL(class_name) \
    DECLARE_DYNCREATE(class_name)  \
    friend CArchive& operator>>(CArchive& archive, class_name*& object);

#define AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, create)                           \
    const CRuntimeClass class_name::class##class_name = {#class_name, sizeof(class_name), schema, create, \
                                                         RUNTIME_CLASS(base_class_name)};                 \
    const CRuntimeClass* class_name::GetRuntimeClass() const {                                            \
        return RUNTIME_CLASS(class_name);                                                                 \
    }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name) \
    CObject* class_name::CreateObject() {                \
        return new class_name;                           \
    }                                                    \
    AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_class_name, schema)                                 \
    CObject* class_name::CreateObject() {                                                     \
        return new class_name;                                                                \
    }                                                                                         \
    AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, class_name::CreateObject) \
    static const AFX_CLASSINIT s_init##class_name(RUNTIME_CLASS(class_name));                 \
    CArchive& operator>>(CArchive& archive, class_name*& object) {                            \
        object = static_cast<class_name*>(archive.ReadObject(RUNTIME_CLASS(class_name)));     \
        return archive;                                                                       \
    }
