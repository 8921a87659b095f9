#pragma once
// The setup dialog and the installer state it carries: the configuration-file
// records and the ten option flags.
#include "foundation/Export.h"
#include "foundation/PathString.h"
#include "installer/CommitReport.h"
#include "installer/HostConfig.h"
#include "installer/McConfigFile.h"
#include "platform/afxwin.h"
#include "widgets/HyperLink.h"
#include "widgets/TTDialog.h"
#include "widgets/UniButton.h"
#include "vellants/Vellants.h"
#include <functional>
#include <memory>
#include <vector>

class Machine;
class RunLock;

// Windows NT 4.0 and earlier cannot run the operations-manager companion.
bool IsOldWindowsNT();

constexpr UINT kSetupDialogTemplate = 19041;
constexpr UINT kSetupBitmap = 5050;

// Control identifiers of the host's setup dialog template.
enum SetupControl : UINT {
    kIdInfoButton = 2199,
    kIdSingleConfig = 2776,
    kIdAddFolder = 2786,
    kIdConfigList = 3157,
    kIdSelectList = 4000,
    kIdAllLathe = 4008,
    kIdAllWire = 4009,
    kIdAllMill = 4041,
    kIdAllRouter = 4042,
    kIdHelpLink = 4049,
    kIdLastScope = 4069,
    kIdSelectNote = 1571,
    kIdOpMgr = 15000,
    kIdToolbar = 15001,
    kIdToolbarList = 15002,
    kIdEditor = 15003,
    kIdOpMgrButton = 15004,
    kIdOpMgrToolDefs = 15005,
    kIdOpMgrDisableToolpath = 15006,
};

class VELLANTS_API VellantSetup : public TTDialog {
public:
    explicit VellantSetup(CWnd* parent = nullptr);
    // The option check boxes, in flag order.
    static const UINT kOptionBoxes[kOptionCount];
    ~VellantSetup() override;

    void Commit();
    void InstallAllMastercamOptions(bool editor, bool toolbar, bool opMgrHook, bool opMgrButton, bool opMgrToolDefs);
    void RemoveAllMastercamOptions();
    static PathString GetMCAMPath(int* version);
    // For hosts that show what is installed: a fresh scan, and its records.
    void ScanConfigFiles();
    const std::vector<McConfigFile>& Records() const { return m_configFiles; }
    // What the last Commit did, step by step; failed steps carry the Windows error.
    const CommitReport& LastReport() const { return m_report; }
    // The files the last scan could not read, each a failed read step with its error.
    const std::vector<CommitStep>& Unreadable() const { return m_unreadable; }
    // While planning, Commit and the batch entry points change nothing on disk or
    // in the registry: the report tells what they would do, with the new content
    // of every file, and the records keep their state.
    void SetPlanning(bool planning);
    bool Planning() const { return m_planning; }
    // How long Commit and the batch entry points wait for another run on the same
    // Mastercam installation to end before they give up and report it.
    void SetLockWait(DWORD milliseconds) { m_lockWait = milliseconds; }
    static constexpr DWORD kDefaultLockWait = 30000;

    void OnOK() override;
    void OnCancel() override;

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnInfoIcon();
    void OnSelchangeVellantSelect();
    void OnSelendokMcConfigFile();
    void OnAttachOpMgr();
    void OnAttachOpMgrButton();
    void OnAttachOpMgrToolDefs();
    void OnAttachOpMgrDisableToolpath();
    void OnAttachToolbar();
    void OnAttachEditor();
    void OnAllMill();
    void OnAllRouter();
    void OnAllLathe();
    void OnAllWire();
    void OnSingleConfig();
    void OnAddMastercamDirectory();

private:
    void BuildMastercamList();
    void SetAttachChecks();
    // The line of the configuration-file list for one record.
    static CString ListLine(const McConfigFile& record);
    void OnScopeButton();
    void ToggleOption(int option, BOOL& flag, UINT checkBox);
    void EnableOptionBoxes(BOOL enable);
    CString HelpPage() const;

    friend class VellantSetupProbe;

