// Makes the configuration files, the Mastercam folders and the companion match
// the wanted options of every record.
#include "foundation/FileUtils.h"
#include "installer/VellantSetup.h"
#include <cstring>

namespace {
struct GroupState {
    bool hookWanted = false;
    bool hookInstalled = false;
    bool toolbarWanted = false;
    bool toolbarInstalled = false;
    bool editorWanted = false;
    bool editorInstalled = false;
};

bool AnyOpMgr(const bool* flags) {
    return flags[kOpMgrHook] || flags[kOpMgrButton] || flags[kOpMgrToolDefs] || flags[kOpMgrDisableToolpath];
}

void Fold(GroupState& group, const McConfigFile& record) {
    group.hookWanted |= AnyOpMgr(record.wanted);
    group.hookInstalled |= AnyOpMgr(record.installed);
    group.toolbarWanted |= record.wanted[kToolbar];
    group.toolbarInstalled |= record.installed[kToolbar];
    group.editorWanted |= record.wanted[kEditor];
    group.editorInstalled |= record.installed[kEditor];
}

PathString BackupOf(const CString& file) { return PathString(file + ".QTXSave"); }

// The rewriters read the backup; one left over from an earlier run must never be
// written over the file, so a failed copy skips the edit.
bool Backup(const CString& file) { return ::CopyFileA(file, BackupOf(file), FALSE) != 0; }

void CopyHookFiles(const PathString& source, const PathString& mcam) {
    ::CopyFileA(source + "GotoQTX.dll", mcam + "chooks\\GotoQTX.dll", FALSE);
    ::CopyFileA(source + "GotoQTX.bmp", mcam + "common\\icons\\GotoQTX.bmp", FALSE);
    ::CopyFileA(source + "QTXTrans.dll", mcam + "chooks\\QTXTrans.dll", FALSE);
}

void DeleteHookFiles(const PathString& mcam) {
    ::DeleteFileA(mcam + "chooks\\GotoQTX.dll");
    ::DeleteFileA(mcam + "common\\icons\\GotoQTX.bmp");
    ::DeleteFileA(mcam + "chooks\\QTXTrans.dll");
}
}  // namespace

void VellantSetup::Commit() {
    if (m_hWnd) UpdateData(TRUE);

    BOOL* const options[kOptionCount] = {&m_opMgrHook, &m_opMgrButton, &m_opMgrToolDefs,
                                         &m_opMgrDisableToolpath, &m_toolbar, &m_editor};
    for (McConfigFile& record : m_configFiles) {
        const bool inScope = (record.kind == kMill && m_allMill == TRUE) ||
                             (record.kind == kLathe && m_allLathe == TRUE) ||
                             (record.kind == kWire && m_allWire == TRUE) ||
                             (record.kind == kRouter && m_allRouter == TRUE);
        if (!inScope) continue;
        for (int i = 0; i < kOptionCount; ++i) record.wanted[i] = *options[i] == TRUE;
    }

    GroupState group8;
    GroupState group9;
    for (const McConfigFile& record : m_configFiles) {
        Fold(record.version == 8 ? group8 : group9, record);
        const bool* wanted = record.wanted;
        const bool* installed = record.installed;
        MakeCFGEnabledForHook(record.path, wanted[kOpMgrHook], wanted[kOpMgrButton], wanted[kOpMgrToolDefs],
                              wanted[kOpMgrDisableToolpath]);
        if (std::memcmp(wanted, installed, sizeof record.wanted) == 0) continue;

        const PathString backup = BackupOf(record.path);
        if ((wanted[kToolbar] && !installed[kToolbar]) || (wanted[kEditor] && !installed[kEditor])) {
            if (Backup(record.path))
                WhackMillCFG(backup, record.path, installed[kToolbar], wanted[kToolbar], installed[kEditor],
                             wanted[kEditor]);
        }
        if ((!wanted[kToolbar] && installed[kToolbar]) || (!wanted[kEditor] && installed[kEditor])) {
            if (Backup(record.path))
                DeWhackMillCFG(backup, record.path, installed[kToolbar], wanted[kToolbar], installed[kEditor],
                               wanted[kEditor]);
        }
    }

    int eight = 8;
    const PathString mcam8 = GetMCAMPath(&eight);
    const PathString source = GetDLLSourcePath();
    for (int version : {8, 9}) {
        int requested = 9;
        const PathString mcam = version == 8 ? mcam8 : GetMCAMPath(&requested);
        const GroupState& group = version == 8 ? group8 : group9;

        if (group.hookWanted && !group.hookInstalled) {
            CopyHookFiles(source, mcam);
            InstallOpMgr(mcam);
        } else if (!group.hookWanted && group.hookInstalled) {
            RemoveOpMgr(mcam);
            if (!group.toolbarWanted) DeleteHookFiles(mcam);
        }

        if (group.toolbarWanted) {
            if (!group.toolbarInstalled) CopyHookFiles(source, mcam);
        } else if (group.toolbarInstalled && !group.hookWanted) {
            DeleteHookFiles(mcam);
        }

        const PathString editorFolder = mcam + "common\\editors\\QTX_V2";
        const PathString editorProgram = mcam + "\\common\\editors\\QTX_V2\\QTX_V2.exe";
        const PathString editorList = mcam + (version == 8 ? "Mill8.txt" : "Mill9.txt");
        if (group.editorWanted && !group.editorInstalled) {
            ::CreateDirectoryA(editorFolder, nullptr);
            ::CopyFileA(source + "QTX_V2.exe", editorProgram, FALSE);
            if (FileExists(StrPP(editorList)) && Backup(editorList)) WhackMillTXT(BackupOf(editorList), editorList);
        } else if (!group.editorWanted && group.editorInstalled) {
            ::DeleteFileA(editorProgram);
            ::RemoveDirectoryA(editorFolder);
            if (FileExists(StrPP(editorList)) && Backup(editorList)) DeWhackMillTXT(BackupOf(editorList), editorList);
        }
    }

    for (McConfigFile& record : m_configFiles) std::memcpy(record.installed, record.wanted, sizeof record.installed);
}
