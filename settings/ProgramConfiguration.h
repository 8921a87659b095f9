#pragma once
// The host's settings store: named values in named sets, kept in section 0x1000
// of a settings file. Every operation holds the store's re-entrant lock.
#include "foundation/EArray.h"
#include "foundation/Export.h"
#include "settings/ConfigSet.h"
#include <windows.h>
#include <functional>

constexpr uint32_t kSettingsSection = 0x1000;

class VELLANTS_API ProgramConfiguration {
public:
    ProgramConfiguration(const char* identity, const char* secondIdentity);
    ProgramConfiguration(const ProgramConfiguration&) = delete;
    ProgramConfiguration& operator=(const ProgramConfiguration&) = delete;
    virtual ~ProgramConfiguration();
    // Load and Save of one file, however spelled, exclude each other across processes.
    // Save returns 1 or raises QRVException: a save that did not happen is never a 0.
    virtual int Load(const char* fileName);
    virtual int Save(const char* fileName);

    int SelectSet(const char* name, bool copyFirst);
    void SetEntry(const char* key, const Value& value);
    int RemoveEntry(const char* key);
    void CollectEntries(const char* prefix, EList<ConfigEntry*>& found);
    void CopyCurrentToFirst();

    // fileName empty: the current set; otherwise the "default" set of that file.
    int LookUp(const char* key, const char* fileName, Value& out);
    int LookUpInt(const char* key, const char* fileName, int& out);
    int LookUpReal(const char* key, const char* fileName, double& out);
    int LookUpText(const char* key, const char* fileName, StrPP& out);

    int SetCount() const { return sets->last + 1; }
    ConfigSet& SetAt(int i) { return (*sets)[i]; }
    ConfigSet& CurrentSet() { return (*sets)[current]; }

    // The mutex that keeps two processes from loading and saving one settings file at
    // once: named from the file's full, case-folded path, in the machine-wide namespace.
    static StrPP MutexName(const char* fileName);

private:
    class Lock;
    static void AddSet(EList<ConfigSet>& list, const char* name);
    int LoadFrom(const char* fileName);
    void WriteTo(const char* temporary);
    // Hands the key's stored value (Int 0 when absent) to use; returns the found flag.
    int Visit(const char* key, const char* fileName, const std::function<void(const Value&)>& use);

    CRITICAL_SECTION lock;
    StrPP identity;
    StrPP secondIdentity;
    EList<ConfigSet>* sets;
    int current = 0;
};
