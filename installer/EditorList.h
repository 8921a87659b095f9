#pragma once
// Mastercam's editor list (Mill8.txt, Mill9.txt) as bytes: adding the host's
// editor as entry 2 of the [file edit] section and taking it out again. Whether
// the list holds the host's entry is judged by that section alone: a mention
// elsewhere in the file is not an entry. An addition is made only where the
// removal gives back every byte; otherwise the list is refused and left as it is.
#include "installer/EditRefusal.h"
#include <string>
#include <string_view>

bool EditorListHasHostEntry(std::string_view data);
bool EditorListHasSection(std::string_view data);

struct ListEdit {
    bool write = false;  // false: the list stays as it is
    EditRefusal refusal = EditRefusal::None;
};

// Nothing is written for a list under 1024 bytes, one whose entries already name
// the host's editor (in any letter case) or one without entries.
ListEdit AddToEditorList(std::string_view data, std::string& out);
// Drops every entry that names the host's editor and moves the later ones up;
// nothing is written for a list under 1024 bytes or without the host's entry.
ListEdit RemoveFromEditorList(std::string_view data, std::string& out);
