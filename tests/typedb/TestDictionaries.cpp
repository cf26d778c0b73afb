#include "TestDictionaries.h"

#include <gtest/gtest.h>

#include <cstring>

#include "Scrambling.h"
#include "TestFiles.h"

std::string ScratchDictionaryPath() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = test != nullptr ? std::string(test->test_suite_name()) + "." + test->name() : "typedb";
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return ::testing::TempDir() + "vantrel-" + name + ".dict";
}

bool LoadDictionaryText(TypeDB& dictionary, const std::string& text) {
  std::string scrambled;
  EXPECT_TRUE(ScrambleDictionary(text, scrambled));
  std::string path = ScratchDictionaryPath();
  WriteWholeFile(path, scrambled);
  bool loaded = dictionary.Load(path);
  RemoveFile(path);
  return loaded;
}

std::vector<uint8_t> Bytes(const char* text, std::size_t length) {
  return std::vector<uint8_t>(text, text + length);
}

std::vector<uint8_t> Bytes(const std::string& text) { return Bytes(text.data(), text.size()); }

std::vector<uint8_t> Block(std::size_t size, const std::vector<std::pair<std::size_t, std::string>>& parts) {
  std::vector<uint8_t> block(size, 0);
  for (const auto& part : parts) {
    if (part.first + part.second.size() > size) {
      ADD_FAILURE() << "part at " << part.first << " does not fit the block";
      continue;
    }
    std::memcpy(block.data() + part.first, part.second.data(), part.second.size());
  }
  return block;
}

bool Identify(TypeDB& dictionary, const std::vector<uint8_t>& data) {
  // A copy of exactly this size: the sanitizers see any read past its end.
  std::vector<uint8_t> exact(data);
  return dictionary.IdentifyType(exact.empty() ? nullptr : exact.data(), static_cast<int32_t>(exact.size()));
}
