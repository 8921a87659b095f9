#include "settings/ProgramConfiguration.h"
#include "foundation/FileUtils.h"
#include "foundation/NamedMutex.h"
#include "foundation/Owners.h"
#include "foundation/TemporaryFile.h"
#include "settings/QRVFile.h"
#include "settings/SectionReader.h"
#include "settings/SectionWriter.h"
#include "settings/SettingsRecords.h"
#include <cfloat>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

namespace {
const uint32_t kSaveSectionFlags = 0x102;

// The stored value a typed look-up converts: a list stands for its first element.
const Value& Scalar(const Value& value) { return value.Type() == kList ? value.List()->At(0) : value; }

// What the integer and the real look-ups give for a stored value.
struct Number {
    int integer;
    double real;
};

Number NumberOf(const Value& stored) {
    const Value& v = Scalar(stored);
    switch (v.Type()) {
        case kNone: return {0x7FFFFFFF, DBL_MAX};
        case kIllegal: return {-0x7FFFFFFF, -DBL_MAX};
        case kBool: return {v.Word() == 1 ? 1 : 0, v.Word() == 1 ? 1.0 : 0.0};
        case kInt: return {v.Word(), static_cast<double>(v.Word())};
        case kReal: return {static_cast<int>(v.Real()), v.Real()};
        case kString: return {std::atoi(v.String()), std::atof(v.String())};
        default: return {0, 0.0};
    }
}

// Another process saving or loading the same file is waited for this long.
const DWORD kFileLockWait = 10000;
// A replacement that another program's open handle keeps out is tried again this often.
const int kReplaceAttempts = 20;
const DWORD kReplacePause = 50;

[[noreturn]] void RaiseUnableToOpen(const char* fileName) {
    QRVException failure(CatalogueText(kMsgUnableToOpenFile), 1);
    failure.Append(FileTail(fileName));
    failure.Throw();
}

// Keeps every other process of this library from loading or saving the file for as
// long as it lives; raises when the file's lock cannot be had.
class FileLock {
public:
    explicit FileLock(const char* fileName) : hold(ProgramConfiguration::MutexName(fileName).Text(), kFileLockWait) {
        if (!hold.Owned()) RaiseUnableToOpen(fileName);
    }

private:
    NamedMutexHold hold;
};

bool Transient(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}
}  // namespace

