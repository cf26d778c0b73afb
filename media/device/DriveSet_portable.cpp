// No drive letters natively: every letter is of unknown type, so the
// enumeration probes none, and there are no device names to list.
#include "DriveSet.h"

namespace {

class NoDriveSet : public DriveSet {
 public:
  uint32_t DriveType(char) override { return kDriveUnknown; }
  bool VolumeInformation(char, std::string&, std::string&) override { return false; }
  bool DriveTargets(char, std::vector<std::string>&) override { return false; }
  bool DiskNumbersOfVolume(char, std::vector<uint32_t>&) override { return false; }
  bool DeviceNames(std::vector<std::string>& names) override {
    names.clear();
    return true;
  }
};

}  // namespace

DriveSet& PlatformDriveSet() {
  static NoDriveSet drives;
  return drives;
}
