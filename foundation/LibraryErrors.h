#pragma once
#include <windows.h>

// Win32-style error codes of this library (the customer bit set): they never clash
// with the system's, and WindowsErrorText gives their text.
constexpr DWORD kErrorLinkRefused = 0x20000001;   // a link or reparse point stands where a file was to change
constexpr DWORD kErrorValueTooLong = 0x20000002;  // a value longer than the library stores
const char* LibraryErrorText(DWORD error);        // null for system codes
