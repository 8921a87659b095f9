#include "foundation/PooledText.h"
#include "foundation/SmallBlocks.h"
#include <new>

StrPP* PooledText::New(const char* text, int n) {
    void* place = SmallBlocks::Take(sizeof(StrPP));
    StrPP* s = new (place) StrPP;
    try {
        Assign(*s, text, n);
    } catch (...) {
        Delete(s);
        throw;
    }
    return s;
}

void PooledText::Delete(StrPP* s) noexcept {
    if (!s) return;
    s->~StrPP();
    SmallBlocks::Give(s, sizeof(StrPP));
}
