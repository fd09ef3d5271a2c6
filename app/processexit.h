#pragma once
// Ending the program: cancelling the sign-in, an unknown machine, declining
// the customer choice, "Vazgeç" in the customer console, a started
// self-update and "Evet" to the exit question end the process at once with
// exit code 0, without any clean-up (no window is closed in order, nothing is
// saved or unregistered).
//
// Every such path goes through EndProcess. Tests install a hook instead: the
// hook records the exit code and EndProcess returns, so a caller returns at
// once after calling it (and closes its own dialog, which in a real run never
// happens because the process is gone).

#include <functional>

namespace tarsel {

// Ends the process at once with `exitCode` (stdout/stderr are flushed first).
// With a hook installed, calls the hook and returns instead.
void EndProcess(int exitCode = 0);

using EndProcessHook = std::function<void(int exitCode)>;

// Installs a hook (an empty function removes it). Returns the previous one.
EndProcessHook SetEndProcessHook(EndProcessHook hook);

// True once EndProcess has been called while a hook was installed (a real
// end never returns); cleared by ClearEndProcessRequest.
bool EndProcessRequested();
void ClearEndProcessRequest();

}  // namespace tarsel
