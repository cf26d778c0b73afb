#include "MessagePump.h"

void PumpPendingMessages() {}
