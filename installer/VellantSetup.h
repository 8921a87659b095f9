#pragma once
// The setup dialog and the installer state it carries: the configuration-file
// records and the ten option flags.
#include "foundation/Export.h"
#include "foundation/PathString.h"
#include "installer/McConfigFile.h"
#include "platform/afxwin.h"
#include <vector>

class ProgramConfiguration;
class ConfigFiles;

// Hands the host's settings store and folder layout to the library.
VELLANTS_API void SetVellantConfig(ProgramConfiguration* settings, ConfigFiles* folders);
ProgramConfiguration* HostSettings();
ConfigFiles* HostFolders();

// Windows NT 4.0 and earlier cannot run the operations-manager companion.
bool IsOldWindowsNT();

constexpr UINT kSetupDialogTemplate = 19041;

class VELLANTS_API VellantSetup : public CDialog {
public:
    explicit VellantSetup(CWnd* parent = nullptr);
    ~VellantSetup() override;

    void Commit();
    void InstallAllMastercamOptions(bool editor, bool toolbar, bool opMgrHook, bool opMgrButton, bool opMgrToolDefs);
    void RemoveAllMastercamOptions();
    static PathString GetMCAMPath(int* version);
    // For hosts that show what is installed: a fresh scan, and its records.
    void ScanConfigFiles();
    const std::vector<McConfigFile>& Records() const { return m_configFiles; }

    void OnOK() override;
    void OnCancel() override;

protected:
    void DoDataExchange(CDataExchange* dx) override;

private:
    friend class VellantSetupProbe;

    PathString GetQTX2CAMPath();
    PathString GetDLLSourcePath();
    void InstallOpMgr(PathString folder);
    void RemoveOpMgr(PathString folder);
    bool IsOpMgrInstalled();
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

    std::vector<McConfigFile> m_configFiles;

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

extern "C" VELLANTS_API void RemoveAllMastercamOptions();
