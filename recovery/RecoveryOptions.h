// What one recovery run looks for: set by whoever starts the run (the options
// step, vantrel-recover) before it starts; the run itself may turn on
// includeDeleted when the live entries found too little.
#pragma once

#include "TypeOptions.h"

struct RecoveryOptions {
  bool includeDeleted = false;
  bool forceIntensive = false;     // the sector search and the orphan chains even on a sound volume
  bool suppressIntensive = false;  // never the sector search
  bool keepPartial = false;        // keep files that collide or run off the medium
  TypeOptions types;
};
