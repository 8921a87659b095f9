#pragma once
// A path split into the parts callers read directly.
#include "foundation/Export.h"
#include "foundation/StrPP.h"

class VELLANTS_API FileString {
public:
    FileString() = default;
    FileString(const char* path) { Set(path); }
    FileString(const StrPP& path) { Set(path); }
    FileString(const FileString&) = default;
    FileString& operator=(const FileString&) = default;
    FileString& operator=(const char* path) {
        Set(path);
        return *this;
    }
    virtual ~FileString() = default;

    virtual void Set(const StrPP& path);

    StrPP drive;
    StrPP directory;
    StrPP fileName;
    StrPP baseName;
    StrPP extension;
    StrPP folder;
    StrPP fullPath;
};
