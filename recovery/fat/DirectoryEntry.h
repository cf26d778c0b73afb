// The entries of a FAT directory, decoded once. A directory is a row of
// 32-byte entries; a file is an entry set: the long-name entries in front of
// its short entry, and that entry. Whether a set is deleted is decided once,
// by its short entry: DOS deletes a file by marking only the short entry
// (0xE5), Windows marks the long-name entries too.
#pragma once

#include <cstdint>
#include <string>

// One 32-byte entry, short or long-name form; offsets beside each field.
struct DirectoryEntry {
  static constexpr uint32_t kBytes = 32;

  static DirectoryEntry FromBytes(const uint8_t* bytes);  // kBytes bytes

  uint8_t name[11] = {};      // 0, as stored
  uint8_t attributes = 0;     // 11
  uint8_t createTenths = 0;   // 13
  uint16_t createTime = 0;    // 14
  uint16_t createDate = 0;    // 16
  uint16_t accessDate = 0;    // 18
  uint32_t firstCluster = 0;  // 20 (high half) and 26 (low half)
  uint16_t writeTime = 0;     // 22
  uint16_t writeDate = 0;     // 24
  uint32_t size = 0;          // 28
  // The long-name form: 13 UTF-16 characters at 1, 14 and 28, up to a 0;
  // the short name's checksum at 13.
  std::u16string longNamePart;
  uint8_t longNameChecksum = 0;

  bool isEndOfDirectory() const { return name[0] == 0x00; }
  bool isDeleted() const { return name[0] == 0xE5; }
  bool isLongName() const { return (attributes & 0x3F) == 0x0F; }
  bool isVolumeLabel() const { return (attributes & 0x08) != 0; }
  bool isDirectory() const { return (attributes & 0x10) != 0; }
  // Both marks at once: no entry a file system writes.
  bool isLabelAndDirectory() const { return isVolumeLabel() && isDirectory(); }
  // Erased flash: the attributes and the first name bytes all FF.
  bool isErased() const { return attributes == 0xFF && name[0] == 0xFF && name[1] == 0xFF; }
  bool isDotEntry() const;
  // Not a label, and no cluster, creation date or size: an unused slot.
  bool isBlank() const { return !isVolumeLabel() && firstCluster == 0 && createDate == 0 && size == 0; }

  // The long-name form: the sequence number, and whether it is the last
  // (first stored) entry of its name.
  uint8_t sequence() const { return name[0] & 0x3F; }
  bool isLastLongEntry() const { return (name[0] & 0x40) != 0; }

  // The 11 name bytes as the records keep them: an escaped E5 (stored 05)
  // restored, and a deleted entry's lost first character as "@" (0x40).
  std::string recordName() const;
  // The checksum that the long-name entries of this short entry carry.
  uint8_t shortNameChecksum() const;
};

// A short entry with the long name that belongs to it.
struct EntrySet {
  DirectoryEntry entry;
  // Only for a live set whose long-name entries are live, in sequence and
  // carry the entry's checksum: a deleted entry keeps no long name.
  std::u16string longName;
  bool deleted = false;
};

// The entry sets of one directory, in order.
class DirectoryEntries {
 public:
  // count entries of kBytes bytes from data.
  DirectoryEntries(const uint8_t* data, uint32_t count) : data_(data), count_(count) {}

  // The next entry set; false at the end of the directory (a first byte 00)
  // or of its data. A directory whose long names once break out of sequence
  // keeps only short names from there on.
  bool next(EntrySet& set);

 private:
  DirectoryEntry at(uint32_t index) const { return DirectoryEntry::FromBytes(data_ + index * DirectoryEntry::kBytes); }
  // The long name of the entries first .. shortIndex - 1, checked against
  // the short entry; empty when none belongs to it.
  std::u16string longNameOf(uint32_t first, uint32_t shortIndex, const DirectoryEntry& shortEntry);

  const uint8_t* data_;
  uint32_t count_;
  uint32_t index_ = 0;
  bool longNamesGivenUp_ = false;
};
