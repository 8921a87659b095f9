#pragma once
// Whole-file reads and all-or-nothing replacement of files the user owns: the new
// content goes to a temporary sibling, every write is checked, the data is flushed,
// and only then does it take the target's place in one step. Results are Win32
// error codes (ERROR_SUCCESS when the work was done).
#include "foundation/Export.h"
#include <windows.h>
#include <cstddef>
#include <string>

// The temporary sibling a replacement is written to: left behind only by a process
// that was killed, and overwritten by the next replacement of the same file.
VELLANTS_API std::string TemporarySiblingOf(const std::string& target);

VELLANTS_API DWORD ReadWholeFileBytes(const std::string& path, std::string& data);
VELLANTS_API DWORD ReplaceFileContents(const std::string& target, const char* data, size_t size);
inline DWORD ReplaceFileContents(const std::string& target, const std::string& data) {
    return ReplaceFileContents(target, data.data(), data.size());
}

// Tests: makes the nth write from now fail as a full disk would (0 switches it off).
VELLANTS_API void FailNthFileWriteForTests(int n);
