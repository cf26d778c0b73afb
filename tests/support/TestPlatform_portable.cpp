#include <cstdlib>
#include <filesystem>
#include <string>

#include "TestFiles.h"

namespace {

// A temporary documents folder for this process, removed when it ends.
class ScratchFolder {
 public:
  ScratchFolder() {
    char pattern[] = "/tmp/vantrel-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    path_ = made != nullptr ? made : "";
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

void UseScratchDocumentsFolder() {
  static ScratchFolder folder;
  setenv("XDG_DOCUMENTS_DIR", folder.path().c_str(), 1);
}
