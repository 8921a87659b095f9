#pragma once
// Everything the library offers its hosts is exported from the DLL; code built
// into the library (and its tests, which link it statically) defines VELLANTS_BUILD.
// Native builds of the portable code (fuzzing, native tests) have no DLL.
#if !defined(_WIN32)
#define VELLANTS_API
#elif defined(VELLANTS_BUILD)
#define VELLANTS_API __declspec(dllexport)
#else
#define VELLANTS_API __declspec(dllimport)
#endif
