#pragma once
// Registry access shared by the installer: one owner per open key.
#include <windows.h>
#include <string>

class RegistryKey {
public:
    RegistryKey() = default;
    explicit RegistryKey(HKEY key) : key_(key) {}
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() { if (key_) ::RegCloseKey(key_); }
    HKEY* Out() { return &key_; }
    HKEY Get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }

private:
    HKEY key_ = nullptr;
};

// The library's own key, under HKEY_CURRENT_USER.
extern const char* const kQtx2camKey;

// A string value read into a buffer of bufferSize bytes, taken up to its first
// zero byte; false (and text untouched) when the value is missing or does not fit.
bool ReadRegistryText(HKEY key, const char* name, DWORD bufferSize, std::string& text);
