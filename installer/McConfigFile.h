#pragma once
#include "foundation/Export.h"
#include "installer/McKind.h"
#include "platform/CString.h"
#include <cstdint>

// Positions of the six add-on options in every flag set.
enum OptionIndex {
    kOpMgrHook = 0,
    kOpMgrButton,
    kOpMgrToolDefs,
    kOpMgrDisableToolpath,
    kToolbar,
    kEditor,
    kOptionCount
};

// One Mastercam configuration file and the options it carries and should carry.
struct McConfigFile {
    CString path;
    int32_t version = 0;  // 9, 8, or 0 for a folder the user added
    int32_t kind = kMill;
    bool installed[kOptionCount] = {};
    bool wanted[kOptionCount] = {};
};

// The label of a kind in the file list: "Mastercam" for any code but 1 to 5.
VELLANTS_API const char* KindLabel(int kind);
