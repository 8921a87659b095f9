#pragma once
// The settings store's content as the records of its section: for each set a header
// pair (the marker "\nConfig Set\n", then the set's name), then a pair per entry (the
// key as a String, then the value).
#include "foundation/EArray.h"
#include "settings/ConfigSet.h"
#include <memory>

class SectionReader;
class SectionWriter;

// Frames every set, entries in post-order. Raises for a key that a read would not give
// back (empty, or the marker): such an entry would be lost, or would move the entries
// after it into another set; what was handed on by then is not a file to keep. False
// when the writer's sink refused a piece.
bool EncodeSettings(const EList<ConfigSet>& sets, SectionWriter& out);

// The sets that the records up to the end of the section hold: "default" first, then
// every other set in the order its header first appears. A key whose text is empty is
// skipped with its value. Raises for a damaged record; time and memory grow in
// proportion to the bytes read.
std::unique_ptr<EList<ConfigSet>> DecodeSettings(SectionReader& in);
