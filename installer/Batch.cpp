// Install-all and remove-all without a window. Each holds the installations' lock
// from its scan to the end of its Commit, so that it decides from the present.
#include "installer/RunLock.h"
#include "installer/VellantSetup.h"

void VellantSetup::InstallAllMastercamOptions(bool editor, bool toolbar, bool opMgrHook, bool opMgrButton,
                                              bool opMgrToolDefs) {
    if (!(m_runLock = LockInstallations())) return;
    GetCFGFiles();
    for (McConfigFile& record : m_configFiles) {
        if (record.kind != kMill && record.kind != kRouter) continue;
        record.wanted[kOpMgrHook] = opMgrHook;
        record.wanted[kOpMgrButton] = opMgrButton;
        record.wanted[kOpMgrToolDefs] = opMgrToolDefs;
        record.wanted[kOpMgrDisableToolpath] = false;
        record.wanted[kToolbar] = toolbar;
        record.wanted[kEditor] = editor;
    }
    m_opMgrHook = opMgrHook;
    m_opMgrButton = opMgrButton;
    m_opMgrToolDefs = opMgrToolDefs;
    m_opMgrDisableToolpath = FALSE;
    m_toolbar = toolbar;
    m_editor = editor;
    Commit();
    m_runLock.reset();
}

void VellantSetup::RemoveAllMastercamOptions() {
    if (!(m_runLock = LockInstallations())) return;
    GetCFGFiles();
    for (McConfigFile& record : m_configFiles) {
        for (bool& wanted : record.wanted) wanted = false;
    }
    m_opMgrHook = m_opMgrButton = m_opMgrToolDefs = m_opMgrDisableToolpath = m_toolbar = m_editor = FALSE;
    Commit();
    m_runLock.reset();
}

extern "C" void RemoveAllMastercamOptions() {
    VellantSetup setup(nullptr);
    setup.RemoveAllMastercamOptions();
}
