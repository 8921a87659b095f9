#pragma once
// The object root with run-time class information in the MFC manner: a class
// that declares it can name itself and tell whether it derives from another.
#include "foundation/Export.h"
#include <windows.h>

class CObject;

struct VELLANTS_API CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;
    CObject* (*m_pfnCreateObject)();
    CRuntimeClass* (*m_pfnGetBaseClass)();
    BOOL IsDerivedFrom(const CRuntimeClass* base) const;
};

#define RUNTIME_CLASS(theClass) (const_cast<CRuntimeClass*>(&theClass::class##theClass))

#define DECLARE_DYNAMIC(theClass)               \
public:                                         \
    static const CRuntimeClass class##theClass; \
    static CRuntimeClass* _GetBaseClass();      \
    CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(theClass, baseClass)                                                     \
    CRuntimeClass* theClass::_GetBaseClass() { return RUNTIME_CLASS(baseClass); }                  \
    const CRuntimeClass theClass::class##theClass = {#theClass, sizeof(theClass), 0xFFFF, nullptr, \
                                                     &theClass::_GetBaseClass};                    \
    CRuntimeClass* theClass::GetRuntimeClass() const { return RUNTIME_CLASS(theClass); }

class VELLANTS_API CObject {
public:
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    BOOL IsKindOf(const CRuntimeClass* wanted) const { return GetRuntimeClass()->IsDerivedFrom(wanted); }

    static const CRuntimeClass classCObject;
};
