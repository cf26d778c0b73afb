// Page-aligned, zero-filled memory that grows in place: its address range is
// reserved once and pages are committed as it grows, so the memory never
// moves while it lives. Raw device reads need the alignment; Media's users
// keep pointers into its buffer across reads.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::size_t kPageSize = 4096;

class PageMemory {
 public:
  PageMemory() = default;
  ~PageMemory();
  PageMemory(const PageMemory&) = delete;
  PageMemory& operator=(const PageMemory&) = delete;

  // Reserves reserveBytes and commits the first bytes (both rounded up to
  // whole pages); releases what was held before. False when the platform
  // refuses or bytes exceeds reserveBytes.
  bool Allocate(std::size_t reserveBytes, std::size_t bytes);
  // Commits up to bytes; false beyond the reservation. Never shrinks.
  bool Grow(std::size_t bytes);
  void Release();

  uint8_t* data() const { return base_; }
  std::size_t size() const { return committed_; }
  std::size_t reserved() const { return reserved_; }

 private:
  uint8_t* base_ = nullptr;
  std::size_t reserved_ = 0;
  std::size_t committed_ = 0;
};

// The platform's part (PageMemory_win32.cpp, PageMemory_portable.cpp).
void* ReservePages(std::size_t bytes);
bool CommitPages(void* base, std::size_t bytes);
void ReleasePages(void* base, std::size_t bytes);
