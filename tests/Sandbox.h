#pragma once
// Per-test isolation: a scratch registry for HKLM and HKCU, and a fresh folder.
#include "foundation/Owners.h"
#include <windows.h>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

class CStringList;

// Redirects HKLM and HKCU (and, when asked, HKCR) to scratch keys for as long as it
// lives. A redirection that fails throws, which fails the test before it could
// touch the real registry.
class RegistrySandbox {
public:
    explicit RegistrySandbox(bool classesToo = false);
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;
    // Under the real HKEY_CURRENT_USER: "Machine" and "User" below it stand in for the roots.
    const std::string& Root() const { return root_; }

private:
    void Redirect(HKEY predefined, const std::string& below);

    std::string root_;
    std::vector<std::pair<HKEY, RegistryKey>> redirected_;
};

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }  // no trailing backslash
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

std::string ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& text);
bool PathExists(const std::string& path);

// Registry helpers on the (redirected) roots.
void SetRegText(HKEY root, const char* key, const char* name, const std::string& value);
void SetRegDword(HKEY root, const char* key, const char* name, DWORD value);
bool GetRegText(HKEY root, const char* key, const char* name, std::string& value);
bool GetRegDword(HKEY root, const char* key, const char* name, DWORD& value);
bool RegKeyExists(HKEY root, const char* key);

// Every value below a registry root: "key\name" -> type and bytes.
std::map<std::string, std::string> RegistrySnapshot(HKEY root);
// Every file below a folder: path -> its bytes and last write time.
std::map<std::string, std::string> FolderSnapshot(const std::string& folder);

// The temporaries (".QTXNew-" names) below a folder.
std::vector<std::string> TemporariesBelow(const std::string& folder);

// The folder of the running test program, with its trailing backslash.
std::string TestProgramFolder();

// The strings of a list, in order.
std::vector<std::string> Items(const CStringList& list);
