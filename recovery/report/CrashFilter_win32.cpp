#include <windows.h>

#include "Context.h"
#include "CrashFilter.h"
#include "Recovery.h"

namespace {

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* exception) {
  uint32_t code = exception->ExceptionRecord->ExceptionCode;
  Recovery* run = TheContext().CurrentRecovery;
  if (run != nullptr) run->LogById(122, CrashName(code), code);
  ExitThread(0);
}

}  // namespace

void InstallCrashFilter() { SetUnhandledExceptionFilter(CrashFilter); }
