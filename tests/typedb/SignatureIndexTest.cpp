// The indexed search of a bucket against the plain one (every signature in
// order through MatchChain): the same chain wins for random blocks, blocks
// with signatures planted in them and blocks cut short, for lines whose keys
// are masked, wildcards, stepped, indirect or impossible, and for the shipped
// dictionary's buckets.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ChainMatch.h"
#include "DictionaryFile.h"
#include "LineParser.h"
#include "Scrambling.h"
#include "SignatureIndex.h"

namespace {

constexpr int kOtherOffsetBucket = 256;

// The signatures of a dictionary text, chained as TypeDB chains them.
class Signatures {
 public:
  explicit Signatures(const std::string& text) {
    TypeEntry* last = nullptr;
    for (std::size_t start = 0; start < text.size();) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      ParsedLine line = ParseDictionaryLine(text.data() + start, end - start);
      start = end + 1;
      if (line.kind != LineKind::kSignature) continue;
      owned_.push_back(std::make_unique<TypeEntry>(line.entry));
      TypeEntry* entry = owned_.back().get();
      if (line.continuation && last != nullptr && last->continued) {
        last->nextElement = entry;
      } else {
        heads_.push_back(entry);
      }
      last = entry;
    }
  }

  // The signatures of one bucket, linked through nextInBucket; bucket -1
  // takes them all.
  const TypeEntry* Bucket(int bucket) {
    TypeEntry* first = nullptr;
    TypeEntry* tail = nullptr;
    for (TypeEntry* head : heads_) {
      head->nextInBucket = nullptr;
      int own = head->offset != 0 ? kOtherOffsetBucket : head->pattern[0];
      if (bucket >= 0 && own != bucket) continue;
      (tail == nullptr ? first : tail->nextInBucket) = head;
      tail = head;
    }
    return first;
  }

  const std::vector<TypeEntry*>& heads() const { return heads_; }

 private:
  std::vector<std::unique_ptr<TypeEntry>> owned_;
  std::vector<TypeEntry*> heads_;
};

const TypeEntry* PlainFirstMatch(const TypeEntry* first, const std::vector<uint8_t>& data) {
  for (const TypeEntry* entry = first; entry != nullptr; entry = entry->nextInBucket)
    if (const TypeEntry* last = MatchChain(entry, data.data(), static_cast<int32_t>(data.size()))) return last;
  return nullptr;
}

std::vector<const TypeEntry*> Listed(const TypeEntry* first) {
  std::vector<const TypeEntry*> heads;
  for (const TypeEntry* entry = first; entry != nullptr; entry = entry->nextInBucket) heads.push_back(entry);
  return heads;
}

// Random bytes with, now and then, the elements of a signature written at
// their offsets (masked bits left random) and a first byte that picks the bucket.
class Blocks {
 public:
  explicit Blocks(uint32_t seed) : random_(seed) {}

  std::vector<uint8_t> Next(const std::vector<const TypeEntry*>& heads, int firstByte) {
    std::vector<uint8_t> block(random_() % 1100);
    const bool zero = random_() % 8 == 0;
    for (uint8_t& byte : block) byte = zero ? 0 : static_cast<uint8_t>(random_());
    if (!heads.empty() && random_() % 4 != 0) Plant(*heads[random_() % heads.size()], block);
    if (firstByte >= 0 && !block.empty()) block[0] = static_cast<uint8_t>(firstByte);
    return block;
  }

 private:
  void Plant(const TypeEntry& head, std::vector<uint8_t>& block) {
    for (const TypeEntry* element = &head; element != nullptr; element = element->nextElement) {
      if (element->indirect || element->offset < 0) continue;
      std::size_t at = static_cast<std::size_t>(element->offset) + (element->step != 0 ? element->step * (random_() % 4) : 0);
      for (int i = 0; i < element->width && at + i < block.size(); ++i) {
        uint8_t mask = element->masked ? element->pattern[kMaskStart + i] : 0xFF;
        block[at + i] = static_cast<uint8_t>((element->pattern[i] & mask) | (random_() & ~mask));
      }
    }
  }

  std::mt19937 random_;
};

