#pragma once
// The add-on files and where they go, joined to the add-on source folder and to
// a Mastercam installation folder.

struct AddonFile {
    const char* source;
    const char* target;
};

// Needed by both the toolbar and the operations-manager hook, always in this order.
constexpr AddonFile kHookFiles[] = {
    {"GotoQTX.dll", "chooks\\GotoQTX.dll"},
    {"GotoQTX.bmp", "common\\icons\\GotoQTX.bmp"},
    {"QTXTrans.dll", "chooks\\QTXTrans.dll"},
};
constexpr AddonFile kOpMgrFiles[] = {
    {"QTXGetOps.dll", "chooks\\QTXGetOps.dll"},
    {"QTXTrans.dll", "chooks\\QTXTrans.dll"},
};
constexpr const char* kEditorFolder = "common\\editors\\QTX_V2";
// The leading backslash doubles the separator after the folder; Windows accepts it.
constexpr AddonFile kEditorProgram = {"QTX_V2.exe", "\\common\\editors\\QTX_V2\\QTX_V2.exe"};
constexpr const char* kCompanionProgram = "qtx2cam.exe";
constexpr const char* kBackupSuffix = ".QTXSave";
