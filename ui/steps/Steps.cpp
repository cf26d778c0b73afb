#include "Steps.h"

#include "RecoveryParms.h"
#include "SelDevice.h"

std::unique_ptr<Dialog> MakeStep(int step, HWND mainWindow) {
  switch (step) {
    case 1: return std::make_unique<SelDevice>(mainWindow);
    case 2: return std::make_unique<RecoveryParms>(mainWindow);
    default: return nullptr;
  }
}
