#include "Context.h"

#include <cstdlib>

#include "Format.h"
#include "LanguageChoice.h"

Context& TheContext() {
  static Context context;
  return context;
}

int32_t LanguageNumberFor(uint16_t userLanguageId) { return (userLanguageId & 0x3FF) | 0x400; }

std::string LanguageModuleName(int32_t languageNumber) { return Format("%d.DLL", languageNumber); }

std::string HelpFileFor(const std::string& executablePath, int32_t languageNumber) {
  std::size_t dot = executablePath.rfind('.');
  if (dot == std::string::npos) return executablePath;
  return executablePath.substr(0, dot) + Format("-%d.chm", languageNumber);
}

NumberFormatRecord NumberFormatFor(const std::string& grouping, const std::string& thousandSeparator) {
  NumberFormatRecord format;
  format.grouping = static_cast<uint32_t>(std::strtoul(grouping.c_str(), nullptr, 10));
  format.thousandSeparator = thousandSeparator;
  return format;
}

void FillContext(Context& context, const StartupFacts& facts) {
  context.AppName = "Vantrel";
  context.languageNumber = facts.languageNumber;
  context.WindowTitle = facts.windowTitle;
  context.WebsiteText = facts.websiteText;
  context.LanguageTag = facts.languageTag;
  // A language that ships a module but no help file of its own still has help.
  const int32_t helpLanguage = facts.languageHelpMissing ? kFallbackLanguageNumber : context.languageNumber;
  context.HelpFile = HelpFileFor(facts.executablePath, helpLanguage);
  context.HelpContextFile = context.HelpFile.str() + "::/context.txt";
  context.vistaOrLater = facts.vistaOrLater;
  context.NumberFormat = NumberFormatFor(facts.localeGrouping, facts.localeThousandSeparator);
}
