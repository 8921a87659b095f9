#include "settings/SettingsRecords.h"
#include "environment/Messages.h"
#include "settings/SectionReader.h"
#include "settings/SectionWriter.h"
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {
const char* const kSetMarker = "\nConfig Set\n";
const uint32_t kSetMarkerLength = 12;
const std::string_view kMarker(kSetMarker, kSetMarkerLength);

[[noreturn]] void RaiseDamaged() { QRVException(CatalogueText(kMsgWriteMismatch), 1).Throw(); }

// The text form of a value, without a copy when it is a string.
const char* TextOf(const Value& value, StrPP& scratch) {
    return value.Type() == kString ? value.String() : value.TextInto(scratch).Text();
}

// A key that a read would not give back: skipped when empty, a set header when the marker.
[[noreturn]] void RefuseKey(const std::string_view& key, const ConfigSet& set) {
    QRVException refused(key.empty() ? "A setting with an empty key cannot be stored."
                                     : "A setting whose key is the set marker cannot be stored.",
                         1);
    refused.Append(StrPP("\nSet: ") + set.name);
    refused.Throw();
}
}  // namespace

bool EncodeSettings(const EList<ConfigSet>& sets, SectionWriter& out) {
    for (int i = 0; i <= sets.last; ++i) {
        const ConfigSet& set = sets.data[i];
        bool written = out.Text(kSetMarker, kSetMarkerLength) && out.Text(set.name.Text(), set.name.Length());
        if (written) {
            set.Walk([&](const ConfigEntry& entry) {
                const std::string_view key(entry.key.Text(), static_cast<size_t>(entry.key.Length()));
                if (key.empty() || key == kMarker) RefuseKey(key, set);
                written = out.Text(key.data(), entry.key.Length()) && out.Record(entry.value);
                return written;
            });
        }
        if (!written) return false;
    }
    return out.Flush();
}

std::unique_ptr<EList<ConfigSet>> DecodeSettings(SectionReader& in) {
    // A deque never moves its sets as it grows; a set is found by its name in one step.
    std::deque<ConfigSet> read;
    std::unordered_map<std::string, size_t> byName;
    read.emplace_back("default");
    byName.emplace("default", 0);
    ConfigSet* into = &read.front();
    StrPP scratch;
    Value setName;
    while (!in.AtEnd()) {
        std::string_view key;
        bool isString = false;
        if (!in.KeyRecord(key, isString)) RaiseDamaged();
        // A key that ends the section has no value to set.
        if (in.AtEnd()) break;
        const bool empty = key.empty();
        if (!empty && !(isString && key == kMarker)) {
            // Read straight into the entry: a damaged record discards the whole load.
            if (!in.Record(into->Entry(key.data(), key.size()).value)) RaiseDamaged();
            continue;
        }
        if (!in.Record(setName)) RaiseDamaged();
        if (empty) continue;
        const char* name = TextOf(setName, scratch);
        const auto named = byName.emplace(name, read.size());
        if (named.second) read.emplace_back(name);
        into = &read[named.first->second];
    }
    std::unique_ptr<EList<ConfigSet>> sets(
        new EList<ConfigSet>(read.size() < 3 ? 3 : static_cast<int>(read.size()), 5));
    for (ConfigSet& set : read) sets->Append(std::move(set));
    return sets;
}
