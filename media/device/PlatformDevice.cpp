#include "PlatformDevice.h"

#include "ReadAheadDevice.h"

DeviceOpener& DefaultDeviceOpener() {
  static ReadAheadOpener opener(PlatformDeviceOpener());
  return opener;
}
