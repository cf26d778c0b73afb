#include "DirectoryEntry.h"

#include <cstring>

#include "SectorWindow.h"

namespace {
constexpr uint8_t kDeletedMark = 0xE5;
constexpr uint8_t kEscapedE5 = 0x05;
constexpr uint8_t kRecoveredMark = 0x40;  // what a deleted entry's name begins with
}  // namespace

DirectoryEntry DirectoryEntry::FromBytes(const uint8_t* bytes) {
  SectorWindow w(bytes, kBytes);
  DirectoryEntry e;
  std::memcpy(e.name, bytes, sizeof e.name);
  e.attributes = w.u8(11);
  e.createTenths = w.u8(13);
  e.createTime = w.le16(14);
  e.createDate = w.le16(16);
  e.accessDate = w.le16(18);
  e.firstCluster = static_cast<uint32_t>(w.le16(20)) << 16 | w.le16(26);
  e.writeTime = w.le16(22);
  e.writeDate = w.le16(24);
  e.size = w.le32(28);
  static const uint32_t kCharacters[] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
  for (uint32_t at : kCharacters) {
    const char16_t c = static_cast<char16_t>(w.le16(at));
    if (c == 0) break;
    e.longNamePart += c;
  }
  e.longNameChecksum = w.u8(13);
  return e;
}

bool DirectoryEntry::isDotEntry() const {
  return name[0] == '.' && (name[1] == ' ' || (name[1] == '.' && name[2] == ' '));
}

std::string DirectoryEntry::recordName() const {
  std::string text(reinterpret_cast<const char*>(name), sizeof name);
  if (isDeleted())
    text[0] = static_cast<char>(kRecoveredMark);
  else if (name[0] == kEscapedE5)
    text[0] = static_cast<char>(kDeletedMark);
  return text;
}

// The rotate-right-and-add sum over the 11 name bytes as stored.
uint8_t DirectoryEntry::shortNameChecksum() const {
  uint8_t sum = 0;
  for (uint8_t c : name) sum = static_cast<uint8_t>(((sum & 1) << 7) + (sum >> 1) + c);
  return sum;
}

bool DirectoryEntries::next(EntrySet& set) {
  while (index_ < count_) {
    const DirectoryEntry entry = at(index_);
    if (entry.isLabelAndDirectory()) {
      ++index_;
      continue;
    }
    if (entry.isEndOfDirectory()) return false;
    uint32_t shortIndex = index_;
    while (shortIndex < count_ && at(shortIndex).isLongName()) ++shortIndex;
    if (shortIndex == count_) return false;
    const DirectoryEntry shortEntry = shortIndex == index_ ? entry : at(shortIndex);
    if (shortEntry.isEndOfDirectory()) return false;
    set.entry = shortEntry;
    set.deleted = shortEntry.isDeleted();
    set.longName = longNameOf(index_, shortIndex, shortEntry);
    index_ = shortIndex + 1;
    return true;
  }
  return false;
}

// Each long-name entry holds the part of the name before the part of the
// entry ahead of it; the first stored is the last part, marked 0x40.
std::u16string DirectoryEntries::longNameOf(uint32_t first, uint32_t shortIndex, const DirectoryEntry& shortEntry) {
  if (first == shortIndex || longNamesGivenUp_) return std::u16string();
  const DirectoryEntry head = at(first);
  // Deleted long-name entries belong to no live entry, whatever follows them.
  if (head.isDeleted()) return std::u16string();
  if (!head.isLastLongEntry()) {
    longNamesGivenUp_ = true;
    return std::u16string();
  }
  if (shortEntry.isDeleted()) return std::u16string();
  const uint8_t checksum = shortEntry.shortNameChecksum();
  std::u16string name;
  uint32_t sequence = head.sequence();
  for (uint32_t i = first; i < shortIndex; ++i, --sequence) {
    const DirectoryEntry part = at(i);
    if (part.sequence() != sequence || sequence == 0 || part.longNameChecksum != checksum) return std::u16string();
    name = part.longNamePart + name;
  }
  return sequence == 0 ? name : std::u16string();
}
