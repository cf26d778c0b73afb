#include "CrashFilter.h"

namespace {

struct Crash {
  uint32_t code;
  const char* name;
};

const Crash kCrashes[] = {
    {0xC0000005, "Access violation"},
    {0xC000008C, "Array bounds exceeded"},
    {0x80000003, "A breakpoint was encountered."},
    {0x80000002, "Misaligned access"},
    {0xC000008D, "Denormal floating-point operand"},
    {0xC000008E, "Floating-point division by zero"},
    {0xC000008F, "Inexact result"},
    {0xC0000090, "Invalid floating-point operation"},
    {0xC0000091, "Floating-point overflow"},
    {0xC0000092, "Floating-point stack error"},
    {0xC0000093, "Floating-point underflow"},
    {0xC000001D, "Invalid instruction"},
    {0xC0000006, "Page error"},
    {0xC0000094, "Integer division by zero"},
    {0xC0000095, "Integer overflow"},
    {0xC00000FD, "Stack overflow"},
};

}  // namespace

const char* CrashName(uint32_t code) {
  for (const Crash& crash : kCrashes)
    if (crash.code == code) return crash.name;
  return "";
}
