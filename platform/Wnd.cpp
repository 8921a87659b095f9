#include "Wnd.h"

namespace {
CWinApp* theApp = nullptr;
}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    if (!m_hWnd) return FALSE;
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void DDX_Check(CDataExchange* dx, int id, BOOL& value) {
    HWND dialog = dx->m_pDlgWnd->m_hWnd;
    if (dx->m_bSaveAndValidate)
        value = static_cast<BOOL>(::SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
    else
        ::SendDlgItemMessageA(dialog, id, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName) { theApp = this; }

CWinApp::~CWinApp() {
    if (theApp == this) theApp = nullptr;
}

CWinApp* AfxGetApp() { return theApp; }
