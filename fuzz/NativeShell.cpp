// What the Win32 shell supplies to the portable core, for its native builds: the
// process's heap in place of the library's small-block heap (so that the sanitizers see
// every block), and a fatal error that aborts where the library would show a box.
#include "environment/Messages.h"
#include "foundation/SmallBlocks.h"
#include <cstdio>
#include <cstdlib>
#include <new>

void* SmallBlocks::Take(size_t size) { return ::operator new(size); }

void SmallBlocks::Give(void* block, size_t) noexcept { ::operator delete(block); }

void LibraryAssert() {}

void FatalError(StrPP text) {
    std::fprintf(stderr, "<<Fatal Error>> %s\n", text.Text());
    std::abort();
}

void Warn(StrPP) {}
