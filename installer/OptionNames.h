#pragma once
// How the console host names the six options, in flag order.
#include "installer/McConfigFile.h"

constexpr const char* kOptionNames[kOptionCount] = {"hook", "button", "tooldefs", "disable", "toolbar", "editor"};
