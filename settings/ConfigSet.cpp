#include "settings/ConfigSet.h"
#include "foundation/SplayTree.h"
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

ConfigSet::ConfigSet(const ConfigSet& other) : name(other.name) { *this = other; }

ConfigSet& ConfigSet::operator=(const ConfigSet& other) {
    if (this == &other) return *this;
    Clear();
    name = other.name;
    // Re-inserting in post-order rebuilds the same set; the walk keeps no deep recursion.
    other.PostOrder([this](ConfigEntry& entry) {
        Set(entry.key, entry.value);
        return true;
    });
    return *this;
}

ConfigSet::~ConfigSet() { Clear(); }

void ConfigSet::Clear() {
    DeleteTree(root);
    root = nullptr;
}

void ConfigSet::Splay(const char* key) {
    root = SplayTree(root, [key](const ConfigEntry& node) { return std::strcmp(key, node.key); });
}

ConfigEntry& ConfigSet::Entry(const char* key) {
    Splay(key);
    if (root && std::strcmp(key, root->key) == 0) return *root;
    std::unique_ptr<ConfigEntry> node(new ConfigEntry);
    node->key = key;
    root = InsertAtRoot(root, node.release(), root && std::strcmp(key, root->key) < 0);
    return *root;
}

void ConfigSet::Set(const char* key, const Value& value) {
    Value copy;
    copy = value;  // copied before the tree changes, so that a failed copy leaves it as it was
    Set(key, std::move(copy));
}

void ConfigSet::Set(const char* key, Value&& value) { Entry(key).value = std::move(value); }

bool ConfigSet::Remove(const char* key) {
    Splay(key);
    if (!root || std::strcmp(key, root->key) != 0) return false;
    root = RemoveRoot(root, [key](const ConfigEntry& node) { return std::strcmp(key, node.key); });
    return true;
}

ConfigEntry* ConfigSet::Find(const char* key) {
    Splay(key);
    return root && std::strcmp(key, root->key) == 0 ? root : nullptr;
}

void ConfigSet::PostOrder(const std::function<bool(ConfigEntry&)>& visit) const {
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
