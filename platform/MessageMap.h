#pragma once
// Static command tables in the MFC manner: each class lists the notifications it
// handles and links to its base's table.
#include <windows.h>

class CCmdTarget;
using AFX_PMSG = void (CCmdTarget::*)();

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;
    UINT nID;
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    // Runs the handler registered for (message, code, id); false when none is.
    bool OnCmdMsg(UINT message, UINT code, UINT id);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

#define DECLARE_MESSAGE_MAP()                       \
protected:                                          \
    static const AFX_MSGMAP* GetThisMessageMap();   \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                              \
        using ThisClass [[maybe_unused]] = theClass;                               \
        using TheBaseClass = baseClass;                                            \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                  \
            {0, 0, 0, nullptr}                                             \
        };                                                                 \
        static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
        return &map;                                                       \
    }

#define ON_COMMAND_CODE(code, id, handler) \
    {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<AFX_PMSG>(&ThisClass::handler)},
#define ON_BN_CLICKED(id, handler) ON_COMMAND_CODE(BN_CLICKED, id, handler)
#define ON_CBN_SELCHANGE(id, handler) ON_COMMAND_CODE(CBN_SELCHANGE, id, handler)
#define ON_CBN_SELENDOK(id, handler) ON_COMMAND_CODE(CBN_SELENDOK, id, handler)
