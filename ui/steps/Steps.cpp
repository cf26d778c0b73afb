#include "Steps.h"

#include "SelDevice.h"

std::unique_ptr<Dialog> MakeStep(int step, HWND mainWindow) {
  switch (step) {
    case 1: return std::make_unique<SelDevice>(mainWindow);
    default: return nullptr;
  }
}
