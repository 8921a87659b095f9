#pragma once
// Why an edit of a configuration file or an editor list was not made: each is a
// file whose edit the removal could not undo byte for byte.
#include <cstdint>

enum class EditRefusal : uint32_t {
    None = 0,
    EditorsDiffer,         // two editor lines (851) name different editors: one value can be kept
    EditorHasZeroByte,     // the editor holds a zero byte, which the registry cannot keep
    EditorNotKept,         // the editor could not be stored and read back
    WouldBeTooSmall,       // under 1024 bytes the file would no longer be recognised
    WouldHideOption,       // the edit would take away the only mention of an option the file carries
    ToolbarFull,           // the buttons run to line 2498: none is free
    ButtonWithoutValue,    // a button line ends at its "?": where its value starts is unknown
    LastButtonUnlabelled,  // the last button has no "(Bn) " label before its "?" to copy
    ToolbarWouldJoin,      // the line after the buttons is numbered two past the last
    ValueEndsInReturn,     // a value ending in CR would meet a bare LF and become a CR LF
    EditorListFull,        // an entry would be numbered 20 or more
    UnusualCountLine,      // a count line other than 1. "N"
    UnusualEntry,          // an entry that does not begin with its number, ". " and its quote
};

const char* RefusalText(EditRefusal refusal);
