#include "Steps.h"

#include "Context.h"
#include "CopyFiles.h"
#include "RecoveryParms.h"
#include "Recovery.h"
#include "RecoveryStatus.h"
#include "SelDevice.h"
#include "Trace.h"

std::unique_ptr<Dialog> MakeStep(int step, HWND mainWindow) {
  switch (step) {
    case 1: return std::make_unique<SelDevice>(mainWindow);
    case 2: return std::make_unique<RecoveryParms>(mainWindow);
    case 3: return std::make_unique<RecoveryStatus>(mainWindow);
    case 4: return std::make_unique<CopyFiles>(mainWindow);
    default: return nullptr;
  }
}

void DiscardCurrentRecovery() {
  Context& context = TheContext();
  if (context.CurrentRecovery == nullptr) return;
  if (!context.CurrentRecovery->isFinished() && !context.CurrentRecovery->end())
    TraceMessage("The recovery worker did not stop by itself and was ended");
  delete context.CurrentRecovery;
  context.CurrentRecovery = nullptr;
}
