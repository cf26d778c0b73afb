#include "Startup.h"

#include <commctrl.h>

#include <memory>

#include "Context.h"
#include "HelpLibrary.h"
#include "OwnResources.h"
#include "System.h"
#include "Window.h"

namespace {

std::string LanguageTagOf(HMODULE languageModule) {
  using TagFunction = const char*(__cdecl*)();
  auto tag = reinterpret_cast<TagFunction>(
      reinterpret_cast<void*>(GetProcAddress(languageModule, MAKEINTRESOURCEA(1))));
  // A module without the export still holds every text: run with no tag.
  const char* text = tag != nullptr ? tag() : nullptr;
  return text != nullptr ? text : "";
}

bool IsVistaOrLater() {
  OSVERSIONINFOEXW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  version.dwMajorVersion = 6;
  version.dwMinorVersion = 0;
  version.wServicePackMajor = 0;
  DWORDLONG condition = 0;
  condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
  condition = VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
  condition = VerSetConditionMask(condition, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
  return VerifyVersionInfoW(&version, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR, condition);
}

std::string LocaleText(LCTYPE what) {
  char text[16] = {};
  return GetLocaleInfoA(LOCALE_USER_DEFAULT, what, text, sizeof text) > 0 ? text : "";
}

std::string ExecutablePath() {
  char path[261] = {};
  GetModuleFileNameA(nullptr, path, sizeof path - 1);
  return path;
}

StartupFacts GatherFacts(uint16_t userLanguageId, HMODULE languageModule) {
  StartupFacts facts;
  facts.userLanguageId = userLanguageId;
  facts.languageTag = LanguageTagOf(languageModule);
  facts.vistaOrLater = IsVistaOrLater();
  facts.windowTitle = OwnString(IDS_WINDOW_TITLE, 99);
  facts.websiteText = OwnString(IDS_WEBSITE, 100);
  facts.executablePath = ExecutablePath();
  facts.localeGrouping = LocaleText(LOCALE_SGROUPING);
  facts.localeThousandSeparator = LocaleText(LOCALE_STHOUSAND);
  return facts;
}

// Creates the main window and runs the message loop until it is closed.
void RunMainWindow() {
  std::unique_ptr<Window> window(new Window);
  if (!window->CreateMainWindow()) return;
  window->Run();
}

}  // namespace

std::string MissingLanguageModuleText(const std::string& moduleName) {
  std::string text = SystemMessageText(ERROR_FILE_NOT_FOUND);
  if (!text.empty()) text.pop_back();
  return text + " - " + moduleName;
}

int RunProgram(HINSTANCE instance) {
  Context& context = TheContext();
  context.ownInstance = instance;
  context.AppName = "Vantrel";

  const uint16_t userLanguageId = GetUserDefaultLangID();
  const std::string moduleName = LanguageModuleName(LanguageNumberFor(userLanguageId));
  HMODULE languageModule = LoadLibraryA(moduleName.c_str());
  if (languageModule == nullptr) {
    MessageBoxA(nullptr, MissingLanguageModuleText(moduleName).c_str(), context.AppName.c_str(), MB_OK);
    return 0;
  }
  context.LanguageModule = languageModule;

  InitCommonControls();
  LoadLibraryA("RICHED20.DLL");  // the dialogs' "RichEdit20A" class; runs on without it
  FillContext(context, GatherFacts(userLanguageId, languageModule));
  context.helpCookie = HelpLibrary::Initialize();

  RunMainWindow();

  HelpLibrary::Uninitialize(context.helpCookie);
  return 0;
}
