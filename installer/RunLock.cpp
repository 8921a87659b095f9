// The lock around a run, the fresh scan taken under it, and the clearing of what
// runs that were killed left behind.
#include "installer/RunLock.h"
#include "installer/AddonFiles.h"
#include "installer/Machine.h"
#include "installer/VellantSetup.h"
#include "foundation/TemporaryFile.h"
#include <algorithm>

namespace {
const char* const kLockPrefix = "Korvane Installation ";
const char* const kBusy = "another installer run is in progress";
const char* const kWrongKind = "the lock's name is held by an object that is not a mutex";
}  // namespace

std::string InstallationLockName(const std::string& folder) { return MutexNameForPath(kLockPrefix, folder); }

std::unique_ptr<RunLock> VellantSetup::LockInstallations() {
    // Without any registered installation a run still changes the companion's registration.
    std::vector<std::pair<std::string, std::string>> locks;  // name, folder
    for (int version : {9, 8}) {
        const PathString folder = GetMCAMPath(&version);
        if (!folder.IsEmpty()) locks.emplace_back(InstallationLockName(folder.Str()), folder.Str());
    }
    if (locks.empty()) locks.emplace_back(InstallationLockName(std::string()), std::string());
    // One order for every run, so that two runs never each hold what the other waits for.
    std::sort(locks.begin(), locks.end());
    locks.erase(
        std::unique(locks.begin(), locks.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
        locks.end());

    auto held = std::make_unique<RunLock>();
    for (const auto& [name, folder] : locks) {
        auto hold = std::make_unique<NamedMutexHold>(name, m_lockWait);
        if (!hold->Owned()) {
            m_report = CommitReport();
            m_report.planned = m_planning;
            const char* why = hold->Result() == NamedMutexHold::Outcome::Busy        ? kBusy
                              : hold->Result() == NamedMutexHold::Outcome::WrongKind ? kWrongKind
                                                                                     : "";
            m_report.steps.push_back(
                {StepAction::Lock, folder.empty() ? name : folder, why, StepOutcome::Failed, hold->Error()});
            return nullptr;
        }
        held->holds.push_back(std::move(hold));
    }
    return held;
}

void VellantSetup::RescanRecords() {
    std::vector<McConfigFile> chosen;
    chosen.swap(m_configFiles);
    m_unreadable.clear();
    m_unseen.clear();
    GetCFGFiles();
    for (const McConfigFile& old : chosen)
        if (old.version == 0) AddScannedFile(old.path, 0);
    std::vector<McConfigFile> fresh;
    fresh.swap(m_configFiles);
    std::vector<bool> taken(fresh.size(), false);
    // Files keep their places in the list; files that are new come last, gone ones go.
    for (const McConfigFile& old : chosen) {
        for (size_t i = 0; i < fresh.size(); ++i) {
            if (taken[i] || fresh[i].version != old.version || _stricmp(fresh[i].path, old.path) != 0) continue;
            for (int option = 0; option < kOptionCount; ++option)
                if (old.wanted[option] != old.installed[option]) fresh[i].wanted[option] = old.wanted[option];
            m_configFiles.push_back(fresh[i]);
            taken[i] = true;
            break;
        }
    }
    for (size_t i = 0; i < fresh.size(); ++i)
        if (!taken[i]) m_configFiles.push_back(fresh[i]);
}

void VellantSetup::ClearOrphans() {
    if (m_planning) return;
    std::vector<std::string> targets;
    for (const McConfigFile& record : m_configFiles) targets.push_back(record.path.Str());
    for (int version : {9, 8}) {
        const PathString mcam = GetMCAMPath(&version);
        if (mcam.IsEmpty()) continue;
        targets.push_back((mcam + (version == 8 ? "Mill8.txt" : "Mill9.txt")).Str());
        for (const AddonFile& file : kHookFiles) targets.push_back((mcam + file.target).Str());
        for (const AddonFile& file : kOpMgrFiles) targets.push_back((mcam + file.target).Str());
        targets.push_back((mcam + kEditorProgram.target).Str());
    }
    const size_t files = targets.size();
    for (size_t i = 0; i < files; ++i) targets.push_back(targets[i] + kBackupSuffix);
    for (const std::string& target : targets) {
        ClearOrphanedTemporaries(target);
        // Earlier versions gave every process the same temporary name; under the lock
        // no run is writing one.
        const std::string shared = target + ".QTXNew";
        if (Io().Exists(shared) && !IsLinkOrReparsePoint(shared)) Io().Delete(shared);
    }
}
