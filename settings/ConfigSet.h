#pragma once
// One named set of settings: a splay tree of key/value entries ordered by strcmp.
#include "foundation/Export.h"
#include "foundation/StrPP.h"
#include "settings/Value.h"
#include <functional>

struct VELLANTS_API ConfigEntry {
    ConfigEntry* left = nullptr;
    ConfigEntry* right = nullptr;
    StrPP key;
    Value value;
};

class VELLANTS_API ConfigSet {
public:
    ConfigSet() = default;
    explicit ConfigSet(const char* setName) : name(setName) {}
    ConfigSet(const ConfigSet& other);
    ConfigSet& operator=(const ConfigSet& other);
    ~ConfigSet();

    // Replaces the key's value or inserts it; the entry becomes the root.
    void Set(const char* key, const Value& value);
    void Set(const char* key, Value&& value);
    bool Remove(const char* key);
    // The entry of the key, splayed to the root; null when absent.
    ConfigEntry* Find(const char* key);
    // Left subtree, right subtree, then the node; the order entries are saved in.
    void PostOrder(const std::function<bool(ConfigEntry&)>& visit) const;
    void Clear();
    ConfigEntry* Root() const { return root; }

    StrPP name;

private:
    void Splay(const char* key);
    // The key's entry, splayed to the root; inserted with an empty value when absent.
    ConfigEntry& Entry(const char* key);
    ConfigEntry* root = nullptr;
};
