#include "Startup.h"

#include <commctrl.h>

#include <memory>

#include "Context.h"
#include "HelpLibrary.h"
#include "LanguageChoice.h"
#include "Media.h"
#include "OwnResources.h"
#include "Recovery.h"
#include "System.h"
#include "Trace.h"
#include "TypeDB.h"
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

StartupFacts GatherFacts(int32_t languageNumber, HMODULE languageModule) {
  StartupFacts facts;
  facts.languageNumber = languageNumber;
  facts.languageTag = LanguageTagOf(languageModule);
  facts.vistaOrLater = IsVistaOrLater();
  facts.windowTitle = OwnString(IDS_WINDOW_TITLE, 99);
  facts.websiteText = OwnString(IDS_WEBSITE, 100);
  facts.executablePath = ExecutablePath();
  facts.localeGrouping = LocaleText(LOCALE_SGROUPING);
  facts.localeThousandSeparator = LocaleText(LOCALE_STHOUSAND);
  return facts;
}

// The outcome of loading the dictionary: the dictionary, or the reason why
// the program runs with its built-in types only.
struct DictionaryLoad {
  std::unique_ptr<TypeDB> dictionary;
  bool failed = false;
  std::string errorText;
};

DictionaryLoad LoadDictionary(const std::string& path) {
  DictionaryLoad load;
  load.dictionary.reset(new TypeDB);
  if (load.dictionary->Load(path)) return load;
  const char* error = load.dictionary->ErrorText();
  load.failed = true;
  load.errorText = error != nullptr ? error : "";
  // The text ends in a line feed; the trace ends its own lines.
  while (!load.errorText.empty() && (load.errorText.back() == '\n' || load.errorText.back() == '\r'))
    load.errorText.pop_back();
  load.dictionary.reset();
  return load;
}

// Creates the main window and runs the message loop until it is closed. The
// window starts a new trace, so the dictionary's failure is noted after it.
void RunMainWindow(const DictionaryLoad& dictionary) {
  std::unique_ptr<Window> window(new Window);
  if (!window->CreateMainWindow()) return;
  if (dictionary.failed) TraceMessage("Error in file dictionary: %s", dictionary.errorText);
  window->Run();
}

}  // namespace

std::string DictionaryPathFor(const std::string& executablePath) {
  return executablePath.substr(0, executablePath.rfind('\\') + 1) + "FileIdentify.dict";
}

std::string MissingLanguageModuleText(const std::string& moduleName) {
  std::string text = SystemMessageText(ERROR_FILE_NOT_FOUND);
  if (!text.empty()) text.pop_back();
  return text + " - " + moduleName;
}

int RunProgram(HINSTANCE instance) {
  Context& context = TheContext();
  context.ownInstance = instance;
  context.AppName = "Vantrel";

  // A language without a module of its own runs in English; only when no
  // module loads at all does the program end.
  const LanguageChoice language = ChooseLanguageModule(GetUserDefaultLangID(), [](const std::string& name) {
    return static_cast<void*>(LoadLibraryA(name.c_str()));
  });
  if (language.module == nullptr) {
    MessageBoxA(nullptr, MissingLanguageModuleText(language.wantedName).c_str(), context.AppName.c_str(), MB_OK);
    return 0;
  }
  HMODULE languageModule = static_cast<HMODULE>(language.module);
  context.LanguageModule = languageModule;

  InitCommonControls();
  LoadLibraryA("RICHED20.DLL");  // the dialogs' "RichEdit20A" class; runs on without it
  const StartupFacts facts = GatherFacts(language.number, languageModule);
  FillContext(context, facts);
  context.helpCookie = HelpLibrary::Initialize();

  DictionaryLoad dictionary = LoadDictionary(DictionaryPathFor(facts.executablePath));
  context.dictionary = dictionary.dictionary.get();

  RunMainWindow(dictionary);
  // The worker reads the source: it goes first.
  if (context.CurrentRecovery != nullptr && !context.CurrentRecovery->isFinished()) context.CurrentRecovery->end();
  delete context.CurrentRecovery;
  context.CurrentRecovery = nullptr;
  delete context.CurrentMedia;
  context.CurrentMedia = nullptr;

  HelpLibrary::Uninitialize(context.helpCookie);
  context.dictionary = nullptr;
  return 0;
}
