#pragma once
// The installer's path type and its one way of building a path below a folder.
#include "platform/CString.h"
#include "foundation/Export.h"

class VELLANTS_API PathString : public CString {
public:
    PathString() = default;
    PathString(const char* text) : CString(text) {}
    PathString(const CString& text) : CString(text) {}
    PathString(const PathString&) = default;
    PathString& operator=(const PathString&) = default;
};

// Folder, one backslash unless it already ends with one, then name; an empty
// folder gives an empty path so that work on a folder that was not found fails.
VELLANTS_API PathString operator+(const PathString& folder, const CString& name);
VELLANTS_API PathString operator+(const PathString& folder, const char* name);

// The host program's folder with its trailing backslash, however long; empty
// when Windows cannot tell.
VELLANTS_API PathString ProgramFolder();
// The same in a buffer of kProgramFolderBuffer characters; the buffer is left
// untouched when Windows fails or the folder does not fit.
VELLANTS_API char* ProgramFolder(char* buffer);
constexpr int kProgramFolderBuffer = 257;
