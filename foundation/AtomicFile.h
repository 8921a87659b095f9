#pragma once
// Whole-file reads and all-or-nothing replacement of files the user owns: the new
// content goes to a new temporary sibling (TemporaryFile), every write is checked,
// the data is flushed, and only then does it take the target's place in one step.
// Results are Win32 error codes (ERROR_SUCCESS when the work was done).
#include "foundation/TemporaryFile.h"
#include <windows.h>
#include <cstddef>
#include <string>

// A file longer than largest is not read: ERROR_FILE_TOO_LARGE.
DWORD ReadWholeFileBytes(const std::string& path, std::string& data, ULONGLONG largest = 0x7FFFFFFE);
DWORD ReplaceFileContents(const std::string& target, const char* data, size_t size);
inline DWORD ReplaceFileContents(const std::string& target, const std::string& data) {
    return ReplaceFileContents(target, data.data(), data.size());
}
