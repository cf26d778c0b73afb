#include "RunHarness.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "StatusList.h"
#include "TestFiles.h"

namespace {

constexpr auto kHangBound = std::chrono::seconds(10);

void Collect(const File& directory, std::vector<const File*>& records) {
  for (const File* child = directory.firstChild; child != nullptr; child = child->next) {
    records.push_back(child);
    Collect(*child, records);
  }
}

}  // namespace

RunHarness::RunHarness(std::vector<uint8_t> image, TypeDB* dictionary) {
  medium = devices_.Add("card.img", std::move(image));
  media_.reset(new Media(&devices_));
  opened_ = media_->OpenImage("card.img");
  run.reset(new Recovery(*media_, dictionary));
  run->setStatusList(std::make_unique<CallbackStatusList>([this](const std::string& line) { lines.push_back(line); }));
}

bool RunHarness::Run() {
  if (!run->start()) return false;
  run->startEvent.set();
  const auto deadline = std::chrono::steady_clock::now() + kHangBound;
  while (!run->isFinished()) {
    if (std::chrono::steady_clock::now() > deadline) {
      run->end(1000);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

const File* RunHarness::Find(const std::string& path) const {
  for (const File* record : Records())
    if (record->pathText(0) == path) return record;
  return nullptr;
}

std::vector<const File*> RunHarness::Records() const {
  std::vector<const File*> records;
  Collect(run->root, records);
  return records;
}

std::vector<uint8_t> RunHarness::Data(const File& record) {
  std::vector<uint8_t> data(static_cast<std::size_t>(record.size));
  if (!record.readData(*media_, data.data(), data.size())) data.clear();
  return data;
}

bool RunHarness::Logged(const std::string& line) const {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

