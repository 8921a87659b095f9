#include "Sandbox.h"
#include "foundation/Owners.h"
#include "platform/Collections.h"
#include <atomic>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {
std::string UniqueName(const char* stem) {
    static std::atomic<int> counter{0};
    return std::string(stem) + std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(++counter) + "_" +
           std::to_string(::GetTickCount());
}
}  // namespace

RegistrySandbox::RegistrySandbox(bool classesToo) : root_("Software\\VellantsTests\\" + UniqueName("r")) {
    Redirect(HKEY_LOCAL_MACHINE, "\\Machine");
    Redirect(HKEY_CURRENT_USER, "\\User");
    if (classesToo) Redirect(HKEY_CLASSES_ROOT, "\\User\\Classes");
}

void RegistrySandbox::Redirect(HKEY predefined, const std::string& below) {
    RegistryKey scratch;
    LSTATUS status = ::RegCreateKeyExA(HKEY_CURRENT_USER, (root_ + below).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                       nullptr, scratch.Out(), nullptr);
    if (status == ERROR_SUCCESS) status = ::RegOverridePredefKey(predefined, scratch.Get());
    if (status != ERROR_SUCCESS)
        throw std::runtime_error("the registry could not be redirected to scratch keys: error " +
                                 std::to_string(status));
    redirected_.emplace_back(predefined, std::move(scratch));
}

RegistrySandbox::~RegistrySandbox() {
    for (auto it = redirected_.rbegin(); it != redirected_.rend(); ++it) ::RegOverridePredefKey(it->first, nullptr);
    redirected_.clear();
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
    ::RegSetKeyValueA(root, key, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void SetRegDword(HKEY root, const char* key, const char* name, DWORD value) {
    ::RegSetKeyValueA(root, key, name, REG_DWORD, &value, sizeof value);
}

bool GetRegText(HKEY root, const char* key, const char* name, std::string& value) {
    std::vector<char> buffer(4096, '\0');
    DWORD size = static_cast<DWORD>(buffer.size() - 1);
    if (::RegGetValueA(root, key, name, RRF_RT_ANY, nullptr, buffer.data(), &size) != ERROR_SUCCESS) return false;
    value = buffer.data();
    return true;
}

bool GetRegDword(HKEY root, const char* key, const char* name, DWORD& value) {
    DWORD size = sizeof value;
    return ::RegGetValueA(root, key, name, RRF_RT_ANY, nullptr, &value, &size) == ERROR_SUCCESS;
}

bool RegKeyExists(HKEY root, const char* key) {
    RegistryKey handle;
    return ::RegOpenKeyExA(root, key, 0, KEY_READ, handle.Out()) == ERROR_SUCCESS;
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

namespace {
void SnapshotKey(HKEY key, const std::string& path, std::map<std::string, std::string>& values) {
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameSize = sizeof name;
        DWORD type = 0;
        std::vector<BYTE> data(65536);
        DWORD dataSize = static_cast<DWORD>(data.size());
        if (::RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data.data(), &dataSize) != ERROR_SUCCESS) break;
        values[path + "\\" + name] = std::to_string(type) + ":" + std::string(data.begin(), data.begin() + dataSize);
    }
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name;
        if (::RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        RegistryKey child;
        if (::RegOpenKeyExA(key, name, 0, KEY_READ, child.Out()) == ERROR_SUCCESS)
            SnapshotKey(child.Get(), path + "\\" + name, values);
        values[path + "\\" + name + "\\"] = "key";
    }
}
}  // namespace

std::map<std::string, std::string> RegistrySnapshot(HKEY root) {
    std::map<std::string, std::string> values;
    SnapshotKey(root, "", values);
    return values;
}

std::map<std::string, std::string> FolderSnapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string path = entry.path().string();
        WIN32_FILE_ATTRIBUTE_DATA attributes = {};
        ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes);
        const std::string written = std::to_string(attributes.ftLastWriteTime.dwHighDateTime) + "." +
                                    std::to_string(attributes.ftLastWriteTime.dwLowDateTime);
        files[path] = written + (entry.is_regular_file() ? ":" + ReadFileText(path) : ":folder");
    }
    return files;
}

std::vector<std::string> TemporariesBelow(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.path().filename().string().find(".QTXNew-") != std::string::npos)
            found.push_back(entry.path().string());
    return found;
}
