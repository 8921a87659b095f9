// Makes the configuration files, the Mastercam folders and the companion match
// the wanted options of every record. What a version's folder holds is judged
// from the folder itself as well as from the records, so that running again
// after a run that was killed or failed part way finishes the job.
#include "installer/AddonFiles.h"
#include "installer/EditorList.h"
#include "installer/Machine.h"
#include "installer/VellantSetup.h"
#include <cstring>
#include <functional>
#include <iterator>

struct VellantSetup::VersionGroup {
    int records = 0;
    bool hookWanted = false;
    bool hookInstalled = false;
    bool toolbarWanted = false;
    bool toolbarInstalled = false;
    bool editorWanted = false;
    bool editorInstalled = false;

    void Add(const McConfigFile& record);
};

namespace {
bool AnyOpMgr(const bool* flags) {
    return flags[kOpMgrHook] || flags[kOpMgrButton] || flags[kOpMgrToolDefs] || flags[kOpMgrDisableToolpath];
}

std::string BackupOf(const CString& file) { return file.Str() + kBackupSuffix; }
}  // namespace

void VellantSetup::VersionGroup::Add(const McConfigFile& record) {
    ++records;
    hookWanted |= AnyOpMgr(record.wanted);
    hookInstalled |= AnyOpMgr(record.installed);
    toolbarWanted |= record.wanted[kToolbar];
    toolbarInstalled |= record.installed[kToolbar];
    editorWanted |= record.wanted[kEditor];
    editorInstalled |= record.installed[kEditor];
}

// The rewriters read the backup; one left over from an earlier run must never be
// written over the file, so a failed backup skips the edit.
void VellantSetup::EditWithBackup(const CString& file, const std::function<void(CString, CString)>& rewrite) {
    const std::string backup = BackupOf(file);
    if (!Io().BackUp(file.Str(), backup)) return;
    rewrite(backup.c_str(), file);
    Io().SettleBackup(backup);
}

void VellantSetup::Commit() {
    if (m_hWnd) UpdateData(TRUE);
    m_report = CommitReport();
    m_report.planned = m_planning;
    m_report.steps = m_unreadable;
    if (m_planning) SetPlanning(true);  // each plan starts from the machine as it is
    const std::vector<McConfigFile> recordsBefore = m_planning ? m_configFiles : std::vector<McConfigFile>();

    BOOL* const options[kOptionCount] = {&m_opMgrHook, &m_opMgrButton, &m_opMgrToolDefs, &m_opMgrDisableToolpath,
                                         &m_toolbar,   &m_editor};
    for (McConfigFile& record : m_configFiles) {
        const bool inScope =
            (record.kind == kMill && m_allMill == TRUE) || (record.kind == kLathe && m_allLathe == TRUE) ||
            (record.kind == kWire && m_allWire == TRUE) || (record.kind == kRouter && m_allRouter == TRUE);
        if (!inScope) continue;
        for (int i = 0; i < kOptionCount; ++i) record.wanted[i] = *options[i] == TRUE;
    }

    // A version whose editor list is too large to edit is refused before any of its files changes.
    int eight = 8;
    int nine = 9;
    const PathString mcam8 = GetMCAMPath(&eight);
    const PathString mcam9 = GetMCAMPath(&nine);
    const auto listTooLarge = [&](const PathString& mcam, const char* list) {
        std::string ignored;
        if (mcam.IsEmpty() || Io().Read((mcam + list).Str(), ignored) != ERROR_FILE_TOO_LARGE) return false;
        Io().RecordFailure(StepAction::ReadFile, (mcam + list).Str(), ERROR_FILE_TOO_LARGE);
        return true;
    };
    const bool refused8 = listTooLarge(mcam8, "Mill8.txt");
    const bool refused9 = listTooLarge(mcam9, "Mill9.txt");

    VersionGroup group8;
    VersionGroup group9;
    for (const McConfigFile& record : m_configFiles) {
        if (record.version == 8 ? refused8 : refused9) continue;
        (record.version == 8 ? group8 : group9).Add(record);
        const bool* wanted = record.wanted;
        const bool* installed = record.installed;
        MakeCFGEnabledForHook(record.path, wanted[kOpMgrHook], wanted[kOpMgrButton], wanted[kOpMgrToolDefs],
                              wanted[kOpMgrDisableToolpath]);
        if (std::memcmp(wanted, installed, sizeof record.wanted) == 0) continue;

        if ((wanted[kToolbar] && !installed[kToolbar]) || (wanted[kEditor] && !installed[kEditor])) {
            EditWithBackup(record.path, [&](CString backup, CString file) {
                WhackMillCFG(backup, file, installed[kToolbar], wanted[kToolbar], installed[kEditor], wanted[kEditor]);
            });
        }
        if ((!wanted[kToolbar] && installed[kToolbar]) || (!wanted[kEditor] && installed[kEditor])) {
            EditWithBackup(record.path, [&](CString backup, CString file) {
                DeWhackMillCFG(backup, file, installed[kToolbar], wanted[kToolbar], installed[kEditor],
                               wanted[kEditor]);
            });
        }
    }

    const PathString source = GetDLLSourcePath();
    if (!refused8) CommitVersion(8, mcam8, source, group8);
    if (!refused9) CommitVersion(9, mcam9, source, group9);

    for (McConfigFile& record : m_configFiles) std::memcpy(record.installed, record.wanted, sizeof record.installed);
    if (m_planning) m_configFiles = recordsBefore;
}

