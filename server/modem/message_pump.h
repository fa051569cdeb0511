// Pausing the user-interface thread without freezing its windows.
#pragma once

#include <windows.h>

namespace modem {

// Sleeps in 50 ms steps, handling the thread's waiting window messages after
// each step, until at least `milliseconds` have passed; at least one step
// always takes place. A WM_QUIT found in the queue is posted again and ends
// the pause at once, so the main message loop still sees it.
void PumpMessagesFor(unsigned milliseconds);

// The pause of a wait for the modem: handles the thread's window messages as
// they come, at least once, until `milliseconds` have passed, `wake` (may be
// null) is signalled, or a message handled here has set `stop`, whichever
// comes first. A WM_QUIT ends it as above.
void PumpMessagesUntil(HANDLE wake, const bool& stop, unsigned milliseconds);

}  // namespace modem
