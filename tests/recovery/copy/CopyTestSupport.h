// What the copy suites share: a medium in memory whose every byte tells where
// it stands, found-file records made by hand over it, a scratch destination
// and a file system that fails on request.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "CopyTarget.h"
#include "CountingPump.h"
#include "File.h"
#include "Media.h"
#include "MemoryDevice.h"

constexpr uint32_t kSector = 512;

// A record below parent; a name of up to 11 characters is its 8.3 name
// (8 name characters, 3 extension characters, no dot).
File* AddRecord(File& parent, const std::string& shortName, uint64_t size, const std::vector<SectorRun>& runs,
                const std::u16string& longName = std::u16string());
File* AddFolder(File& parent, const std::string& shortName, const std::u16string& longName = std::u16string());

// The platform's file system, with writes that fail once a number of bytes
// is written, a close or a setting of times that fails on request, and
// names that a search does not find but a creation refuses (as a dangling
// link is). It notes what was deleted.
class FaultyFileSystem : public TargetFileSystem {
 public:
  EntryKind Find(const std::u16string& path) override;
  bool MakeFolder(const std::u16string& path, uint32_t& error) override;
  bool Delete(const std::u16string& path, uint32_t& error) override;
  std::unique_ptr<TargetFile> Create(const std::u16string& path, uint32_t& error) override;
  bool SetFolderTimes(const std::u16string& path, const TargetTimes& times, uint32_t& error) override;

  uint64_t writableBytes = UINT64_MAX;  // per file
  uint32_t writeError = 112;
  bool failClose = false;
  bool failTimes = false;
  std::vector<std::u16string> hidden;  // found by no search, refused by creation with 80
  std::vector<std::u16string> deleted;
};

class CopyTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The bytes the medium holds in the runs, cut to size.
  std::string Expected(const std::vector<SectorRun>& runs, uint64_t size) const;
  // The destination in the platform's texts, and a path below it.
  std::string Destination() const { return destination_.string(); }
  std::filesystem::path Below(const std::u16string& relative) const;

  std::vector<uint8_t> image;
  MemoryDeviceOpener devices;
  std::shared_ptr<MemoryMedium> medium;
  std::unique_ptr<Media> media;
  File root;
  CountingPump pump;
  std::filesystem::path scratch_;      // holds the destination and nothing else
  std::filesystem::path destination_;  // scratch_/dest
};

std::string ReadPath(const std::filesystem::path& path);
void WritePath(const std::filesystem::path& path, const std::string& bytes);
