// The editor-list rewriter's laws, for any bytes: remove(install(x)) == x for a
// list without the host's entry unless install refused, install(install(x)) ==
// install(x), remove(remove(x)) == remove(x).
//
// Input: an options byte (bit 0 pad the list to the smallest size edited plus
// bits 1-3), then the list.
#include "Law.h"
#include "installer/EditorList.h"
#include "installer/TextLines.h"
#include <cstdint>
#include <string>

namespace {
// What the file holds after an edit: refused or skipped edits leave it as it was.
std::string Install(const std::string& x) {
    std::string out;
    return AddToEditorList(x, out).write ? out : x;
}
std::string Remove(const std::string& x) {
    std::string out;
    return RemoveFromEditorList(x, out).write ? out : x;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    if (size < 1) return 0;
    const uint8_t options = bytes[0];
    std::string x(reinterpret_cast<const char*>(bytes + 1), size - 1);
    const size_t padded = kSmallestEditable + (options >> 1 & 7);
    if ((options & 1) && x.size() < padded) x.insert(0, std::string(padded - x.size() - 1, '#') + "\n");

    std::string out;
    const ListEdit added = AddToEditorList(x, out);
    Law(!(added.write && added.refusal != EditRefusal::None), "a refused list is not written");
    const std::string y = Install(x);
    if (!EditorListHasHostEntry(x)) Law(Remove(y) == x, "remove(install(x)) == x");
    Law(Install(y) == y, "install(install(x)) == install(x)");
    const std::string removed = Remove(x);
    Law(Remove(removed) == removed, "remove(remove(x)) == remove(x)");
    return 0;
}
