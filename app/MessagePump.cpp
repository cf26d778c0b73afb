#include "MessagePump.h"

#include "Context.h"

void PumpPendingMessages() {
  MessagePump* pump = TheContext().messagePump;
  if (pump != nullptr) pump->PumpMessages();
}
