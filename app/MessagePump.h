// Keeps the windows alive during long work on the user-interface thread:
// handles every message waiting in the queue, then returns. Natively there is
// no window and it does nothing.
#pragma once

void PumpPendingMessages();
