// Makes the configuration files, the Mastercam folders and the companion match
// the wanted options of every record. What a version's folder holds is judged
// from the folder itself as well as from the records, so that running again
// after a run that was killed or failed part way finishes the job. A file whose
// change failed, or that could not be read, keeps everything it may still use.
#include "installer/AddonFiles.h"
#include "installer/EditorList.h"
#include "installer/Machine.h"
#include "installer/RunLock.h"
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
    // What the version's add-on files must keep serving: their removal is not made.
    Keeper hookKept;
    Keeper toolbarKept;
    Keeper editorKept;

    void Add(const McConfigFile& record);
    // A file that may still carry the options set in `carried`.
    void Keep(const std::string& file, const bool* carried, DWORD error);
    bool HookNeeded() const { return hookWanted || hookKept; }
};

namespace {
bool AnyOpMgr(const bool* flags) {
    return flags[kOpMgrHook] || flags[kOpMgrButton] || flags[kOpMgrToolDefs] || flags[kOpMgrDisableToolpath];
}

std::string BackupOf(const CString& file) { return file.Str() + kBackupSuffix; }

DWORD ErrorOf(const CommitStep& failed) { return failed.error != ERROR_SUCCESS ? failed.error : ERROR_WRITE_FAULT; }

// The first failed step from `first` on, or null.
const CommitStep* FailedSince(const CommitReport& report, size_t first) {
    for (size_t i = first; i < report.steps.size(); ++i)
        if (report.steps[i].outcome == StepOutcome::Failed) return &report.steps[i];
    return nullptr;
}
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

void VellantSetup::VersionGroup::Keep(const std::string& file, const bool* carried, DWORD error) {
    const Keeper keeper{file, error};
    if (AnyOpMgr(carried) && !hookKept) hookKept = keeper;
    if (carried[kToolbar] && !toolbarKept) toolbarKept = keeper;
    if (carried[kEditor] && !editorKept) editorKept = keeper;
}

// The rewriters read the backup; one left over from an earlier run must never be
// written over the file, so a failed backup skips the edit.
DWORD VellantSetup::EditWithBackup(const CString& file, const std::function<void(CString, CString)>& rewrite) {
    const std::string backup = BackupOf(file);
    if (!Io().BackUp(file.Str(), backup)) return ErrorOf(m_report.steps.back());
    const size_t first = m_report.steps.size();
    rewrite(backup.c_str(), file);
    const CommitStep* failed = FailedSince(m_report, first);
    const DWORD error = failed ? ErrorOf(*failed) : ERROR_SUCCESS;
    Io().SettleBackup(backup);
    return error;
}

void VellantSetup::KeepStep(const std::string& target, const Keeper& keeper) {
    m_report.steps.push_back(
        {StepAction::Keep, target, "still used by " + keeper.file, StepOutcome::Failed, keeper.error});
}

void VellantSetup::Commit() {
    if (m_hWnd) UpdateData(TRUE);
    if (m_planning) SetPlanning(true);  // each plan starts from the machine as it is
    const CString chosen = ChosenPath();
    // A batch run holds the lock since its scan. Any other Commit takes it now and
    // judges each file from what is on disk, not from the scan the dialog made.
    const bool scannedUnderLock = m_runLock != nullptr;
    if (!scannedUnderLock) {
        m_runLock = LockInstallations();
        if (!m_runLock) return;
        RescanRecords();
    }
    CommitRecords();
    if (!scannedUnderLock) m_runLock.reset();
    if (m_hWnd) ShowRecords(chosen);
}

void VellantSetup::CommitRecords() {
    m_report = CommitReport();
    m_report.planned = m_planning;
    m_report.steps = m_unreadable;
    const std::vector<McConfigFile> recordsBefore = m_planning ? m_configFiles : std::vector<McConfigFile>();
    ClearOrphans();

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
    // A file that could not be read may carry anything but what its hook value says.
    for (const Unseen& file : m_unseen) {
        bool carried[kOptionCount] = {};
        carried[kOpMgrHook] = file.hookBits != 0;
        carried[kToolbar] = carried[kEditor] = true;
        (file.version == 8 ? group8 : group9).Keep(file.path, carried, file.error);
    }
    std::vector<McConfigFile> after = m_configFiles;
    for (size_t r = 0; r < m_configFiles.size(); ++r) {
        const McConfigFile& record = m_configFiles[r];
        VersionGroup& group = record.version == 8 ? group8 : group9;
        // A refused version's files stay as they are, with everything they use.
        if (record.version == 8 ? refused8 : refused9) {
            group.Keep(record.path.Str(), record.installed, ERROR_FILE_TOO_LARGE);
            continue;
        }
        group.Add(record);
        const bool* wanted = record.wanted;
        const bool* installed = record.installed;
        std::memcpy(after[r].installed, wanted, sizeof record.wanted);

        const size_t first = m_report.steps.size();
        MakeCFGEnabledForHook(record.path, wanted[kOpMgrHook], wanted[kOpMgrButton], wanted[kOpMgrToolDefs],
                              wanted[kOpMgrDisableToolpath]);
        if (const CommitStep* failed = FailedSince(m_report, first)) {
            const bool carried[kOptionCount] = {installed[kOpMgrHook], installed[kOpMgrButton],
                                                installed[kOpMgrToolDefs], installed[kOpMgrDisableToolpath]};
            group.Keep(record.path.Str(), carried, ErrorOf(*failed));
            std::memcpy(after[r].installed, installed, sizeof carried[0] * (kOpMgrDisableToolpath + 1));
        }
        if (std::memcmp(wanted, installed, sizeof record.wanted) == 0) continue;

        DWORD error = ERROR_SUCCESS;
        if ((wanted[kToolbar] && !installed[kToolbar]) || (wanted[kEditor] && !installed[kEditor])) {
            error = EditWithBackup(record.path, [&](CString backup, CString file) {
                WhackMillCFG(backup, file, installed[kToolbar], wanted[kToolbar], installed[kEditor], wanted[kEditor]);
            });
        }
        if ((!wanted[kToolbar] && installed[kToolbar]) || (!wanted[kEditor] && installed[kEditor])) {
            const DWORD removal = EditWithBackup(record.path, [&](CString backup, CString file) {
                DeWhackMillCFG(backup, file, installed[kToolbar], wanted[kToolbar], installed[kEditor],
                               wanted[kEditor]);
            });
            if (error == ERROR_SUCCESS) error = removal;
        }
        if (error != ERROR_SUCCESS) {
            bool carried[kOptionCount] = {};
            carried[kToolbar] = installed[kToolbar];
            carried[kEditor] = installed[kEditor];
            group.Keep(record.path.Str(), carried, error);
            after[r].installed[kToolbar] = installed[kToolbar];
            after[r].installed[kEditor] = installed[kEditor];
        }
    }

    // The companion and its log-on registration serve every version.
    m_companionStays = group8.HookNeeded() || group9.HookNeeded();
    const PathString source = GetDLLSourcePath();
    if (!refused8) CommitVersion(8, mcam8, source, group8);
    if (!refused9) CommitVersion(9, mcam9, source, group9);
    m_companionStays = false;

    m_configFiles = m_planning ? recordsBefore : after;
}

void VellantSetup::CommitVersion(int version, const PathString& mcam, const PathString& source,
                                 const VersionGroup& group) {
    const auto inMcam = [&](const char* name) { return (mcam + name).Str(); };
    Io().GuardBelow(mcam.Str());
    const auto copyHookFiles = [&] {
        for (const AddonFile& file : kHookFiles)
            Io().Copy(StepAction::CopyFile, (source + file.source).Str(), inMcam(file.target));
    };
    // The hook's files serve both the hook and the toolbar.
    const Keeper& hookFilesKept = group.hookKept ? group.hookKept : group.toolbarKept;
    bool keptHookFilesShown = false;
    const auto deleteHookFiles = [&] {
        if (keptHookFilesShown) return;
        keptHookFilesShown = static_cast<bool>(hookFilesKept);
        for (const AddonFile& file : kHookFiles) {
            if (!hookFilesKept)
                Io().Delete(inMcam(file.target));
            else if (Io().Exists(inMcam(file.target)))
                KeepStep(inMcam(file.target), hookFilesKept);
        }
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
        } else {
            if (!hookFilesPresent(true) || !Io().Exists(opMgrLibrary)) {
                copyHookFiles();
                Io().Copy(StepAction::CopyFile, (source + kOpMgrFiles[0].source).Str(), opMgrLibrary);
            }
            StartCompanion();
        }
        if (group.hookInstalled) KeepRunValueQuoted();
    } else if (group.hookInstalled || (decided && Io().Exists(opMgrLibrary))) {
        if (group.hookKept)
            KeepOpMgr(mcam, group.hookKept);
        else
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
    const bool listThere = Io().Exists(editorList);
    const DWORD listError = listThere ? Io().Read(editorList, list) : ERROR_FILE_NOT_FOUND;
    const bool listExists = listThere && listError == ERROR_SUCCESS;
    const bool listHasEntry = listExists && EditorListHasHostEntry(list);
    if (group.editorWanted) {
        if (!group.editorInstalled || !Io().Exists(editorProgram)) {
            Io().CreateFolder(editorFolder);
            Io().Copy(StepAction::CopyFile, (source + kEditorProgram.source).Str(), editorProgram);
        }
        const bool listNeedsEntry = listExists && !listHasEntry && EditorListHasSection(list);
        if (listThere && (!group.editorInstalled || listNeedsEntry))
            EditWithBackup(editorList.c_str(), [&](CString backup, CString file) { WhackMillTXT(backup, file); });
    } else if (group.editorKept) {
        if (Io().Exists(editorProgram)) KeepStep(editorProgram, group.editorKept);
    } else {
        // The list lets go of the program before the program goes.
        Keeper listKeeps;
        if (listThere && !listExists) listKeeps = {editorList, listError};
        if (listThere && (group.editorInstalled || (decided && listHasEntry))) {
            const DWORD error =
                EditWithBackup(editorList.c_str(), [&](CString backup, CString file) { DeWhackMillTXT(backup, file); });
            if (error != ERROR_SUCCESS) listKeeps = {editorList, error};
        }
        if (group.editorInstalled || (decided && Io().Exists(editorProgram))) {
            if (listKeeps) {
                if (Io().Exists(editorProgram)) KeepStep(editorProgram, listKeeps);
            } else {
                Io().Delete(editorProgram);
                Io().RemoveFolder(editorFolder);
            }
        }
    }
}
