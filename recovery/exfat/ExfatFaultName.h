// The text of a fault from a table of texts in the order of its enum.
#pragma once

#include <cstddef>

template <typename Fault, std::size_t N>
const char* ExfatFaultName(Fault fault, const char* const (&names)[N]) {
  const auto index = static_cast<std::size_t>(fault);
  return index < N ? names[index] : "unknown";
}
