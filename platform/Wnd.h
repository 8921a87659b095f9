#pragma once
// Window wrappers in the MFC manner, holding what the library's dialogs use.
#include "CString.h"
#include "MessageMap.h"

class CWnd;

// Carries the direction of one data exchange between a dialog and its members.
class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    ~CWnd() override = default;

    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND DlgItem(int id) const { return m_hWnd ? ::GetDlgItem(m_hWnd, id) : nullptr; }
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }

    HWND m_hWnd = nullptr;

protected:
    virtual void DoDataExchange(CDataExchange*) {}
};

void DDX_Check(CDataExchange* dx, int id, BOOL& value);

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;
    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }
    const char* m_pszAppName;
};

CWinApp* AfxGetApp();
