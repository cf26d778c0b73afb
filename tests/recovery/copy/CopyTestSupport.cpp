#include "CopyTestSupport.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "Context.h"
#include "System.h"
#include "TestFiles.h"

namespace {

constexpr uint32_t kImageSectors = 200;

class FaultyFile : public TargetFile {
 public:
  FaultyFile(std::unique_ptr<TargetFile> real, const FaultyFileSystem& faults)
      : real_(std::move(real)), faults_(faults) {}

  bool Write(const uint8_t* data, uint32_t bytes, uint32_t& error) override {
    if (written_ + bytes > faults_.writableBytes) {
      error = faults_.writeError;
      return false;
    }
    written_ += bytes;
    return real_->Write(data, bytes, error);
  }
  bool SetTimes(const TargetTimes& times, uint32_t& error) override {
    if (faults_.failTimes) {
      error = 5;
      return false;
    }
    return real_->SetTimes(times, error);
  }
  bool Close(uint32_t& error) override {
    bool closed = real_->Close(error);
    if (closed && faults_.failClose) {
      error = faults_.writeError;
      return false;
    }
    return closed;
  }

 private:
  std::unique_ptr<TargetFile> real_;
  const FaultyFileSystem& faults_;
  uint64_t written_ = 0;
};

}  // namespace

File* AddRecord(File& parent, const std::string& shortName, uint64_t size, const std::vector<SectorRun>& runs,
                const std::u16string& longName) {
  File* record = new File(shortName);
  record->size = size;
  for (const SectorRun& run : runs) record->addRun(run.first, run.count);
  record->setLongName(longName);
  record->isComplete = true;
  record->appendChild(parent);
  return record;
}

File* AddFolder(File& parent, const std::string& shortName, const std::u16string& longName) {
  File* folder = AddRecord(parent, shortName, 0, {}, longName);
  folder->isDirectory = true;
  return folder;
}

static bool IsHidden(const std::vector<std::u16string>& hidden, const std::u16string& path) {
  return std::find(hidden.begin(), hidden.end(), path) != hidden.end();
}

EntryKind FaultyFileSystem::Find(const std::u16string& path) {
  return IsHidden(hidden, path) ? EntryKind::kNothing : PlatformTargetFileSystem().Find(path);
}

bool FaultyFileSystem::MakeFolder(const std::u16string& path, uint32_t& error) {
  return PlatformTargetFileSystem().MakeFolder(path, error);
}

bool FaultyFileSystem::Delete(const std::u16string& path, uint32_t& error) {
  deleted.push_back(path);
  return PlatformTargetFileSystem().Delete(path, error);
}

bool FaultyFileSystem::SetFolderTimes(const std::u16string& path, const TargetTimes& times, uint32_t& error) {
  if (failTimes) {
    error = 5;
    return false;
  }
  return PlatformTargetFileSystem().SetFolderTimes(path, times, error);
}

std::unique_ptr<TargetFile> FaultyFileSystem::Create(const std::u16string& path, uint32_t& error) {
  if (IsHidden(hidden, path)) {
    error = 80;
    return nullptr;
  }
  std::unique_ptr<TargetFile> real = PlatformTargetFileSystem().Create(path, error);
  if (!real) return nullptr;
  return std::make_unique<FaultyFile>(std::move(real), *this);
}

void CopyTest::SetUp() {
  UseScratchDocumentsFolder();
  image.resize(kImageSectors * kSector);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + i / kSector);
  medium = devices.Add("card.img", image);
  media.reset(new Media(&devices));
  ASSERT_TRUE(media->OpenImage("card.img"));
  TheContext().messagePump = &pump;

  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  scratch_ = std::filesystem::path(GetSpecialFolder(kFolderPersonal)) / "copy-tests" / test->name();
  std::error_code ignored;
  std::filesystem::remove_all(scratch_, ignored);
  ASSERT_TRUE(std::filesystem::create_directories(scratch_));
  destination_ = scratch_ / "dest";
  std::filesystem::create_directory(destination_);
}

void CopyTest::TearDown() {
  TheContext().messagePump = nullptr;
  std::error_code ignored;
  std::filesystem::remove_all(scratch_, ignored);
}

std::string CopyTest::Expected(const std::vector<SectorRun>& runs, uint64_t size) const {
  std::string bytes;
  for (const SectorRun& run : runs)
    bytes.append(reinterpret_cast<const char*>(&image[run.first * kSector]), run.count * kSector);
  return bytes.substr(0, size);
}

std::filesystem::path CopyTest::Below(const std::u16string& relative) const { return destination_ / relative; }

std::string ReadPath(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WritePath(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}
