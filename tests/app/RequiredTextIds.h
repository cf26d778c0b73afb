// Every string id that the program takes from the language module.
#pragma once

#include <vector>

inline std::vector<unsigned> RequiredTextIds() {
  std::vector<unsigned> ids = {103, 121, 1001, 105, 106, 107, 113, 114, 108, 110, 115, 132,
                               112, 116, 117, 126, 1002, 1003, 1101, 1102, 118, 137, 119, 120, 122,
                               125, 131, 133, 150, 151, 601, 602, 603, 700, 801, 802, 803, 804};
  for (unsigned id = 501; id <= 511; ++id) ids.push_back(id);
  for (unsigned id = 900; id <= 914; ++id) ids.push_back(id);
  return ids;
}
