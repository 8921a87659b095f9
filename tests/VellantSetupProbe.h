#pragma once
// Reaches the installer's private steps so each can be tested on its own.
#include "installer/RunLock.h"
#include "installer/VellantSetup.h"

class VellantSetupProbe {
public:
    explicit VellantSetupProbe(VellantSetup& setup) : s(setup) {}
    std::vector<McConfigFile>& Records() { return s.m_configFiles; }
    const McConfigFile* Find(const std::string& path) {
        for (const McConfigFile& record : s.m_configFiles)
            if (_stricmp(record.path, path.c_str()) == 0) return &record;
        return nullptr;
    }
    PathString CompanionPath() { return s.GetQTX2CAMPath(); }
    void Scan() { s.GetCFGFiles(); }
    // Commits the records as the test set them, as a batch run does after its scan.
    void CommitAsGiven() {
        s.m_runLock = s.LockInstallations();
        s.Commit();
        s.m_runLock.reset();
    }
    bool ItemInstalled(const char* text, const std::string& file) { return s.IsCFGItemInstalled(text, file.c_str()); }
    int HookValue(const std::string& file) { return s.IsCFGEnabledForHook(file.c_str()); }
    void SetHook(const std::string& file, bool hook, bool button, bool defs, bool disable) {
        s.MakeCFGEnabledForHook(file.c_str(), hook, button, defs, disable);
    }
    void Whack(const std::string& src, const std::string& dst, bool tbInst, bool tbWant, bool edInst, bool edWant) {
        s.WhackMillCFG(src.c_str(), dst.c_str(), tbInst, tbWant, edInst, edWant);
    }
    void DeWhack(const std::string& src, const std::string& dst, bool tbInst, bool tbWant, bool edInst, bool edWant) {
        s.DeWhackMillCFG(src.c_str(), dst.c_str(), tbInst, tbWant, edInst, edWant);
    }
    void WhackTxt(const std::string& src, const std::string& dst) { s.WhackMillTXT(src.c_str(), dst.c_str()); }
    void DeWhackTxt(const std::string& src, const std::string& dst) { s.DeWhackMillTXT(src.c_str(), dst.c_str()); }
    void InstallOpMgr(const std::string& folder) { s.InstallOpMgr(folder.c_str()); }
    void RemoveOpMgr(const std::string& folder) { s.RemoveOpMgr(folder.c_str()); }
    bool OpMgrInstalled() { return s.IsOpMgrInstalled(); }
    CString HelpPage() { return s.HelpPage(); }
    BOOL* Options() { return &s.m_opMgrHook; }
    BOOL& AllMill() { return s.m_allMill; }
    BOOL& AllRouter() { return s.m_allRouter; }
    BOOL& AllLathe() { return s.m_allLathe; }
    BOOL& AllWire() { return s.m_allWire; }

private:
    VellantSetup& s;
};
