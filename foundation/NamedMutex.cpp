#include "foundation/NamedMutex.h"
#include <cstdio>
#include <vector>

namespace {
// Object names are bounded by MAX_PATH; the prefix and the hash fit in what remains.
const size_t kLongestPathPart = 180;

std::string Fnv1a64Hex(const std::string& text) {
    unsigned long long hash = 14695981039346656037ull;
    for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", hash);
    return hex;
}
}  // namespace

std::string NormalisedPath(const std::string& path) {
    std::string slashed(path);
    for (char& c : slashed)
        if (c == '/') c = '\\';
    std::string full = slashed;
    const DWORD needed = ::GetFullPathNameA(slashed.c_str(), 0, nullptr, nullptr);
    if (needed > 0) {
        std::vector<char> buffer(needed + 1, '\0');
        const DWORD length = ::GetFullPathNameA(slashed.c_str(), needed + 1, buffer.data(), nullptr);
        if (length > 0 && length <= needed) full.assign(buffer.data(), length);
    }
    // A short (8.3) spelling of an existing path names the same file as its long one.
    const DWORD longNeeded = ::GetLongPathNameA(full.c_str(), nullptr, 0);
    if (longNeeded > 0) {
        std::vector<char> buffer(longNeeded + 1, '\0');
        const DWORD length = ::GetLongPathNameA(full.c_str(), buffer.data(), longNeeded + 1);
        if (length > 0 && length <= longNeeded) full.assign(buffer.data(), length);
    }
    while (full.size() > 3 && full.back() == '\\') full.pop_back();
    // Folded as the system folds names of the code page, not only A to Z.
    if (!full.empty()) ::CharLowerBuffA(&full[0], static_cast<DWORD>(full.size()));
    return full;
}

std::string MutexNameForPath(const std::string& prefix, const std::string& path) {
    std::string part = NormalisedPath(path);
    if (part.size() > kLongestPathPart) part = Fnv1a64Hex(part) + part.substr(part.size() - kLongestPathPart);
    for (char& c : part)
        if (c == '\\' || c == ':') c = '_';
    return "Global\\" + prefix + part;
}

NamedMutexHold::NamedMutexHold(const std::string& name, DWORD waitMs)
    : mutex_(::CreateMutexA(nullptr, FALSE, name.c_str())) {
    if (!mutex_) {
        error_ = ::GetLastError();
        outcome_ = error_ == ERROR_INVALID_HANDLE ? Outcome::WrongKind : Outcome::Failed;
        return;
    }
    switch (::WaitForSingleObject(mutex_.Get(), waitMs)) {
        // A holder that died left what it guarded as it was: the next holder goes by
        // what it finds, as after any failure.
        case WAIT_ABANDONED:
        case WAIT_OBJECT_0: outcome_ = Outcome::Owned; break;
        case WAIT_TIMEOUT:
            outcome_ = Outcome::Busy;
            error_ = WAIT_TIMEOUT;
            break;
        default: outcome_ = Outcome::Failed; error_ = ::GetLastError();
    }
}

NamedMutexHold::~NamedMutexHold() {
    if (Owned()) ::ReleaseMutex(mutex_.Get());
}
