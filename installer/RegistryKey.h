#pragma once
// Registry access shared by the installer.
#include "foundation/Owners.h"
#include <windows.h>
#include <string>

// The library's own key, under HKEY_CURRENT_USER.
extern const char* const kQtx2camKey;
// Below it, each configuration file's editor from before the host's editor was
// attached, by the file's lower-cased path.
extern const char* const kOriginalEditorsKey;

// A string value read into a buffer of bufferSize bytes, taken up to its first
// zero byte; false (and text untouched) when the value is missing or does not fit.
bool ReadRegistryText(HKEY key, const char* name, DWORD bufferSize, std::string& text);
