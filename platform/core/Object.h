// CObject, the root of the class library's hierarchy, and the run-time class
// records behind IsKindOf and creation by class record (documents, views and
// frames are created from their records by a document template).
#pragma once

#include "platform/core/WinTypes.h"

class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;
    CObject* (*m_pfnCreateObject)();
    CRuntimeClass* m_pBaseClass;

    // A new object of the class; nullptr when the class cannot be created
    // dynamically.
    CObject* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

class CObject {
public:
    virtual ~CObject() = default;

    virtual CRuntimeClass* GetRuntimeClass() const;
    BOOL IsKindOf(const CRuntimeClass* pClass) const;

    static CRuntimeClass classCObject;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                \
public:                                            \
    static CRuntimeClass class##class_name;        \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject* CreateObject();

#define IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, pfnNew)                                  \
    CRuntimeClass class_name::class##class_name = {#class_name, static_cast<int>(sizeof(class_name)), wSchema, \
                                                   pfnNew, RUNTIME_CLASS(base_class_name)};                    \
    CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)         \
    CObject* class_name::CreateObject() { return new class_name; } \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

namespace platform {

// The object as a T when its run-time class derives from T's, else nullptr.
template <class T, class U>
T* DynamicDowncast(const CRuntimeClass* targetClass, U* object)
{
    if (object == nullptr || !object->IsKindOf(targetClass))
        return nullptr;
    return static_cast<T*>(object);
}

}  // namespace platform

#define DYNAMIC_DOWNCAST(class_name, object) (::platform::DynamicDowncast<class_name>(RUNTIME_CLASS(class_name), object))
#define STATIC_DOWNCAST(class_name, object) (static_cast<class_name*>(object))
