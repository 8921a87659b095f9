// Any table the store can hold, built from the fuzzer's bytes through the sets' own
// operations: encoding it and decoding the bytes gives the same sets, keys and values;
// a key that the file cannot carry (empty, or the set marker) is refused instead.
#include "SettingsFile.h"
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : at(data), end(data + size) {}
    bool More() const { return at < end; }
    uint8_t Byte() { return at < end ? *at++ : 0; }
    uint32_t Word() {
        uint32_t w = 0;
        for (int i = 0; i < 4; ++i) w = w << 8 | Byte();
        return w;
    }
    // A text of up to 31 bytes without a zero byte, as the store's keys and names are.
    std::string Text() {
        std::string text;
        for (int n = Byte() % 32; n > 0; --n) text += static_cast<char>(Byte() % 255 + 1);
        if (text == "M") text = "\nConfig Set\n";
        return text;
    }

private:
    const uint8_t* at;
    const uint8_t* end;
};

Value MakeValue(Bytes& in, int depth) {
    switch (in.Byte() % 8) {
        case 0: return Value();
        case 1: return Value::Illegal();
        case 2: return Value(in.Byte() % 2 == 1);
        case 3: return Value(static_cast<int>(in.Word()));
        case 4: {
            const uint32_t low = in.Word();
            return Value(low, in.Word());
        }
        case 5: return Value(in.Text().c_str());
        case 6: {
            ValueList* list = new ValueList;
            for (int n = depth < 4 ? in.Byte() % 5 : 0; n > 0; --n) list->Append(MakeValue(in, depth + 1));
            return Value(list);
        }
        default: {
            const std::string bytes = in.Text();
            return Value(static_cast<const void*>(bytes.data()), static_cast<uint32_t>(bytes.size()));
        }
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bytes in(data, size);
    Sets sets(3, 5);
    sets.Append(ConfigSet("default"));
    ConfigSet* into = &sets.data[0];
    bool storable = true;
    while (in.More()) {
        switch (in.Byte() % 4) {
            case 0: {
                const std::string name = in.Text();
                int found = -1;
                for (int i = 0; i <= sets.last && found < 0; ++i)
                    if (name == sets.data[i].name.Text()) found = i;
                if (found < 0) {
                    sets.Append(ConfigSet(name.c_str()));
                    found = sets.last;
                }
                into = &sets.data[found];
                break;
            }
            case 1: into->Remove(in.Text().c_str()); break;
            default: {
                const std::string key = in.Text();
                into->Set(key.c_str(), MakeValue(in, 0));
                break;
            }
        }
    }
    for (int i = 0; i <= sets.last; ++i)
        sets.data[i].Walk([&storable](const ConfigEntry& e) {
            storable = storable && e.key.Length() > 0 && std::string(e.key.Text()) != "\nConfig Set\n";
            return true;
        });
    std::string bytes;
    try {
        bytes = EncodeFile(sets);
    } catch (const QRVException&) {
        if (storable) {
            std::fprintf(stderr, "a storable table was refused\n");
            std::abort();
        }
        return 0;
    }
    if (!storable) {
        std::fprintf(stderr, "a key the file cannot carry was written\n");
        std::abort();
    }
    const std::string difference = Difference(sets, *DecodeFile(bytes), false);
    if (!difference.empty()) {
        std::fprintf(stderr, "encode, decode changed the %s\n", difference.c_str());
        std::abort();
    }
    return 0;
}
