#include "PageMemory.h"

namespace {

std::size_t WholePages(std::size_t bytes) { return (bytes + kPageSize - 1) / kPageSize * kPageSize; }

}  // namespace

PageMemory::~PageMemory() { Release(); }

bool PageMemory::Allocate(std::size_t reserveBytes, std::size_t bytes) {
  Release();
  if (bytes > reserveBytes || reserveBytes == 0) return false;
  std::size_t reserve = WholePages(reserveBytes);
  void* base = ReservePages(reserve);
  if (base == nullptr) return false;
  base_ = static_cast<uint8_t*>(base);
  reserved_ = reserve;
  if (!Grow(bytes)) {
    Release();
    return false;
  }
  return true;
}

bool PageMemory::Grow(std::size_t bytes) {
  if (base_ == nullptr || bytes > reserved_) return false;
  std::size_t wanted = WholePages(bytes == 0 ? 1 : bytes);
  if (wanted <= committed_) return true;
  if (!CommitPages(base_, wanted)) return false;
  committed_ = wanted;
  return true;
}

void PageMemory::Release() {
  if (base_ != nullptr) ReleasePages(base_, reserved_);
  base_ = nullptr;
  reserved_ = 0;
  committed_ = 0;
}
