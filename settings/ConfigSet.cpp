#include "settings/ConfigSet.h"
#include "foundation/PooledText.h"
#include "foundation/SmallBlocks.h"
#include "foundation/SplayTree.h"
#include "foundation/WordScan.h"
#include <cstring>
#include <memory>
#include <utility>

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

ConfigSet::ConfigSet(ConfigSet&& other) noexcept : name(other.name), root(std::exchange(other.root, nullptr)) {}

ConfigSet& ConfigSet::operator=(ConfigSet&& other) noexcept {
    if (this == &other) return *this;
    Clear();
    name = other.name;
    root = std::exchange(other.root, nullptr);
    return *this;
}

ConfigSet::~ConfigSet() { Clear(); }

void ConfigSet::Clear() {
    DeleteTree(root);
    root = nullptr;
}

namespace {
// The strcmp order of a key against an entry's key.
int Order(const char* key, size_t length, const ConfigEntry& entry) {
    const StrPP& other = entry.key;
    return WordScan::Compare(key, length, PooledText::Data(other), static_cast<size_t>(PooledText::Size(other)));
}
}  // namespace

int ConfigSet::Splay(const char* key, size_t length) {
    root = SplayTree(root, [key, length](const ConfigEntry& node) { return Order(key, length, node); });
    return root ? Order(key, length, *root) : 1;
}

ConfigEntry& ConfigSet::Entry(const char* key) { return Entry(key, std::strlen(key)); }

ConfigEntry& ConfigSet::Entry(const char* key, size_t length) {
    const int order = Splay(key, length);
    if (root && order == 0) return *root;
    std::unique_ptr<ConfigEntry> node(new ConfigEntry);
    PooledText::Assign(node->key, key, static_cast<int>(length));
    root = InsertAtRoot(root, node.release(), root && order < 0);
    return *root;
}

void ConfigSet::Set(const char* key, const Value& value) {
    Value copy;
    copy = value;  // copied before the tree changes, so that a failed copy leaves it as it was
    Set(key, std::move(copy));
}

void ConfigSet::Set(const char* key, Value&& value) { Entry(key).value = std::move(value); }

bool ConfigSet::Remove(const char* key) {
    const size_t length = std::strlen(key);
    if (!root || Splay(key, length) != 0) return false;
    root = RemoveRoot(root, [key, length](const ConfigEntry& node) { return Order(key, length, node); });
    return true;
}

ConfigEntry* ConfigSet::Find(const char* key) { return root && Splay(key, std::strlen(key)) == 0 ? root : nullptr; }
