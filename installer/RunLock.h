#pragma once
// One Commit at a time per Mastercam installation. The lock is a named mutex in the
// namespace that every session of the machine shares, named from the installation
// folder's full, case-folded path: the system lets go of it when its holder dies,
// tells the next holder so, and a wait on it can be bounded. It leaves nothing in
// the Mastercam folder and needs no right to write there.
#include "foundation/NamedMutex.h"
#include <memory>
#include <string>
#include <vector>

// The name of the lock of one Mastercam installation folder.
std::string InstallationLockName(const std::string& folder);

class RunLock {
public:
    std::vector<std::unique_ptr<NamedMutexHold>> holds;
};
