#pragma once
// Hands back the calling thread's stack pages below the ones in use now.
//
// Wine commits and touches about a megabyte of every new thread's stack
// before the thread runs, so each of the program's waiting threads would keep
// that much memory resident for nothing; and a thread that waits for days
// after a deep call (a listing, a signature check) keeps the pages that call
// used, on Windows too. Called at a thread's start and before its long waits.
// The pages stay committed (the thread may grow into them again) but their
// contents are dropped.
namespace vigilo {

void ReleaseUnusedStack();

}  // namespace vigilo
