#include "foundation/PlannedFailure.h"
#include <atomic>

namespace {
std::atomic<int> operationsUntilFailure{0};
}

bool PlannedFailure() {
    int left = operationsUntilFailure.load();
    // Only the thread that takes the count from 1 to 0 fails.
    while (left > 0 && !operationsUntilFailure.compare_exchange_weak(left, left - 1)) {}
    if (left != 1) return false;
    ::SetLastError(ERROR_DISK_FULL);
    return true;
}

int FailNthFileWriteForTests(int n) { return operationsUntilFailure.exchange(n > 0 ? n : 0); }
