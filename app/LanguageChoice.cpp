#include "LanguageChoice.h"

#include "Context.h"

std::vector<int32_t> LanguageNumbersToTry(uint16_t userLanguageId) {
  const int32_t own = LanguageNumberFor(userLanguageId);
  if (own == kFallbackLanguageNumber) return {own};
  return {own, kFallbackLanguageNumber};
}

LanguageChoice ChooseLanguageModule(uint16_t userLanguageId, const std::function<void*(const std::string&)>& load) {
  LanguageChoice choice;
  choice.wantedName = LanguageModuleName(LanguageNumberFor(userLanguageId));
  for (int32_t number : LanguageNumbersToTry(userLanguageId)) {
    void* module = load(LanguageModuleName(number));
    if (module == nullptr) continue;
    choice.module = module;
    choice.number = number;
    break;
  }
  return choice;
}
