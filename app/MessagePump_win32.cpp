#include <windows.h>

#include "Context.h"
#include "MessagePump.h"
#include "Window.h"

void PumpPendingMessages() {
  Window* window = TheContext().mainWindow;
  if (window != nullptr) window->PumpMessages();
}
