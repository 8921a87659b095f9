#pragma once
// The configuration file's editor line (851) and toolbar lines (2301 on), edited
// as bytes: adding the host's editor and button, and taking them out again. An
// addition is made only where the removal gives back every byte; otherwise the
// file is refused and left as it is.
#include "installer/EditRefusal.h"
#include <optional>
#include <string>
#include <string_view>

struct CfgAddition {
    EditRefusal refusal = EditRefusal::None;
    // The editor the file named before, to keep for the removal; none when no
    // editor line changed or it already named the host's editor.
    std::optional<std::string> originalEditor;
};

// Writes the edited file into `out` (undefined when refused). The toolbar entry
// is added only to a file that mentions "gotoqtx" nowhere.
CfgAddition AddToCfg(std::string_view data, bool toolbar, bool editor, std::string& out);

// Takes the host's button off every toolbar run and gives each editor line that
// names the host's editor back `originalEditor` ("pfe32" where it would not read
// back as itself).
void RemoveFromCfg(std::string_view data, bool toolbar, bool editor, std::string_view originalEditor, std::string& out);
