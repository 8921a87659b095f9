#pragma once
// One named set of settings: a splay tree of key/value entries ordered by strcmp.
#include "foundation/Export.h"
#include "foundation/StrPP.h"
#include "settings/Value.h"
#include <cstddef>
#include <functional>
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
    // Takes the other's entries; the other keeps its name and is left empty.
    ConfigSet(ConfigSet&& other) noexcept;
    ConfigSet& operator=(ConfigSet&& other) noexcept;
    ~ConfigSet();

    // Replaces the key's value or inserts it; the entry becomes the root.
    void Set(const char* key, const Value& value);
    void Set(const char* key, Value&& value);
    // The key's entry, splayed to the root; inserted with an empty value when absent.
    ConfigEntry& Entry(const char* key);
    // The same for the key of `length` bytes at key (which need not be terminated).
    ConfigEntry& Entry(const char* key, size_t length);
    bool Remove(const char* key);
    // The entry of the key, splayed to the root; null when absent.
    ConfigEntry* Find(const char* key);
    // Left subtree, right subtree, then the node; the order entries are saved in. The
    // walk stops when visit returns false.
    void PostOrder(const std::function<bool(ConfigEntry&)>& visit) const { Walk(visit); }
    template <class Visit>
    void Walk(Visit&& visit) const;
    void Clear();
    ConfigEntry* Root() const { return root; }

    StrPP name;

private:
    // Splays the tree on the key; the key's order against the new root (1 when empty).
    int Splay(const char* key, size_t length);
    ConfigEntry* root = nullptr;
};

template <class Visit>
void ConfigSet::Walk(Visit&& visit) const {
    // Post-order is node, right, left reversed. Each node is reached once through the
    // tree (iteratively: a tree built from sorted keys is a chain as long as the set),
    // then the list is visited backwards. In a large set nearly every node is a cache
    // miss: a left child is fetched when it is put aside and the list is fetched ahead,
    // so that the waits overlap.
    const size_t kAhead = 16;
    std::vector<ConfigEntry*> order;
    std::vector<ConfigEntry*> pending;
    if (root) pending.push_back(root);
    while (!pending.empty()) {
        ConfigEntry* node = pending.back();
        pending.pop_back();
        order.push_back(node);
        if (node->left) {
            __builtin_prefetch(node->left);
            pending.push_back(node->left);
        }
        if (node->right) pending.push_back(node->right);
    }
    for (size_t i = order.size(); i-- > 0;) {
        if (i >= kAhead) __builtin_prefetch(order[i - kAhead]);
        if (!visit(*order[i])) return;
    }
}
