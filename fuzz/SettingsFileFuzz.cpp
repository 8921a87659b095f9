// Any bytes as a settings file: the decode ends normally or with QRVException (the
// sanitizers and libFuzzer's time and memory limits watch the rest), and what it gives
// encodes and decodes again to the same sets, keys and values.
#include "SettingsFile.h"
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::unique_ptr<Sets> sets;
    try {
        sets = DecodeFile(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const QRVException&) {
        return 0;
    }
    if (!sets) return 0;
    const std::string once = EncodeFile(*sets);
    const std::unique_ptr<Sets> again = DecodeFile(once);
    const std::string difference = Difference(*sets, *again, true);
    if (!difference.empty()) {
        std::fprintf(stderr, "decode, encode, decode changed the %s\n", difference.c_str());
        std::abort();
    }
    return 0;
}
