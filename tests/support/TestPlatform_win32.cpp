#include <windows.h>

#include <gtest/gtest.h>

#include "Context.h"
#include "TestFiles.h"

void UseScratchDocumentsFolder() {}

namespace {

// Every Windows suite runs beside 1033.DLL and reads its texts from it, as the
// program does after start-up.
class LanguageModuleEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { TheContext().LanguageModule = LoadLibraryA("1033.DLL"); }
  void TearDown() override {
    if (TheContext().LanguageModule != nullptr) FreeLibrary(static_cast<HMODULE>(TheContext().LanguageModule));
    TheContext().LanguageModule = nullptr;
  }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new LanguageModuleEnvironment);

}  // namespace
