#include "Sandbox.h"
#include "platform/Collections.h"
#include <atomic>
#include <fstream>
#include <sstream>
#include <vector>

namespace {
std::string UniqueName(const char* stem) {
    static std::atomic<int> counter{0};
    return std::string(stem) + std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(++counter) + "_" +
           std::to_string(::GetTickCount());
}
}  // namespace

RegistrySandbox::RegistrySandbox() : root_("Software\\VellantsTests\\" + UniqueName("r")) {
    ::RegCreateKeyExA(HKEY_CURRENT_USER, (root_ + "\\Machine").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &machine_, nullptr);
    ::RegCreateKeyExA(HKEY_CURRENT_USER, (root_ + "\\User").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &user_,
                      nullptr);
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_);
    ::RegOverridePredefKey(HKEY_CURRENT_USER, user_);
}

RegistrySandbox::~RegistrySandbox() {
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::RegCloseKey(machine_);
    ::RegCloseKey(user_);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, root_.c_str());
}

TempFolder::TempFolder() {
    char base[MAX_PATH + 1] = {0};
    ::GetTempPathA(MAX_PATH, base);
    path_ = std::string(base) + UniqueName("vt");
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFileText(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

bool PathExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void SetRegText(HKEY root, const char* key, const char* name, const std::string& value) {
    HKEY handle = nullptr;
    if (::RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr) != ERROR_SUCCESS) return;
    ::RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
    ::RegCloseKey(handle);
}

void SetRegDword(HKEY root, const char* key, const char* name, DWORD value) {
    HKEY handle = nullptr;
    if (::RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr) != ERROR_SUCCESS) return;
    ::RegSetValueExA(handle, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    ::RegCloseKey(handle);
}

bool GetRegText(HKEY root, const char* key, const char* name, std::string& value) {
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    std::vector<char> buffer(4096, '\0');
    DWORD size = static_cast<DWORD>(buffer.size() - 1);
    const bool ok = ::RegQueryValueExA(handle, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
                    ERROR_SUCCESS;
    ::RegCloseKey(handle);
    if (ok) value = buffer.data();
    return ok;
}

bool GetRegDword(HKEY root, const char* key, const char* name, DWORD& value) {
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    DWORD size = sizeof value;
    const bool ok =
        ::RegQueryValueExA(handle, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS;
    ::RegCloseKey(handle);
    return ok;
}

bool RegKeyExists(HKEY root, const char* key) {
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    ::RegCloseKey(handle);
    return true;
}

std::string TestProgramFolder() {
    char path[MAX_PATH + 1] = {0};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::vector<std::string> Items(const CStringList& list) {
    std::vector<std::string> items;
    for (const CString& item : list) items.push_back(item.Str());
    return items;
}
