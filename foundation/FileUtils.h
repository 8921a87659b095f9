#pragma once
// File and folder utilities of the foundation. Functions that change the current
// directory put it back before they return.
#include "foundation/EArray.h"
#include "foundation/Export.h"
#include "foundation/FileString.h"
#include "platform/Wnd.h"
#include <windows.h>

VELLANTS_API bool FileExists(StrPP name);
VELLANTS_API DWORD FileSize(StrPP name);
VELLANTS_API int ValidatePath(StrPP folder, bool offerCreate, HWND parent);
VELLANTS_API void FindFiles(StrPP folder, StrPP pattern, EList<FileString>& found, bool recurse);
VELLANTS_API StrPP BrowseForFolder(bool withEditBox, bool noInitialFolder);
#ifdef VELLANTS_BUILD
// Stands in for the folder picker (tests, not exported); the shell's picker is the default.
using FolderPickerHook = StrPP (*)(bool withEditBox, bool noInitialFolder);
void SetFolderPickerHook(FolderPickerHook hook);
#endif
// Whole file into a new block of size + 1 bytes (the caller writes the terminator
// at index size and frees the block); size -1 when the file cannot be opened.
VELLANTS_API void ReadWholeFile(const char* name, char*& data, int& size);
VELLANTS_API void ReadFileInto(const char* name, void* data, int& size);
VELLANTS_API bool WriteWholeFile(const char* name, const void* data, int size);
VELLANTS_API int RunProgram(char* commandLine, bool wait);
VELLANTS_API bool FileTimeEquals(const char* name, FILETIME when);
// Whether a new file can be made where probePath points (a folder of that name means
// it cannot). The probe is a temporary of probePath (TemporaryFile): a file or link
// already there is never opened.
VELLANTS_API bool CanCreateFileAt(const char* probePath);