    PathString GetQTX2CAMPath();
    PathString GetDLLSourcePath();
    void InstallOpMgr(PathString folder);
    void RemoveOpMgr(PathString folder);
    bool IsOpMgrInstalled();
    // The companion's path in double quotes: its Run value and its command line.
    std::string QuotedCompanion();
    void KeepRunValueQuoted();
    void GetCFGFiles();
    bool IsCFGItemInstalled(CString text, PathString file);
    int IsCFGEnabledForHook(PathString file);
    void MakeCFGEnabledForHook(PathString file, bool hook, bool button, bool toolDefs, bool disableToolpath);
    void WhackMillCFG(CString source, CString destination, bool toolbarInstalled, bool toolbarWanted,
                      bool editorInstalled, bool editorWanted);
    void DeWhackMillCFG(CString source, CString destination, bool toolbarInstalled, bool toolbarWanted,
                        bool editorInstalled, bool editorWanted);
    void WhackMillTXT(CString source, CString destination);
    void DeWhackMillTXT(CString source, CString destination);

    // Appends one record for a scanned file; files under 1024 bytes are left out.
    void AddScannedFile(const CString& path, int version);
    // Where every read and change of the installer goes: the machine itself, or a plan.
    Machine& Io();
    // The editor a configuration file had before the host's editor was attached.
    std::string OriginalEditorOf(const std::string& file);
    // Backs the file up, then lets `rewrite` (backup, file) edit it; no backup, no edit.
    // The error of the first failed step, or ERROR_SUCCESS when the file was edited.
    DWORD EditWithBackup(const CString& file, const std::function<void(CString, CString)>& rewrite);
    // What the files of one Mastercam version want and have, folded over its records.
    struct VersionGroup;
    // A file that may still carry an option after the Commit, though it should not:
    // what it uses stays.
    struct Keeper {
        std::string file;
        DWORD error = ERROR_SUCCESS;  // why it could not be changed
        explicit operator bool() const { return !file.empty(); }
    };
    void CommitRecords();
    void CommitVersion(int version, const PathString& mcam, const PathString& source, const VersionGroup& group);
    // Reports an add-on file or value left in place for a file that still uses it.
    void KeepStep(const std::string& target, const Keeper& keeper);
    void KeepOpMgr(PathString folder, const Keeper& keeper);
    // Starts the companion unless one runs already.
    void StartCompanion();

    // The locks of the registered Mastercam installations, taken in a fixed order;
    // null, with the failure as the report, when one could not be had.
    std::unique_ptr<RunLock> LockInstallations();
    // A fresh scan under the lock. Options chosen on a record since the last scan
    // stay chosen; every other option follows what the file carries now.
    void RescanRecords();
    // Temporaries that runs killed part way left beside the files this run may change.
    void ClearOrphans();
    // The path of the record chosen in the file list, or empty.
    CString ChosenPath();
    // The file list and option boxes after a Commit, with the same file chosen.
    void ShowRecords(const CString& chosen);
    void ShowRecordOptions(const McConfigFile& record);

    std::vector<McConfigFile> m_configFiles;
    CommitReport m_report;
    // Files the scans could not read: every Commit's report starts with them.
    std::vector<CommitStep> m_unreadable;
    // The same files, for what they may still carry.
    struct Unseen {
        std::string path;
        int version;
        int hookBits;
        DWORD error;
    };
    std::vector<Unseen> m_unseen;
    // Held by a batch run from its scan to the end of its Commit.
    std::unique_ptr<RunLock> m_runLock;
    DWORD m_lockWait = kDefaultLockWait;
    // While a Commit runs: another version still needs the companion.
    bool m_companionStays = false;
    bool m_planning = false;
    std::unique_ptr<Machine> m_machine;
    // Reused from file to file: a fresh block of megabytes costs a page fault per page.
    std::string m_readBuffer;
    std::string m_writeBuffer;

    CHyperLink m_helpLink;
    CUniButton m_infoButton;
    CComboBox m_configList;
    CComboBox m_selectList;
    CComboBox m_toolbarList;

    // Check-box states of the six options: 0 unchecked, 1 checked, 2 indeterminate.
    BOOL m_opMgrHook = FALSE;
    BOOL m_opMgrButton = FALSE;
    BOOL m_opMgrToolDefs = FALSE;
    BOOL m_opMgrDisableToolpath = FALSE;
    BOOL m_toolbar = FALSE;
    BOOL m_editor = FALSE;
    // Scope flags: apply the dialog-wide options to every file of the kind.
    BOOL m_allWire = FALSE;
    BOOL m_allRouter = FALSE;
    BOOL m_allMill = TRUE;
    BOOL m_allLathe = FALSE;
};
