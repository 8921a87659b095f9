// The scan's one-pass marker against plain searches, for any bytes read in any
// pieces and with each width of comparison.
//
// Input: a byte choosing the width (32, 16 or 1 bytes at a time), a byte seeding
// the piece sizes, then the file.
#include "Law.h"
#include "installer/McKind.h"
#include "installer/ScanMarks.h"
#include <cstdint>
#include <string>

namespace {
std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

ScanMarks Reference(const std::string& text) {
    const std::string upper = Upper(text);
    const std::string beforeZero = text.substr(0, text.find('\0'));
    const auto has = [&](const char* word) { return beforeZero.find(word) != std::string::npos; };
    ScanMarks marks;
    marks.editor = upper.find("QTX_V2") != std::string::npos;
    marks.toolbar = upper.find("GOTOQTX*") != std::string::npos;
    marks.kind = has("\n119. ")  ? kWire
                 : has("[lathe") ? kLathe
                 : has("design") ? kDesign
                 : has("router") ? kRouter
                                 : kMill;
    return marks;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    if (size < 2) return 0;
    const size_t widths[] = {32, 16, 1};
    LimitScanWidthForTests(widths[bytes[0] % 3]);
    uint32_t seed = bytes[1] * 2654435761u + 1;
    const std::string text(reinterpret_cast<const char*>(bytes + 2), size - 2);
    ScanMarker marker;
    for (size_t at = 0; at < text.size();) {
        seed = seed * 1103515245u + 12345u;
        const size_t piece = 1 + (seed >> 16) % 80;
        marker.Add(std::string_view(text).substr(at, piece));
        at += piece;
    }
    const ScanMarks expected = Reference(text);
    for (const ScanMarks& marks : {marker.Marks(), ReadScanMarks(text)}) {
        Law(marks.editor == expected.editor, "editor mark as a plain search finds it");
        Law(marks.toolbar == expected.toolbar, "toolbar mark as a plain search finds it");
        Law(marks.kind == expected.kind, "kind as plain searches find it");
    }
    return 0;
}
