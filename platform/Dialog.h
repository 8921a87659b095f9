#pragma once
#include "Wnd.h"

// A dialog made from a template in the host's resources.
class CDialog : public CWnd {
public:
    CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}
    virtual BOOL OnInitDialog() { UpdateData(FALSE); return TRUE; }
    virtual void OnOK() {}
    virtual void OnCancel() {}

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
};
