#pragma once
// What an editor list holds, as the rewriters judge it: by its [file edit] section.
#include "installer/TextLines.h"
#include <string_view>

bool EditorListHasHostEntry(std::string_view data);
bool EditorListHasSection(std::string_view data);
