// A message pump that only counts how often the engine gave the window a
// chance to pump its messages.
#pragma once

#include "MessagePump.h"

class CountingPump : public MessagePump {
 public:
  void PumpMessages() override { ++calls; }
  int calls = 0;
};
