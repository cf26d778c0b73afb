// The file-type dictionary: the signatures of "FileIdentify.dict", loaded
// once, asked many times which type a block of bytes begins.
//
// Failures are return values: Load returns false and leaves its message in
// ErrorText. IdentifyType never fails; it reads only the bytes it is given.
//
// Each line of the file is one TypeEntry. A signature is a chain of entries
// (its first line, then its "+" lines); its first entry is indexed in one of
// 257 buckets: 0 to 255 for offset 0 by the first pattern byte, 256 for every
// other offset. Signatures at offset 0 are tried first; within a bucket the
// earlier line wins. Each bucket is searched through its SignatureIndex,
// rebuilt after every Load.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "SignatureIndex.h"
#include "TypeEntry.h"

class TypeDB {
 public:
  TypeDB();
  virtual ~TypeDB();
  TypeDB(const TypeDB&) = delete;
  TypeDB& operator=(const TypeDB&) = delete;

  // Reads and unscrambles the file, then its lines until the first invalid
  // one. Entries added before an invalid line stay in the object.
  bool Load(const std::string& path);

  // The message of the last failed Load, ending in a line feed; null before any.
  const char* ErrorText() const;

  // The label of the file's version comment; empty when it has none.
  const std::string& VersionText() const { return versionText_; }

  // Sets the current match: the first signature that matches, else the text
  // type for printable (or empty) data, else none.
  bool IdentifyType(const uint8_t* data, int32_t length);

  // The current match's extension with its ".", or "" without a match.
  const char* MatchExtension() const;

  // A match that is not the text type, ".csv" or ".mpg": one that starts a file
  // even while another file of its type is being extended.
  bool MatchIsDistinct() const;

  // A match whose description begins with "+".
  bool MatchIsPicture() const;

 private:
  static constexpr int kBucketCount = 257;
  static constexpr int kOtherOffsetBucket = 256;

  bool ReadLines(const std::string& path);
  bool ReadLine(const char* text, std::size_t length);
  bool LastElementContinues() const;
  TypeEntry* Add(const TypeEntry& scratch);
  void AddToBucket(TypeEntry* entry);
  void BuildIndexes();
  void SetError(const std::string& text);

  TypeEntry* firstEntry_ = nullptr;
  TypeEntry* lastEntry_ = nullptr;
  TypeEntry** buckets_ = nullptr;
  const TypeEntry* currentMatch_ = nullptr;
  const TypeEntry* textType_ = nullptr;
  std::unique_ptr<std::string> errorText_;
  std::string versionText_;
  // Where the next entries go, so that loading stays linear in the file.
  TypeEntry* lastElement_ = nullptr;  // the end of the last top-level entry's chain
  TypeEntry** bucketTails_ = nullptr;
  std::unique_ptr<SignatureIndex[]> indexes_;  // one per bucket, once a Load began
};
