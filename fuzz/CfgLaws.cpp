// The configuration-file rewriter's laws, for any bytes and any options, with the
// options the scan would give: remove(install(x)) == x unless install refused,
// install(install(x)) == install(x), remove(remove(x)) == remove(x).
//
// Input: an options byte (bit 0 install the toolbar, bit 1 the editor, bit 2 pad
// the file to the smallest size the scan takes plus bits 5-7, bit 3 and 4 remove
// the toolbar and editor for the idempotence law), a length byte (low five bits)
// and that many bytes of a stored editor, then the file.
#include "Law.h"
#include "installer/CfgRewriter.h"
#include "installer/ScanMarks.h"
#include "installer/TextLines.h"
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    if (size < 2) return 0;
    const uint8_t options = bytes[0];
    const size_t storedSize = std::min<size_t>(bytes[1] & 31, size - 2);
    const std::string stored(reinterpret_cast<const char*>(bytes + 2), storedSize);
    std::string x(reinterpret_cast<const char*>(bytes + 2 + storedSize), size - 2 - storedSize);
    const size_t padded = kSmallestEditable + (options >> 5);
    if ((options & 4) && x.size() < padded) x.insert(0, std::string(padded - x.size() - 1, '#') + "\n");

    // remove(remove(x)) == remove(x), whatever the file and the stored editor.
    std::string once, twice;
    RemoveFromCfg(x, options & 8, options & 16, stored, once);
    RemoveFromCfg(once, options & 8, options & 16, stored, twice);
    Law(once == twice, "remove(remove(x)) == remove(x)");

    const ScanMarks before = ReadScanMarks(x);
    std::string y;
    const CfgAddition added = AddToCfg(x, (options & 1) && !before.toolbar, (options & 2) && !before.editor, y);
    if (x.size() < kSmallestEditable) return 0;     // the scan leaves such a file out
    if (added.refusal != EditRefusal::None) y = x;  // refused: left as it is
    Law(y.size() >= kSmallestEditable, "an installed file is still taken by the scan");

    // remove(install(x)) == x: the removal takes out what the scan finds added,
    // with the editor install kept (any other when it kept none).
    const ScanMarks after = ReadScanMarks(y);
    std::string z;
    RemoveFromCfg(y, after.toolbar && !before.toolbar, after.editor && !before.editor,
                  added.originalEditor ? *added.originalEditor : stored, z);
    Law(z == x, "remove(install(x)) == x");

    // install(install(x)) == install(x), and the stored editor stays.
    std::string again;
    const CfgAddition second = AddToCfg(y, (options & 1) && !after.toolbar, (options & 2) && !after.editor, again);
    if (second.refusal == EditRefusal::None) {
        Law(again == y, "install(install(x)) == install(x)");
        Law(!second.originalEditor, "a second install keeps the stored editor");
    }
    return 0;
}
