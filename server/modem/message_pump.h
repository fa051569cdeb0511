// Pausing the user-interface thread without freezing its windows.
#pragma once

namespace modem {

// Sleeps in 50 ms steps, handling the thread's waiting window messages after
// each step, until at least `milliseconds` have passed; at least one step
// always takes place. A WM_QUIT found in the queue is posted again and ends
// the pause at once, so the main message loop still sees it.
void PumpMessagesFor(unsigned milliseconds);

}  // namespace modem
