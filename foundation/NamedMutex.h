#pragma once
// Mutexes shared by every process and session of the machine, named from a file or
// folder path. The path is made full and case-folded first, so that every spelling
// of one file or folder names one mutex. Every wait is bounded.
#include "foundation/Owners.h"
#include <windows.h>
#include <string>

// The full, case-folded form of a path with backslashes only and no trailing one.
std::string NormalisedPath(const std::string& path);
// "Global\<prefix><path>", the path's backslashes and colons made underscores; a path
// too long for an object name is shortened to its tail and a hash of the whole.
std::string MutexNameForPath(const std::string& prefix, const std::string& path);

class NamedMutexHold {
public:
    enum class Outcome {
        Owned,      // held until the hold ends; also when a holder died holding it
        Busy,       // another thread or process held it for the whole wait
        WrongKind,  // the name belongs to an object that is not a mutex
        Failed,     // see Error()
    };
    NamedMutexHold(const std::string& name, DWORD waitMs);
    NamedMutexHold(const NamedMutexHold&) = delete;
    NamedMutexHold& operator=(const NamedMutexHold&) = delete;
    ~NamedMutexHold();

    bool Owned() const { return outcome_ == Outcome::Owned; }
    Outcome Result() const { return outcome_; }
    // The Win32 error of a hold not had: WAIT_TIMEOUT when busy.
    DWORD Error() const { return error_; }

private:
    ScopedHandle mutex_;
    Outcome outcome_ = Outcome::Failed;
    DWORD error_ = ERROR_SUCCESS;
};
