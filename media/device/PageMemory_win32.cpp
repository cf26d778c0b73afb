#include <windows.h>

#include "PageMemory.h"

void* ReservePages(std::size_t bytes) { return VirtualAlloc(nullptr, bytes, MEM_RESERVE, PAGE_NOACCESS); }

// Committing pages that are already committed keeps their bytes.
bool CommitPages(void* base, std::size_t bytes) {
  return VirtualAlloc(base, bytes, MEM_COMMIT, PAGE_READWRITE) != nullptr;
}

void ReleasePages(void* base, std::size_t) { VirtualFree(base, 0, MEM_RELEASE); }
