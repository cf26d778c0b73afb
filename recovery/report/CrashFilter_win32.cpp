#include <windows.h>

#include "Context.h"
#include "CrashFilter.h"
#include "Recovery.h"
#include "TextIds.h"

namespace {

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* exception) {
  uint32_t code = exception->ExceptionRecord->ExceptionCode;
  Recovery* run = TheContext().CurrentRecovery;
  if (run != nullptr) run->LogById(kTextInternalError, CrashName(code), code);
  ExitThread(0);
}

}  // namespace

void InstallCrashFilter() { SetUnhandledExceptionFilter(CrashFilter); }
