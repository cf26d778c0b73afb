#include "Steps.h"

#include "RecoveryParms.h"
#include "RecoveryStatus.h"
#include "SelDevice.h"

std::unique_ptr<Dialog> MakeStep(int step, HWND mainWindow) {
  switch (step) {
    case 1: return std::make_unique<SelDevice>(mainWindow);
    case 2: return std::make_unique<RecoveryParms>(mainWindow);
    case 3: return std::make_unique<RecoveryStatus>(mainWindow);
    default: return nullptr;
  }
}
