#pragma once
#include "foundation/Export.h"
#include "Wnd.h"

// A dialog made from a template in the host's resources.
class VELLANTS_API CDialog : public CWnd {
public:
    CDialog() = default;
    CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}
    CDialog(const char* templateName, CWnd* parent) : m_lpszTemplateName(templateName), m_pParentWnd(parent) {}
    ~CDialog() override;

    // A modeless window; the caller runs the message loop and destroys it.
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    BOOL Create(CWnd* parent = nullptr);
    // Shows the dialog with the parent disabled and runs its own message loop, in
    // which every message passes PreTranslateMessage, until EndDialog; returns
    // EndDialog's result, or -1 when the window cannot be made.
    INT_PTR DoModal();
    void EndDialog(int result);
    BOOL DestroyWindow();

    virtual BOOL OnInitDialog();
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    UINT m_nIDTemplate = 0;
    const char* m_lpszTemplateName = nullptr;
    CWnd* m_pParentWnd = nullptr;

protected:
    DECLARE_MESSAGE_MAP()

private:
    const char* TemplateName() const;
    void RunModalLoop();
    bool m_modal = false;
    bool m_endModal = false;
    INT_PTR m_modalResult = -1;
    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
};

VELLANTS_API INT_PTR CALLBACK AfxDlgProc(HWND window, UINT message, WPARAM w, LPARAM l);
