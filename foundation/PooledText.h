#pragma once
// Strings that live inside the library's own containers (the keys of a settings set,
// the texts of values) keep their blocks in the small-block heap, and a value its
// string object too: a large settings store holds millions of them. Such a string
// keeps taking small blocks while it grows; writable access (operator char*,
// operator[]) moves its text to the process heap first, so a block that Forget()
// turns over is always one that delete[] frees.
#include "foundation/StrPP.h"

class PooledText {
public:
    // Makes s the n bytes at text (which may lie in s itself).
    static void Assign(StrPP& s, const char* text, int n) { s.PlacePooled(text, n); }
    // A string object of the small-block heap holding the n bytes at text.
    static StrPP* New(const char* text, int n);
    static StrPP* New(const StrPP& s) { return New(s.Text(), s.Length()); }
    // Destroys a string made by New; null does nothing.
    static void Delete(StrPP* s) noexcept;

    // The text and length of a string of the library's own (no derived class), read
    // without the virtual calls, for its search loops.
    static const char* Data(const StrPP& s) { return s.buffer_ ? s.buffer_ : ""; }
    static int Size(const StrPP& s) { return s.length_; }
};
