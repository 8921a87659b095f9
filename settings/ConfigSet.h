#pragma once
// One named set of settings: a splay tree of key/value entries ordered by strcmp.
#include "foundation/Export.h"
#include "foundation/StrPP.h"
#include "settings/Value.h"
#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

struct VELLANTS_API ConfigEntry {
    // Entries come from the library's small-block heap, which a large set needs.
    static void* operator new(size_t size);
    static void operator delete(void* entry, size_t size) noexcept;

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
    // The key's entry, splayed to the root; inserted with an empty value when absent.
    ConfigEntry& Entry(const char* key);
    bool Remove(const char* key);
    // The entry of the key, splayed to the root; null when absent.
    ConfigEntry* Find(const char* key);
    // Left subtree, right subtree, then the node; the order entries are saved in. The
    // walk stops when visit returns false.
    void PostOrder(const std::function<bool(ConfigEntry&)>& visit) const { Walk(visit); }
    template <class Visit> void Walk(Visit&& visit) const;
    void Clear();
    ConfigEntry* Root() const { return root; }

    StrPP name;

private:
    void Splay(const char* key);
    ConfigEntry* root = nullptr;
};

template <class Visit>
void ConfigSet::Walk(Visit&& visit) const {
    // Iterative: a tree built from sorted keys is a chain as long as the set.
    std::vector<std::pair<ConfigEntry*, bool>> stack;
    if (root) stack.push_back({root, false});
    while (!stack.empty()) {
        auto [node, childrenDone] = stack.back();
        stack.pop_back();
        if (childrenDone) {
            if (!visit(*node)) return;
            continue;
        }
        stack.push_back({node, true});
        if (node->right) stack.push_back({node->right, false});
        if (node->left) stack.push_back({node->left, false});
    }
}
