#pragma once
// Hands back the calling thread's stack pages below the ones in use now.
//
// Wine commits and touches about a megabyte of every new thread's stack
// before the thread runs, so each of the program's waiting threads would keep
// that much memory resident for nothing. The pages stay committed (the
// thread may grow into them again) but their contents are dropped. On
// Windows the stack is committed as it grows and there is nothing to drop.
namespace vigilo {

void ReleaseUnusedStack();

}  // namespace vigilo
