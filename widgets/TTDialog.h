#pragma once
// A dialog that shows a tool tip for each control, its text the string resource
// with the control's identifier, unless the host switched tool tips off.
#include "foundation/Export.h"
#include "platform/afxwin.h"

class VELLANTS_API TTDialog : public CDialog {
public:
    TTDialog();
    TTDialog(const char* templateName, CWnd* parent);
    TTDialog(UINT templateId, CWnd* parent);
    ~TTDialog() override = default;

    BOOL OnInitDialog() override;
    virtual BOOL OnToolTipNotify(UINT id, NMHDR* header, LRESULT* result);
    virtual CString GetToolTipText(UINT controlId, CString text);
    virtual bool IsToolTipSuppressed(UINT controlId);

    const CFont& DialogFont() const { return m_font; }

protected:
    DECLARE_MESSAGE_MAP()

    int m_tipWidth = 400;
    char m_tipText[512] = {0};
    wchar_t m_tipTextW[512] = {0};
    CFont m_font;
};