class ProgramConfiguration::Lock {
public:
    explicit Lock(CRITICAL_SECTION& section) : held(section) { ::EnterCriticalSection(&held); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    ~Lock() { ::LeaveCriticalSection(&held); }

private:
    CRITICAL_SECTION& held;
};

ProgramConfiguration::ProgramConfiguration(const char* first, const char* second)
    : identity(first ? first : ""), secondIdentity(second ? second : ""), sets(new EList<ConfigSet>(3, 5)) {
    ::InitializeCriticalSection(&lock);
    AddSet(*sets, "default");
    current = 0;
}

ProgramConfiguration::~ProgramConfiguration() {
    delete sets;
    ::DeleteCriticalSection(&lock);
}

void ProgramConfiguration::AddSet(EList<ConfigSet>& list, const char* name) { list.Append(ConfigSet(name)); }

int ProgramConfiguration::SelectSet(const char* name, bool copyFirst) {
    Lock hold(lock);
    for (int i = 0; i <= sets->last; ++i) {
        if (std::strcmp((*sets)[i].name, name) == 0) {
            current = i;
            return 1;
        }
    }
    ConfigSet added(name);
    if (copyFirst && sets->last >= 0) {
        added = (*sets)[0];
        added.name = name;
    }
    sets->Append(added);
    current = sets->last;
    return 1;
}

void ProgramConfiguration::SetEntry(const char* key, const Value& value) {
    Lock hold(lock);
    CurrentSet().Set(key, value);
}

int ProgramConfiguration::RemoveEntry(const char* key) {
    Lock hold(lock);
    CurrentSet().Remove(key);
    return 1;
}

void ProgramConfiguration::CollectEntries(const char* prefix, EList<ConfigEntry*>& found) {
    Lock hold(lock);
    CurrentSet().Walk([&](ConfigEntry& entry) {
        if (std::strstr(entry.key.Text(), prefix) != entry.key.Text()) return true;
        const int before = found.last;
        found.Append(&entry);
        return found.last != before;
    });
}

void ProgramConfiguration::CopyCurrentToFirst() {
    Lock hold(lock);
    if (current == 0) return;
    ConfigSet& first = (*sets)[0];
    first.Clear();
    CurrentSet().Walk([&](const ConfigEntry& entry) {
        first.Set(entry.key.Text(), entry.value);
        return true;
    });
}

int ProgramConfiguration::Load(const char* fileName) {
    Lock hold(lock);
    const FileLock exclusive(fileName);
    try {
        return LoadFrom(fileName);
    } catch (const QRVException&) {
        throw;
    } catch (...) {
        RaiseForFile(fileName);
    }
}

int ProgramConfiguration::LoadFrom(const char* fileName) {
    if (!FileExists(fileName)) return 0;
    QRVFile file(fileName, "r");
    Section* section = file.GetSection(0, kSettingsSection);
    if (!section) return 0;
    // Read into a fresh list so that a damaged file leaves the store as it was.
    SectionReader reader(file, section->Cursor(), section->DataStart() + section->Used());
    std::unique_ptr<EList<ConfigSet>> loaded = DecodeSettings(reader);
    file.Close();
    delete sets;
    sets = loaded.release();
    current = 0;
    return 1;
}

StrPP ProgramConfiguration::MutexName(const char* fileName) {
    return StrPP(MutexNameForPath(std::string(), fileName).c_str());
}

int ProgramConfiguration::Save(const char* fileName) {
    Lock hold(lock);
    const FileLock exclusive(fileName);
    // The settings file is only ever replaced by a complete temporary file of this
    // process's own, on disk; every way out but success deletes the temporary.
    TemporaryFile temporary(fileName);
    if (temporary.Error() != ERROR_SUCCESS) RaiseUnableToOpen(fileName);
    temporary.Close();
    try {
        WriteTo(temporary.Path().c_str());
    } catch (const QRVException&) {
        throw;
    } catch (...) {
        RaiseForFile(temporary.Path().c_str());
    }
    // A program outside this library may have the file open for a moment.
    DWORD error = temporary.PutInPlace();
    for (int attempt = 1; attempt < kReplaceAttempts && Transient(error); ++attempt) {
        ::Sleep(kReplacePause);
        error = temporary.PutInPlace();
    }
    if (error != ERROR_SUCCESS) RaiseUnableToOpen(fileName);
    return 1;
}

void ProgramConfiguration::WriteTo(const char* temporary) {
    QRVFile file(temporary, "r+");
    auto refuse = [&]() {
        QRVException failure(CatalogueText(kMsgNotEnoughDiskSpace), 1);
        failure.Append(FileTail(temporary));
        failure.Throw();
    };
    Section* section = file.GetSection(kSaveSectionFlags, kSettingsSection);
    if (!section) refuse();
    SectionWriter out([section](const char* bytes, uint32_t count) { return section->Append(bytes, count) != 0; });
    if (!EncodeSettings(*sets, out)) refuse();
    file.Close(true);
}

int ProgramConfiguration::Visit(const char* key, const char* fileName, const std::function<void(const Value&)>& use) {
    Lock hold(lock);
    if (fileName && *fileName) {
        ProgramConfiguration other(identity, secondIdentity);
        other.Load(fileName);
        return other.Visit(key, "", use);
    }
    if (ConfigEntry* entry = CurrentSet().Find(key)) {
        use(entry->value);
        return 1;
    }
    use(Value(0, true));
    return 0;
}

int ProgramConfiguration::LookUp(const char* key, const char* fileName, Value& out) {
    return Visit(key, fileName, [&out](const Value& v) { out = v; });
}

int ProgramConfiguration::LookUpInt(const char* key, const char* fileName, int& out) {
    return Visit(key, fileName, [&out](const Value& v) { out = NumberOf(v).integer; });
}

int ProgramConfiguration::LookUpReal(const char* key, const char* fileName, double& out) {
    return Visit(key, fileName, [&out](const Value& v) { out = NumberOf(v).real; });
}

int ProgramConfiguration::LookUpText(const char* key, const char* fileName, StrPP& out) {
    return Visit(key, fileName, [&out](const Value& v) { Scalar(v).TextInto(out); });
}