// Every bucket of the dictionary, indexed as TypeDB indexes it, over blocks
// made for it; returns how many blocks matched at all.
int ExpectSameAnswers(Signatures& signatures, int blocksPerBucket) {
  Blocks blocks(20241209);
  int matched = 0;
  for (int bucket = 0; bucket <= kOtherOffsetBucket; ++bucket) {
    const TypeEntry* first = signatures.Bucket(bucket);
    SignatureIndex index;
    index.Build(first, bucket != kOtherOffsetBucket);
    for (int n = 0; n < blocksPerBucket; ++n) {
      std::vector<uint8_t> block = blocks.Next(Listed(first), bucket != kOtherOffsetBucket ? bucket : -1);
      const TypeEntry* plain = PlainFirstMatch(first, block);
      EXPECT_EQ(index.FirstMatch(block.data(), static_cast<int32_t>(block.size())), plain)
          << "bucket " << bucket << ", block " << n << " of " << block.size() << " bytes";
      matched += plain != nullptr;
    }
  }
  return matched;
}

const char kCrafted[] =
    "0 \"AB\" .ab\n"
    "0 0x4142&0xFFF0 .nibble\n"         // sixteen values pass the second byte
    "0 0x4101&0xFF00 .never\n"          // bits outside the mask: no value passes
    "0/3 \"AQ\" .stepped\n"
    "0 \"A\" -\n+4 \"Z\" .chained\n"
    "!0 \"AC\" .off\n"
    "0 0x4100&0xFF00 .wild\n"           // its second byte passes any value
    "0 0x41&0x00 .any\n"                // no byte is looked at
    "2 0x4040&0xF0F0 .nib2\n"           // both bytes masked alike
    "3 \"\\0\\0\\0\" .zeros\n"
    "2 \"ftypheic\" .heic\n2 \"ftypmif1\" .mif\n2 \"ftyp\" .ftyp\n"
    "7 0x00000000&0x00FF0000 .masked4\n"
    "9/2 \"KEY\" .search\n"
    "4 >>+8 base\n+0 \"AT\" .ind\n"
    "1000 \"FAR\" .far\n"
    "1023 \"E\" .last\n"
    "5 \"\\x12\\x34\" .twice\n5 \"\\x12\\x34\" .shadow\n";

TEST(SignatureIndex, CraftedLinesGiveThePlainAnswer) {
  Signatures signatures(kCrafted);
  ASSERT_EQ(signatures.heads().size(), 20u);
  EXPECT_GT(ExpectSameAnswers(signatures, 400), 300);

  // All of them in one list, in both kinds of bucket.
  const TypeEntry* all = signatures.Bucket(-1);
  for (bool firstByteKnown : {false, true}) {
    SignatureIndex index;
    index.Build(all, firstByteKnown);
    Blocks blocks(7);
    for (int n = 0; n < 5000; ++n) {
      std::vector<uint8_t> block = blocks.Next(Listed(all), firstByteKnown ? 'A' : -1);
      EXPECT_EQ(index.FirstMatch(block.data(), static_cast<int32_t>(block.size())), PlainFirstMatch(all, block))
          << "block " << n;
    }
  }
}

TEST(SignatureIndex, ShortAndEmptyBlocks) {
  Signatures signatures(kCrafted);
  const TypeEntry* all = signatures.Bucket(-1);
  SignatureIndex index;
  index.Build(all, false);
  EXPECT_EQ(index.FirstMatch(nullptr, 0), PlainFirstMatch(all, {}));
  const std::vector<uint8_t> full = {'A', 'B', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  for (std::size_t length = 1; length <= full.size(); ++length) {
    std::vector<uint8_t> block(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
    EXPECT_EQ(index.FirstMatch(block.data(), static_cast<int32_t>(length)), PlainFirstMatch(all, block)) << length;
  }
}

TEST(SignatureIndex, EmptyBucketMatchesNothing) {
  SignatureIndex index;
  index.Build(nullptr, false);
  const uint8_t data[4] = {1, 2, 3, 4};
  EXPECT_EQ(index.FirstMatch(data, 4), nullptr);
}

TEST(SignatureIndex, ShippedDictionaryGivesThePlainAnswer) {
  std::vector<uint8_t> content;
  ASSERT_TRUE(ReadDictionaryFile("FileIdentify.dict", content));
  std::size_t length = UnscrambleDictionary(content, content.size());
  Signatures signatures(std::string(content.begin(), content.begin() + static_cast<std::ptrdiff_t>(length)));
  ASSERT_GE(signatures.heads().size(), 100u);
  EXPECT_GT(ExpectSameAnswers(signatures, 300), 300);
}

}  // namespace
