#pragma once
// One countdown for every operation that changes a file on disk (a write, a change
// of length, a flush, a move into place), so that a test can fail the nth of them as
// a full disk would and then check that the failure was reported, not swallowed.
#include <windows.h>

// True, with ERROR_DISK_FULL as the thread's last error, when this operation is the
// planned failure. The I/O asks just before the system call it stands for.
bool PlannedFailure();

#ifdef VELLANTS_BUILD
// Tests, not exported: the nth such operation from now fails (0 plans none). Returns
// how many operations the previous plan still had to go: 0 once it fired or when
// there was none, so a run that succeeded with 0 swallowed a failure.
int FailNthFileWriteForTests(int n);
#endif
