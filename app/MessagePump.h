// Keeps the windows alive during long work on the user-interface thread. The
// main window is the pump (TheContext().messagePump); where there is none, as
// natively, PumpPendingMessages does nothing.
#pragma once

class MessagePump {
 public:
  virtual ~MessagePump() = default;
  // Handles every message waiting in the queue, then returns.
  virtual void PumpMessages() = 0;
};

void PumpPendingMessages();
