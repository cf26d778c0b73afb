#include "ExfatEntrySet.h"

#include "ExfatFaultName.h"
#include "ExfatTime.h"

namespace {

using namespace exfat_entry;

constexpr uint8_t kSecondary = 0x40;  // type bit of secondary entries

uint8_t TypeAt(const SectorWindow& w, uint64_t offset, uint32_t index) {
  return w.u8(offset + uint64_t{index} * kBytes);
}

// The live form of a type, so that deleted entries compare with it.
uint8_t Live(uint8_t type) { return static_cast<uint8_t>(type | kInUse); }

uint64_t FileTimeOf(const SectorWindow& w, uint64_t entry, uint32_t stampAt, uint32_t incrementAt, uint32_t offsetAt) {
  ExfatTime time;
  time.stamp = w.le32(entry + stampAt);
  time.increment10ms = incrementAt != 0 ? w.u8(entry + incrementAt) : 0;
  time.utcOffset = w.u8(entry + offsetAt);
  uint64_t fileTime = 0;
  return time.toFileTime(fileTime) ? fileTime : 0;
}

// Every entry after the first is secondary and shares its in-use bit; the
// name entries come right after the stream.
ExfatSetFault CheckSecondaries(const SectorWindow& w, uint64_t offset, uint32_t entries, uint32_t nameEntries,
                               bool inUse) {
  for (uint32_t i = 1; i < entries; ++i) {
    const uint8_t type = TypeAt(w, offset, i);
    if (((type & kInUse) != 0) != inUse) return ExfatSetFault::kMixedState;
    if ((type & kSecondary) == 0) return ExfatSetFault::kNotSecondary;
    if (i >= 2 && i < 2 + nameEntries && Live(type) != kFileName) return ExfatSetFault::kNameEntries;
  }
  return ExfatSetFault::kNone;
}

void ReadStream(const SectorWindow& w, uint64_t stream, ExfatFileSet& set) {
  set.streamFlags = w.u8(stream + 1);
  set.nameLength = w.u8(stream + 3);
  set.nameHash = w.le16(stream + 4);
  set.validDataLength = w.le64(stream + 8);
  set.firstCluster = w.le32(stream + 20);
  set.dataLength = w.le64(stream + 24);
}

void ReadFile(const SectorWindow& w, uint64_t file, ExfatFileSet& set) {
  set.setChecksum = w.le16(file + 2);
  set.attributes = w.le16(file + 4);
  set.created = FileTimeOf(w, file, 8, 20, 22);
  set.modified = FileTimeOf(w, file, 12, 21, 23);
  set.accessed = FileTimeOf(w, file, 16, 0, 24);
}

// nameLength units, 15 from each name entry after the stream.
std::u16string ReadName(const SectorWindow& w, uint64_t offset, uint32_t nameLength) {
  std::u16string name;
  for (uint32_t unit = 0; unit < nameLength; ++unit) {
    const uint64_t entry = offset + (2 + uint64_t{unit} / ExfatFileSet::kNameUnitsPerEntry) * kBytes;
    name += static_cast<char16_t>(w.le16(entry + 2 + 2 * (unit % ExfatFileSet::kNameUnitsPerEntry)));
  }
  return name;
}

}  // namespace

const char* ExfatSetFaultName(ExfatSetFault fault) {
  static const char* const kNames[] = {
      "sound",
      "no File entry",
      "secondary count out of range",
      "set runs past its directory",
      "entries deleted and in use",
      "no Stream Extension",
      "empty name",
      "name longer than its entries",
      "primary entry inside the set",
      "set checksum wrong",
      "valid length past the data length",
  };
  return ExfatFaultName(fault, kNames);
}

uint16_t ExfatSetChecksum(const SectorWindow& window, uint64_t offset, uint32_t count, bool asLive) {
  const uint64_t bytes = uint64_t{count} * kBytes;
  uint16_t sum = 0;
  for (uint64_t i = 0; i < bytes; ++i) {
    if (i == 2 || i == 3) continue;
    uint8_t byte = window.u8(offset + i);
    if (asLive && i % kBytes == 0) byte = Live(byte);
    sum = static_cast<uint16_t>(((sum & 1) != 0 ? 0x8000 : 0) + (sum >> 1) + byte);
  }
  return sum;
}

ExfatSetFault ParseExfatFileSet(const SectorWindow& window, uint64_t offset, ExfatFileSet& set) {
  if (!window.has(offset, kBytes) || Live(window.u8(offset)) != kFile) return ExfatSetFault::kNotAFile;
  const uint32_t secondaries = window.u8(offset + 1);
  if (secondaries < ExfatFileSet::kLeastSecondaries || secondaries > ExfatFileSet::kMostSecondaries)
    return ExfatSetFault::kSecondaryCount;
  const uint32_t entries = 1 + secondaries;
  if (!window.has(offset, uint64_t{entries} * kBytes)) return ExfatSetFault::kRunsPast;

  const bool inUse = (window.u8(offset) & kInUse) != 0;
  const uint64_t stream = offset + kBytes;
  if (Live(window.u8(stream)) != kStreamExtension) return ExfatSetFault::kNoStream;
  const uint32_t nameLength = window.u8(stream + 3);
  if (nameLength == 0) return ExfatSetFault::kNameLength;
  const uint32_t nameEntries = (nameLength + ExfatFileSet::kNameUnitsPerEntry - 1) / ExfatFileSet::kNameUnitsPerEntry;
  if (nameEntries > secondaries - 1) return ExfatSetFault::kNameEntries;
  const ExfatSetFault order = CheckSecondaries(window, offset, entries, nameEntries, inUse);
  if (order != ExfatSetFault::kNone) return order;
  const uint16_t stored = window.le16(offset + 2);
  if (ExfatSetChecksum(window, offset, entries) != stored &&
      (inUse || ExfatSetChecksum(window, offset, entries, true) != stored))
    return ExfatSetFault::kChecksum;

  ExfatFileSet parsed;
  parsed.deleted = !inUse;
  parsed.entries = entries;
  ReadFile(window, offset, parsed);
  ReadStream(window, stream, parsed);
  if (parsed.validDataLength > parsed.dataLength) return ExfatSetFault::kValidLength;
  parsed.name = ReadName(window, offset, nameLength);
  set = parsed;
  return ExfatSetFault::kNone;
}

ExfatBitmapEntry ExfatBitmapEntry::FromBytes(const SectorWindow& window, uint64_t offset) {
  ExfatBitmapEntry e;
  e.flags = window.u8(offset + 1);
  e.firstCluster = window.le32(offset + 20);
  e.dataLength = window.le64(offset + 24);
  return e;
}

ExfatLabelEntry ExfatLabelEntry::FromBytes(const SectorWindow& window, uint64_t offset) {
  ExfatLabelEntry e;
  const uint32_t count = window.u8(offset + 1);
  for (uint32_t i = 0; i < count && i < kMostUnits; ++i)
    e.label += static_cast<char16_t>(window.le16(offset + 2 + 2 * i));
  return e;
}
