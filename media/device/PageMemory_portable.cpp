#include <sys/mman.h>

#include "PageMemory.h"

void* ReservePages(std::size_t bytes) {
  void* base = mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  return base == MAP_FAILED ? nullptr : base;
}

// Fresh anonymous pages read as zeros; pages already committed keep their bytes.
bool CommitPages(void* base, std::size_t bytes) { return mprotect(base, bytes, PROT_READ | PROT_WRITE) == 0; }

void ReleasePages(void* base, std::size_t bytes) { munmap(base, bytes); }
