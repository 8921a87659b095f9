#pragma once
// A whole settings file as bytes, for the native tests and fuzz targets: the store's
// sets decoded from a file as a load finds them, encoded as a save lays them out (one
// section 0x1000, trimmed), and compared.
#include "MemoryStorage.h"
#include "settings/ConfigSet.h"
#include "settings/SectionReader.h"
#include "settings/SectionScan.h"
#include "settings/SectionWriter.h"
#include "settings/SettingsRecords.h"
#include <cstring>
#include <map>
#include <memory>
#include <string>

using Sets = EList<ConfigSet>;

constexpr uint32_t kStoreSection = 0x1000;

inline std::string Word(uint32_t w) { return std::string(reinterpret_cast<const char*>(&w), 4); }

inline std::string SectionBytes(uint32_t number, const std::string& data) {
    const uint32_t n = static_cast<uint32_t>(data.size());
    return Word(kSectionMagic) + Word(number) + Word(n) + data + Word(n);
}

// Null when the file holds no section 0x1000; raises as a load does.
inline std::unique_ptr<Sets> DecodeFile(const std::string& bytes) {
    MemoryStorage file(bytes);
    bool found = false;
    SectionPlace store{};
    ScanSections(file, [&](const SectionPlace& place) {
        if (place.number == kStoreSection && !found) {
            found = true;
            store = place;
        }
    });
    if (!found) return nullptr;
    SectionReader reader(file, store.dataStart, store.dataStart + store.length);
    return DecodeSettings(reader);
}

inline std::string EncodeFile(const Sets& sets) {
    std::string data;
    SectionWriter out([&data](const char* bytes, uint32_t n) {
        data.append(bytes, n);
        return true;
    });
    EncodeSettings(sets, out);
    return SectionBytes(kStoreSection, data);
}

// Equal types (with the flag word when `exact`) and payloads, lists element by element.
inline bool SameValue(const Value& a, const Value& b, bool exact) {
    if (exact ? a.TypeWord() != b.TypeWord() : a.Type() != b.Type()) return false;
    switch (a.Type()) {
        case kBool:
        case kInt: return a.Word() == b.Word();
        case kReal: {
            const double x = a.Real(), y = b.Real();
            return std::memcmp(&x, &y, sizeof x) == 0;
        }
        case kString: return std::strcmp(a.String(), b.String()) == 0;
        case kList: {
            if (a.List()->Count() != b.List()->Count()) return false;
            for (int i = 0; i < a.List()->Count(); ++i)
                if (!SameValue(a.List()->data[i], b.List()->data[i], exact)) return false;
            return true;
        }
        case kBinary: return a.ByteCount() == b.ByteCount() && std::memcmp(a.Bytes(), b.Bytes(), a.ByteCount()) == 0;
        default: return true;
    }
}

// The sets' names in order and, per set, every key with its value; empty when equal,
// else the first difference.
inline std::string Difference(const Sets& a, const Sets& b, bool exact) {
    if (a.last != b.last) return "set count " + std::to_string(a.last + 1) + " / " + std::to_string(b.last + 1);
    for (int i = 0; i <= a.last; ++i) {
        const ConfigSet& x = a.data[i];
        const ConfigSet& y = b.data[i];
        if (std::strcmp(x.name.Text(), y.name.Text()) != 0) return "set name " + std::to_string(i);
        std::map<std::string, const Value*> left, right;
        x.Walk([&left](const ConfigEntry& e) { return left.emplace(e.key.Text(), &e.value).second; });
        y.Walk([&right](const ConfigEntry& e) { return right.emplace(e.key.Text(), &e.value).second; });
        if (left.size() != right.size()) return "entry count of set " + std::string(x.name.Text());
        for (const auto& [key, value] : left) {
            const auto other = right.find(key);
            if (other == right.end()) return "key " + key + " missing";
            if (!SameValue(*value, *other->second, exact)) return "value of " + key;
        }
    }
    return "";
}
