#pragma once
// Temporaries beside a file that is about to be replaced, safe in a folder that
// other users or programs can write to:
// - each is created as a new file (never by opening one that is there, and never
//   through a link planted under its name), under a name of its own:
//   "<target>.QTXNew-<process id>-<process start>-<counter>";
// - temporaries of the same target left by processes that are gone (killed runs)
//   are removed when the next one is made; those of live processes are left alone;
// - the finished temporary takes the target's place in one step, and a target that
//   is a link or reparse point is refused (kErrorLinkRefused), never written through.
//
// Use, for bytes in memory:
//     TemporaryFile temporary(target);
//     DWORD error = temporary.Error();
//     if (!error) error = temporary.Write(data, size);
//     if (!error) error = temporary.PutInPlace();   // flushed, then moved over target
//     // on every failure the destructor deletes the temporary
// Use, for a writer that opens files by name (a settings file, a stream):
//     TemporaryFile temporary(target);
//     temporary.Close();             // the new, empty file stays, under Path()
//     ...open Path() by name and write it; do not delete it first...
//     error = temporary.PutInPlace();
#include "foundation/LibraryErrors.h"
#include "foundation/Owners.h"
#include <windows.h>
#include <cstddef>
#include <string>

// The marker between a target's name and the rest of its temporaries' names.
constexpr const char* kTemporaryMarker = ".QTXNew-";

// True when the last part of path is a symbolic link, junction or other reparse point.
bool IsLinkOrReparsePoint(const std::string& path);

// Removes the temporaries of target whose process has ended. Only plain files are
// removed; a link under such a name is left as it is.
void ClearOrphanedTemporaries(const std::string& target);

// A name for a new temporary of target that no other process generates; the
// caller creates it as a new file (CreateHardLink, CREATE_NEW). Clears orphans first.
std::string FreshTemporaryName(const std::string& target);

class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& target);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    DWORD Error() const { return error_; }  // ERROR_SUCCESS once the new file exists
    const std::string& Path() const { return path_; }
    // Writes through the handle, every piece checked; a short write is ERROR_DISK_FULL.
    DWORD Write(const char* data, size_t size);
    // Lets go of the handle so that a writer can open Path() by name.
    void Close();
    // Flushes and moves the temporary over the target in one step. A link at the
    // target is refused and the target left as it is.
    DWORD PutInPlace();

private:
    std::string target_;
    std::string path_;
    ScopedHandle file_;
    DWORD error_ = ERROR_SUCCESS;
    bool placed_ = false;
};
