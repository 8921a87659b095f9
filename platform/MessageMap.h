#pragma once
#include "foundation/Export.h"
// Static message tables in the MFC manner: each class lists the messages it
// handles, with the handler's calling form, and links to its base's table.
#include "Object.h"
#include <windows.h>

class CCmdTarget;
using AFX_PMSG = void (CCmdTarget::*)();

// How a handler is called; the dispatcher casts the stored pointer back by it.
enum AfxSig : UINT {
    AfxSig_vv,      // void ()                               commands
    AfxSig_bNMHDR,  // BOOL (UINT id, NMHDR*, LRESULT*)      notifications
    AfxSig_vwp,     // void (UINT flags, POINT)              mouse
    AfxSig_bD,      // BOOL (HDC)                            erase background
    AfxSig_is,      // int (LPCREATESTRUCT)                  create
    AfxSig_vw,      // void (UINT_PTR)                       timer
    AfxSig_bWww,    // BOOL (HWND, UINT hitTest, UINT msg)   set cursor
    AfxSig_vwww,    // void (UINT key, UINT repeat, UINT flags) keys
    AfxSig_vW,      // void (HWND other)                     focus
    AfxSig_lp,      // LRESULT (POINT)                       hit test
    AfxSig_hDw,     // HBRUSH (HDC, UINT)                    reflected control colour
};

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;
    UINT nID;
    UINT nLastID;
    UINT nSig;
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

class VELLANTS_API CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)

public:
    ~CCmdTarget() override = default;
    // Runs the command handler registered for (code, id); false when none is.
    bool OnCmdMsg(UINT code, UINT id);
    // The entry for a message (and code/id where they matter), or null.
    const AFX_MSGMAP_ENTRY* FindEntry(UINT message, UINT code, UINT id) const;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

#define DECLARE_MESSAGE_MAP()                     \
protected:                                        \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
        using ThisClass [[maybe_unused]] = theClass;                                  \
        using TheBaseClass = baseClass;                                               \
        static const AFX_MSGMAP_ENTRY entries[] = {
#define END_MESSAGE_MAP()                                                      \
    { 0, 0, 0, 0, 0, nullptr }                                                 \
    }                                                                          \
    ;                                                                          \
    static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
    return &map;                                                               \
    }

#define AFX_ENTRY(message, code, first, last, sig, handler) \
    {static_cast<UINT>(message),                            \
     static_cast<UINT>(code),                               \
     static_cast<UINT>(first),                              \
     static_cast<UINT>(last),                               \
     sig,                                                   \
     reinterpret_cast<AFX_PMSG>(handler)},

#define ON_COMMAND_CODE(code, id, handler) \
    AFX_ENTRY(WM_COMMAND, code, id, id, AfxSig_vv, static_cast<void (ThisClass::*)()>(&ThisClass::handler))
#define ON_BN_CLICKED(id, handler) ON_COMMAND_CODE(BN_CLICKED, id, handler)
#define ON_CBN_SELCHANGE(id, handler) ON_COMMAND_CODE(CBN_SELCHANGE, id, handler)
#define ON_CBN_SELENDOK(id, handler) ON_COMMAND_CODE(CBN_SELENDOK, id, handler)
#define ON_NOTIFY_EX_RANGE(code, first, last, handler)     \
    AFX_ENTRY(WM_NOTIFY, code, first, last, AfxSig_bNMHDR, \
              static_cast<BOOL (ThisClass::*)(UINT, NMHDR*, LRESULT*)>(&ThisClass::handler))
#define ON_NOTIFY_EX(code, id, handler) ON_NOTIFY_EX_RANGE(code, id, id, handler)
#define ON_MOUSE_MESSAGE(message, handler) \
    AFX_ENTRY(message, 0, 0, 0, AfxSig_vwp, static_cast<void (ThisClass::*)(UINT, POINT)>(&ThisClass::handler))
#define ON_WM_MOUSEMOVE() ON_MOUSE_MESSAGE(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_LBUTTONDOWN() ON_MOUSE_MESSAGE(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() ON_MOUSE_MESSAGE(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_ERASEBKGND() \
    AFX_ENTRY(WM_ERASEBKGND, 0, 0, 0, AfxSig_bD, static_cast<BOOL (ThisClass::*)(HDC)>(&ThisClass::OnEraseBkgnd))
#define ON_WM_CREATE() \
    AFX_ENTRY(WM_CREATE, 0, 0, 0, AfxSig_is, static_cast<int (ThisClass::*)(LPCREATESTRUCT)>(&ThisClass::OnCreate))
#define ON_WM_TIMER() \
    AFX_ENTRY(WM_TIMER, 0, 0, 0, AfxSig_vw, static_cast<void (ThisClass::*)(UINT_PTR)>(&ThisClass::OnTimer))
#define ON_WM_SETCURSOR()                         \
    AFX_ENTRY(WM_SETCURSOR, 0, 0, 0, AfxSig_bWww, \
              static_cast<BOOL (ThisClass::*)(HWND, UINT, UINT)>(&ThisClass::OnSetCursor))
#define ON_WM_KEYDOWN()                         \
    AFX_ENTRY(WM_KEYDOWN, 0, 0, 0, AfxSig_vwww, \
              static_cast<void (ThisClass::*)(UINT, UINT, UINT)>(&ThisClass::OnKeyDown))
#define ON_WM_SETFOCUS() \
    AFX_ENTRY(WM_SETFOCUS, 0, 0, 0, AfxSig_vW, static_cast<void (ThisClass::*)(HWND)>(&ThisClass::OnSetFocus))
#define ON_WM_KILLFOCUS() \
    AFX_ENTRY(WM_KILLFOCUS, 0, 0, 0, AfxSig_vW, static_cast<void (ThisClass::*)(HWND)>(&ThisClass::OnKillFocus))
#define ON_WM_NCHITTEST() \
    AFX_ENTRY(WM_NCHITTEST, 0, 0, 0, AfxSig_lp, static_cast<LRESULT (ThisClass::*)(POINT)>(&ThisClass::OnNcHitTest))
// A control's colour request, reflected back from its parent.
#define ON_WM_CTLCOLOR_REFLECT()                               \
    AFX_ENTRY(WM_CTLCOLORSTATIC + 0x2000, 0, 0, 0, AfxSig_hDw, \
              static_cast<HBRUSH (ThisClass::*)(HDC, UINT)>(&ThisClass::CtlColor))
