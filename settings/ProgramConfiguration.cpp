#include "settings/ProgramConfiguration.h"
#include "foundation/FileUtils.h"
#include "foundation/Owners.h"
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

class Mutex {
public:
    explicit Mutex(const char* name) : handle(::CreateMutexA(nullptr, FALSE, name)) {
        if (!handle) return;
        const DWORD waited = ::WaitForSingleObject(handle.Get(), INFINITE);
        owned = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;
    ~Mutex() {
        if (owned) ::ReleaseMutex(handle.Get());
    }

private:
    ScopedHandle handle;
    bool owned = false;
};
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
    StrPP name(fileName);
    for (int i = 0; i < name.Length(); ++i)
        if (name[i] == '\\' || name[i] == ':') name[i] = '_';
    return name;
}

int ProgramConfiguration::Save(const char* fileName) {
    Lock hold(lock);
    Mutex exclusive(MutexName(fileName));
    const StrPP temporary = StrPP(fileName) + ".tmp";
    // The settings file is only ever replaced by a complete temporary file, on disk.
    try {
        if (!WriteTo(temporary)) {
            ::DeleteFileA(temporary);
            return 0;
        }
    } catch (const QRVException&) {
        ::DeleteFileA(temporary);
        throw;
    } catch (...) {
        ::DeleteFileA(temporary);
        RaiseForFile(temporary);
    }
    if (!::MoveFileExA(temporary, fileName, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileA(temporary);
        return 0;
    }
    return 1;
}

int ProgramConfiguration::WriteTo(const char* temporary) {
    QRVFile file(temporary, "w+");
    auto refuse = [&]() {
        QRVException failure(CatalogueText(kMsgNotEnoughDiskSpace), 1);
        failure.Append(FileTail(temporary));
        failure.Throw();
    };
    Section* section = file.GetSection(kSaveSectionFlags, kSettingsSection);
    if (!section && file.WriteFailed()) refuse();
    if (!section) return 0;
    SectionWriter out([section](const char* bytes, uint32_t count) { return section->Append(bytes, count) != 0; });
    if (!EncodeSettings(*sets, out)) refuse();
    file.Close(true);
    return 1;
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
