#pragma once
// System DLLs loaded from the system folder alone: a DLL of the same name planted
// beside the host program or in the current folder is never loaded, and the
// process's DLL search settings are left as the host set them.
#include <windows.h>

HMODULE LoadSystemLibrary(const char* name);
