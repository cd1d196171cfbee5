// The leak check of a sanitizer build, run when a tool or test program is done.
#pragma once

namespace platform {

// In an address-sanitizer build, checks for leaks now (once per process: the check at exit is
// then skipped); does nothing otherwise. Called at the end of main, before exit handlers run:
// the GL driver's own exit handler unloads it, and its allocations would then be reported as
// memory of no known module that no suppression can name.
void checkLeaksNow();

}  // namespace platform
