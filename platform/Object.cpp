#include "Object.h"

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* kind = this; kind; kind = kind->m_pfnGetBaseClass ? kind->m_pfnGetBaseClass() : nullptr)
        if (kind == base) return TRUE;
    return FALSE;
}

const CRuntimeClass CObject::classCObject = {"CObject", sizeof(CObject), 0xFFFF, nullptr, nullptr};

CRuntimeClass* CObject::GetRuntimeClass() const { return RUNTIME_CLASS(CObject); }
