#include "settings/ConfigSet.h"
#include "foundation/PooledText.h"
#include "foundation/SmallBlocks.h"
#include "foundation/SplayTree.h"
#include <cstring>
#include <memory>
#include <utility>

static_assert(sizeof(ConfigEntry) <= SmallBlocks::kLargest, "an entry fits a small block");

void* ConfigEntry::operator new(size_t size) { return SmallBlocks::Take(size); }

void ConfigEntry::operator delete(void* entry, size_t size) noexcept { SmallBlocks::Give(entry, size); }

ConfigSet::ConfigSet(const ConfigSet& other) : name(other.name) { *this = other; }

ConfigSet& ConfigSet::operator=(const ConfigSet& other) {
    if (this == &other) return *this;
    Clear();
    name = other.name;
    // Re-inserting in post-order rebuilds the same set; the walk keeps no deep recursion.
    other.Walk([this](const ConfigEntry& entry) {
        Set(entry.key.Text(), entry.value);
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
    if (root && std::strcmp(key, root->key.Text()) == 0) return *root;
    std::unique_ptr<ConfigEntry> node(new ConfigEntry);
    PooledText::Assign(node->key, key, static_cast<int>(std::strlen(key)));
    root = InsertAtRoot(root, node.release(), root && std::strcmp(key, root->key.Text()) < 0);
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
    if (!root || std::strcmp(key, root->key.Text()) != 0) return false;
    root = RemoveRoot(root, [key](const ConfigEntry& node) { return std::strcmp(key, node.key); });
    return true;
}

ConfigEntry* ConfigSet::Find(const char* key) {
    Splay(key);
    return root && std::strcmp(key, root->key.Text()) == 0 ? root : nullptr;
}
