#include "OwnResources.h"

#include <vector>

#include "Context.h"

HINSTANCE OwnInstance() {
  void* own = TheContext().ownInstance;
  return own != nullptr ? static_cast<HINSTANCE>(own) : GetModuleHandleA(nullptr);
}

std::string OwnString(unsigned id, int maxChars) {
  std::vector<char> buffer(static_cast<std::size_t>(maxChars) + 1, '\0');
  int length = LoadStringA(OwnInstance(), id, buffer.data(), maxChars + 1);
  return std::string(buffer.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
}
