#include "Dialog.h"
#include <cstring>
#include <string>

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_BN_CLICKED(IDOK, OnOK)
ON_BN_CLICKED(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

INT_PTR CALLBACK AfxDlgProc(HWND window, UINT message, WPARAM, LPARAM l) {
    if (message != WM_INITDIALOG) return FALSE;
    CDialog* dialog = reinterpret_cast<CDialog*>(l);
    dialog->Attach(window);
    dialog->m_oldProc =
        reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    return dialog->OnInitDialog();
}

CDialog::~CDialog() { DestroyWindow(); }

const char* CDialog::TemplateName() const {
    return m_lpszTemplateName ? m_lpszTemplateName : MAKEINTRESOURCEA(m_nIDTemplate);
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    m_nIDTemplate = templateId;
    m_lpszTemplateName = nullptr;
    return Create(parent);
}

BOOL CDialog::Create(CWnd* parent) {
    if (parent) m_pParentWnd = parent;
    return ::CreateDialogParamA(AfxGetResourceHandle(), TemplateName(), m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr,
                                &AfxDlgProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

INT_PTR CDialog::DoModal() {
    HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    const bool disabledParent = parent && ::IsWindowEnabled(parent);
    if (disabledParent) ::EnableWindow(parent, FALSE);
    m_modal = true;
    m_endModal = false;
    m_modalResult = -1;
    if (Create(m_pParentWnd)) {
        if (!::IsWindowVisible(m_hWnd)) ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
        RunModalLoop();
    }
    // Hidden before the parent comes back, so that the parent is activated again.
    if (m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (disabledParent) {
        ::EnableWindow(parent, TRUE);
        ::SetActiveWindow(parent);
    }
    DestroyWindow();
    m_modal = false;
    return m_modalResult;
}

void CDialog::RunModalLoop() {
    MSG message;
    while (!m_endModal && m_hWnd) {
        const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
        if (got <= 0) {
            // The application is ending: close the dialog and leave the quit for the outer loop.
            if (got == 0) ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (WalkPreTranslateTree(m_hWnd, &message) || ::IsDialogMessageA(m_hWnd, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

void CDialog::EndDialog(int result) {
    if (!m_hWnd) return;
    if (!m_modal) {
        DestroyWindow();
        return;
    }
    m_modalResult = result;
    m_endModal = true;
    ::PostMessageA(m_hWnd, WM_NULL, 0, 0);  // wakes the loop
}

BOOL CDialog::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

namespace {
// Fills list controls from the template's initialisation resource (type 240):
// records of control id, message, byte count and data, ended by a zero id.
void ExecuteDlgInit(HWND dialog, const char* templateName) {
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC found = ::FindResourceA(module, templateName, MAKEINTRESOURCEA(240));
    if (!found) return;
    const BYTE* data = static_cast<const BYTE*>(::LockResource(::LoadResource(module, found)));
    const DWORD size = ::SizeofResource(module, found);
    DWORD at = 0;
    while (data && at + 8 <= size) {
        WORD control, message;
        DWORD length;
        std::memcpy(&control, data + at, 2);
        if (control == 0) break;
        std::memcpy(&message, data + at + 2, 2);
        std::memcpy(&length, data + at + 4, 4);
        at += 8;
        if (length > size - at) break;
        const std::string text(reinterpret_cast<const char*>(data + at), length);
        const UINT add = message == 0x0401 ? LB_ADDSTRING : message == 0x0403 ? CB_ADDSTRING : 0;
        if (add) ::SendDlgItemMessageA(dialog, control, add, 0, reinterpret_cast<LPARAM>(text.c_str()));
        at += length;
    }
}
}  // namespace

BOOL CDialog::OnInitDialog() {
    ExecuteDlgInit(m_hWnd, TemplateName());
    UpdateData(FALSE);
    return TRUE;
}