void VellantSetup::CommitVersion(int version, const PathString& mcam, const PathString& source,
                                 const VersionGroup& group) {
    const auto inMcam = [&](const char* name) { return (mcam + name).Str(); };
    Io().GuardBelow(mcam.Str());
    const auto copyHookFiles = [&] {
        for (const AddonFile& file : kHookFiles)
            Io().Copy(StepAction::CopyFile, (source + file.source).Str(), inMcam(file.target));
    };
    const auto deleteHookFiles = [&] {
        for (const AddonFile& file : kHookFiles) Io().Delete(inMcam(file.target));
    };
    const auto hookFilesPresent = [&](bool all) {
        int present = 0;
        for (const AddonFile& file : kHookFiles) present += Io().Exists(inMcam(file.target)) ? 1 : 0;
        return all ? present == static_cast<int>(std::size(kHookFiles)) : present > 0;
    };
    const std::string opMgrLibrary = inMcam(kOpMgrFiles[0].target);
    // Leftovers are taken away only where some file of the version decided against them.
    const bool decided = group.records > 0;

    // Operations-manager hook.
    if (group.hookWanted) {
        if (!group.hookInstalled || !IsOpMgrInstalled()) {
            copyHookFiles();
            InstallOpMgr(mcam);
        } else if (!hookFilesPresent(true) || !Io().Exists(opMgrLibrary)) {
            copyHookFiles();
            Io().Copy(StepAction::CopyFile, (source + kOpMgrFiles[0].source).Str(), opMgrLibrary);
        }
        if (group.hookInstalled) KeepRunValueQuoted();
    } else if (group.hookInstalled || (decided && Io().Exists(opMgrLibrary))) {
        RemoveOpMgr(mcam);
        if (!group.toolbarWanted) deleteHookFiles();
    }

    // Toolbar.
    if (group.toolbarWanted) {
        if (!group.toolbarInstalled || !hookFilesPresent(true)) copyHookFiles();
    } else if (!group.hookWanted && (group.toolbarInstalled || (decided && hookFilesPresent(false)))) {
        deleteHookFiles();
    }

    // Editor: its program, and its entry in the version's editor list.
    const std::string editorFolder = inMcam(kEditorFolder);
    const std::string editorProgram = inMcam(kEditorProgram.target);
    const std::string editorList = inMcam(version == 8 ? "Mill8.txt" : "Mill9.txt");
    std::string list;
    const bool listExists = Io().Exists(editorList) && Io().Read(editorList, list) == ERROR_SUCCESS;
    const bool listHasEntry = listExists && EditorListHasHostEntry(list);
    if (group.editorWanted) {
        if (!group.editorInstalled || !Io().Exists(editorProgram)) {
            Io().CreateFolder(editorFolder);
            Io().Copy(StepAction::CopyFile, (source + kEditorProgram.source).Str(), editorProgram);
        }
        const bool listNeedsEntry = listExists && !listHasEntry && EditorListHasSection(list);
        if (Io().Exists(editorList) && (!group.editorInstalled || listNeedsEntry))
            EditWithBackup(editorList.c_str(), [&](CString backup, CString file) { WhackMillTXT(backup, file); });
    } else {
        if (group.editorInstalled || (decided && Io().Exists(editorProgram))) {
            Io().Delete(editorProgram);
            Io().RemoveFolder(editorFolder);
        }
        if (Io().Exists(editorList) && (group.editorInstalled || (decided && listHasEntry)))
            EditWithBackup(editorList.c_str(), [&](CString backup, CString file) { DeWhackMillTXT(backup, file); });
    }
}
