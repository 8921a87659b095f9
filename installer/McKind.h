#pragma once
#include <cstdint>

// Product kind codes of a configuration file.
enum McKind : int32_t { kMill = 1, kLathe = 2, kWire = 3, kDesign = 4, kDraft = 5, kRouter = 6 };
