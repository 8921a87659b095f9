#pragma once
// Whole-file reads and all-or-nothing replacement of files the user owns: the new
// content goes to a temporary sibling, every write is checked, the data is flushed,
// and only then does it take the target's place in one step. Results are Win32
// error codes (ERROR_SUCCESS when the work was done).
#include <windows.h>
#include <cstddef>
#include <string>

// The temporary sibling a replacement is written to: left behind only by a process
// that was killed, and overwritten by the next replacement of the same file.
std::string TemporarySiblingOf(const std::string& target);

DWORD ReadWholeFileBytes(const std::string& path, std::string& data);
DWORD ReplaceFileContents(const std::string& target, const char* data, size_t size);
inline DWORD ReplaceFileContents(const std::string& target, const std::string& data) {
    return ReplaceFileContents(target, data.data(), data.size());
}

// Tests: makes the nth write from now fail as a full disk would (0 switches it off).
void FailNthFileWriteForTests(int n);
