#pragma once
// The public classes and functions are exported from the DLL, nothing else: code
// built into the library (and its tests, which link it statically) defines
// VELLANTS_BUILD; hosts import. The C interface has its own header, vellants/Vellants.h.
// Native builds of the portable code (fuzzing, native tests) have no DLL.
#if !defined(_WIN32)
#define VELLANTS_API
#elif defined(VELLANTS_BUILD)
#define VELLANTS_API __declspec(dllexport)
#else
#define VELLANTS_API __declspec(dllimport)
#endif
