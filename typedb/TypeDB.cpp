#include "TypeDB.h"

#include <cstring>
#include <vector>

#include "ContentChecks.h"
#include "DictionaryFile.h"
#include "LineParser.h"
#include "Scrambling.h"

namespace {

bool EqualsIgnoringCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a - 'A' + 'a') : *a;
    char y = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b - 'A' + 'a') : *b;
    if (x != y) return false;
  }
  return *a == *b;
}

void FreeChain(TypeEntry* entry) {
  while (entry != nullptr) {
    TypeEntry* next = entry->nextElement;
    delete entry;
    entry = next;
  }
}

}  // namespace

TypeDB::TypeDB() = default;

TypeDB::~TypeDB() {
  for (TypeEntry* entry = firstEntry_; entry != nullptr;) {
    TypeEntry* next = entry->nextEntry;
    FreeChain(entry->nextElement);
    delete entry;
    entry = next;
  }
  delete[] buckets_;
  delete[] bucketTails_;
}

// The entries that a failed Load added stay, so the indexes are rebuilt either way.
bool TypeDB::Load(const std::string& path) {
  const bool loaded = ReadLines(path);
  if (buckets_ != nullptr) BuildIndexes();
  return loaded;
}

bool TypeDB::ReadLines(const std::string& path) {
  std::vector<uint8_t> content;
  if (!ReadDictionaryFile(path, content)) {
    SetError("Error opening file information database - " + path + "\n");
    return false;
  }
  std::size_t end = UnscrambleDictionary(content, content.size());
  if (buckets_ == nullptr) {
    buckets_ = new TypeEntry*[kBucketCount]();
    bucketTails_ = new TypeEntry*[kBucketCount]();
  }
  unsigned number = 0;
  for (std::size_t start = 0; start < end;) {
    const char* text = reinterpret_cast<const char*>(content.data() + start);
    const void* lineFeed = std::memchr(text, '\n', end - start);
    std::size_t length =
        lineFeed != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lineFeed) - text) : end - start;
    start += length + 1;
    ++number;
    if (length > 0 && text[length - 1] == '\r') --length;
    if (!ReadLine(text, length)) {
      std::size_t shown = length < kMaxLineChars ? length : kMaxLineChars;
      SetError("Invalid file information database line " + std::to_string(number) + " : " +
               std::string(text, shown) + "\n");
      return false;
    }
  }
  return true;
}

bool TypeDB::ReadLine(const char* text, std::size_t length) {
  ParsedLine line = ParseDictionaryLine(text, length);
  switch (line.kind) {
    case LineKind::kIgnored:
      return true;
    case LineKind::kVersion:
      versionText_ = line.version;
      return true;
    case LineKind::kExtensionOnly: {
      const TypeEntry* added = Add(line.entry);
      if (std::strcmp(added->extension, ".txt") == 0) textType_ = added;
      return true;
    }
    case LineKind::kSignature:
      // A "+" line must continue a signature whose last line ended with "-" or
      // was indirect.
      if (line.continuation && !LastElementContinues()) return false;
      Add(line.entry);
      return true;
    case LineKind::kInvalid:
      break;
  }
  return false;
}

bool TypeDB::LastElementContinues() const { return lastElement_ != nullptr && lastElement_->continued; }

TypeEntry* TypeDB::Add(const TypeEntry& scratch) {
  TypeEntry* entry = new TypeEntry(scratch);
  if (LastElementContinues()) {
    lastElement_->nextElement = entry;
    lastElement_ = entry;
    return entry;
  }
  if (lastEntry_ == nullptr) {
    firstEntry_ = entry;
  } else {
    lastEntry_->nextEntry = entry;
  }
  lastEntry_ = entry;
  lastElement_ = entry;
  if (entry->offset != kNoOffset) AddToBucket(entry);
  return entry;
}

void TypeDB::AddToBucket(TypeEntry* entry) {
  int bucket = entry->offset != 0 ? kOtherOffsetBucket : entry->pattern[0];
  if (bucketTails_[bucket] == nullptr) {
    buckets_[bucket] = entry;
  } else {
    bucketTails_[bucket]->nextInBucket = entry;
  }
  bucketTails_[bucket] = entry;
}

const char* TypeDB::ErrorText() const { return errorText_ ? errorText_->c_str() : nullptr; }

void TypeDB::SetError(const std::string& text) { errorText_ = std::make_unique<std::string>(text); }

void TypeDB::BuildIndexes() {
  if (!indexes_) indexes_ = std::make_unique<SignatureIndex[]>(kBucketCount);
  for (int bucket = 0; bucket < kBucketCount; ++bucket)
    indexes_[bucket].Build(buckets_[bucket], bucket != kOtherOffsetBucket);
}

bool TypeDB::IdentifyType(const uint8_t* data, int32_t length) {
  currentMatch_ = nullptr;
  if (indexes_) {
    // Without a first byte there is no first-byte bucket to look in.
    if (length > 0 && !indexes_[data[0]].empty()) currentMatch_ = indexes_[data[0]].FirstMatch(data, length);
    if (currentMatch_ == nullptr) currentMatch_ = indexes_[kOtherOffsetBucket].FirstMatch(data, length);
  }
  if (currentMatch_ == nullptr && LooksLikeText(data, length)) currentMatch_ = textType_;
  return currentMatch_ != nullptr;
}

const char* TypeDB::MatchExtension() const { return currentMatch_ != nullptr ? currentMatch_->extension : ""; }

bool TypeDB::MatchIsDistinct() const {
  return currentMatch_ != nullptr && currentMatch_ != textType_ &&
         !EqualsIgnoringCase(currentMatch_->extension, ".csv") && !EqualsIgnoringCase(currentMatch_->extension, ".mpg");
}

bool TypeDB::MatchIsPicture() const { return currentMatch_ != nullptr && currentMatch_->description[0] == '+'; }
