#include "settings/ProgramConfiguration.h"
#include "foundation/FileUtils.h"
#include "settings/QRVFile.h"
#include "settings/StorageSet.h"
#include <cfloat>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
const char* const kSetMarker = "\nConfig Set\n";

// One record framer for every store of the process, alive while any store is.
StorageSet* framer = nullptr;
int framerUsers = 0;

void AcquireFramer() {
    if (framerUsers++ == 0) framer = new StorageSet(0, new StorageValue);
}

void ReleaseFramer() {
    if (--framerUsers == 0) {
        delete framer;
        framer = nullptr;
    }
}

StorageValue& Record() { return static_cast<StorageValue&>(*framer->Current()); }

bool IsMarker(const Value& key) { return key.Type() == kString && std::strcmp(key.String(), kSetMarker) == 0; }

void WriteValue(Section& section, const Value& value) {
    framer->Select(StorageValue(value));
    section.WriteRecord(*framer);
}

// The stored value a typed look-up converts: a list stands for its first element.
const Value& Scalar(const Value& value) { return value.Type() == kList ? value.List()->At(0) : value; }

class Mutex {
public:
    explicit Mutex(const char* name) : handle(::CreateMutexA(nullptr, FALSE, name)) {
        if (handle) ::WaitForSingleObject(handle, INFINITE);
    }
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;
    ~Mutex() {
        if (!handle) return;
        ::ReleaseMutex(handle);
        ::CloseHandle(handle);
    }

private:
    HANDLE handle;
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
    AcquireFramer();
    AddSet(*sets, "default");
    current = 0;
}

ProgramConfiguration::~ProgramConfiguration() {
    delete sets;
    ReleaseFramer();
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
    CurrentSet().PostOrder([&](ConfigEntry& entry) {
        if (std::strstr(entry.key, prefix) != entry.key.Text()) return true;
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
    CurrentSet().PostOrder([&](ConfigEntry& entry) {
        first.Set(entry.key, entry.value);
        return true;
    });
}

int ProgramConfiguration::Load(const char* fileName) {
    Lock hold(lock);
    if (!FileExists(fileName)) return 0;
    QRVFile file(fileName, "r");
    Section* section = file.GetSection(0, kSettingsSection);
    if (!section) return 0;
    // Read into a fresh list so that a damaged file leaves the store as it was.
    std::unique_ptr<EList<ConfigSet>> loaded(new EList<ConfigSet>(3, 5));
    AddSet(*loaded, "default");
    int into = 0;
    const StrPP damaged = CatalogueText(kMsgWriteMismatch);
    while (!section->AtEnd()) {
        if (!section->ReadRecord(*framer)) QRVException(damaged, 1).Throw();
        const Value key(Record().value);
        if (section->AtEnd() || !section->ReadRecord(*framer)) QRVException(damaged, 1).Throw();
        const Value& value = Record().value;
        StrPP keyText;
        key.TextInto(keyText);
        if (keyText.Length() == 0) continue;
        if (IsMarker(key)) {
            StrPP setName;
            value.TextInto(setName);
            into = -1;
            for (int i = 0; i <= loaded->last; ++i)
                if (std::strcmp((*loaded)[i].name, setName) == 0) into = i;
            if (into < 0) {
                AddSet(*loaded, setName);
                into = loaded->last;
            }
        } else {
            (*loaded)[into].Set(keyText, value);
        }
    }
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
    try {
        QRVFile file(temporary, "w+");
        Section* section = file.GetSection(0x102, kSettingsSection);
        if (!section) {
            file.Close();
            ::DeleteFileA(temporary);
            return 0;
        }
        const Value marker(kSetMarker);
        for (int i = 0; i <= sets->last; ++i) {
            const ConfigSet& set = (*sets)[i];
            WriteValue(*section, marker);
            WriteValue(*section, Value(set.name));
            set.PostOrder([&](ConfigEntry& entry) {
                WriteValue(*section, Value(entry.key));
                WriteValue(*section, entry.value);
                return true;
            });
        }
        file.Close();
    } catch (...) {
        ::DeleteFileA(temporary);
        throw;
    }
    // The settings file is only ever replaced by a complete temporary file.
    if (!::MoveFileExA(temporary, fileName, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileA(temporary);
        return 0;
    }
    return 1;
}

int ProgramConfiguration::LookUp(const char* key, const char* fileName, Value& out) {
    Lock hold(lock);
    if (fileName && *fileName) {
        ProgramConfiguration other(identity, secondIdentity);
        other.Load(fileName);
        return other.LookUp(key, "", out);
    }
    if (ConfigEntry* entry = CurrentSet().Find(key)) {
        out = entry->value;
        return 1;
    }
    out = Value(0, true);
    return 0;
}

int ProgramConfiguration::LookUpInt(const char* key, const char* fileName, int& out) {
    Value found;
    const int result = LookUp(key, fileName, found);
    const Value& v = Scalar(found);
    switch (v.Type()) {
        case kNone: out = 0x7FFFFFFF; break;
        case kIllegal: out = -0x7FFFFFFF; break;
        case kBool: out = v.Word() == 1 ? 1 : 0; break;
        case kInt: out = v.Word(); break;
        case kReal: out = static_cast<int>(v.Real()); break;
        case kString: out = std::atoi(v.String()); break;
        default: out = 0; break;
    }
    return result;
}

int ProgramConfiguration::LookUpReal(const char* key, const char* fileName, double& out) {
    Value found;
    const int result = LookUp(key, fileName, found);
    const Value& v = Scalar(found);
    switch (v.Type()) {
        case kNone: out = DBL_MAX; break;
        case kIllegal: out = -DBL_MAX; break;
        case kBool: out = v.Word() == 1 ? 1.0 : 0.0; break;
        case kInt: out = v.Word(); break;
        case kReal: out = v.Real(); break;
        case kString: out = std::atof(v.String()); break;
        default: out = 0; break;
    }
    return result;
}

int ProgramConfiguration::LookUpText(const char* key, const char* fileName, StrPP& out) {
    Value found;
    const int result = LookUp(key, fileName, found);
    Scalar(found).TextInto(out);
    return result;
}
