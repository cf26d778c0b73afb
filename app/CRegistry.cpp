#include "CRegistry.h"

#include <cstring>
#include <vector>

#include "BoundedText.h"
#include "Format.h"

namespace {

// The three program-wide values of the settings store.
BoundedText<80> defaultAppName;
BoundedText<80> companyName;
bool wow64 = false;

const REGSAM kReadOnly = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;

bool RunsUnderWow64() {
  using IsWow64Function = BOOL(WINAPI*)(HANDLE, PBOOL);
  HMODULE kernel = GetModuleHandleA("kernel32");
  auto isWow64 = kernel != nullptr ? reinterpret_cast<IsWow64Function>(
                                         reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")))
                                   : nullptr;
  BOOL result = FALSE;
  return isWow64 != nullptr && isWow64(GetCurrentProcess(), &result) && result;
}

// Fills the company name from the executable's version resource, the first
// time a key is opened without an explicit company.
bool LearnCompanyName() {
  wow64 = RunsUnderWow64();
  char executable[MAX_PATH] = {};
  if (GetModuleFileNameA(nullptr, executable, MAX_PATH - 1) == 0) return false;
  std::string company;
  if (!CompanyNameOf(executable, company)) return false;
  companyName = company;
  return !companyName.empty();
}

}  // namespace

AppKeyLocation AppKeyLocationFor(const std::string& appName, const std::string& subKey, const std::string& company,
                                 bool onWow64) {
  AppKeyLocation location;
  location.machineWide = !appName.empty() && appName[0] == '.';
  if (location.machineWide) {
    const char* base = onWow64 ? "SOFTWARE\\Wow6432Node\\%s\\%s" : "SOFTWARE\\%s\\%s";
    location.root = HKEY_LOCAL_MACHINE;
    location.path = Format(base, company, appName.substr(1));
    if (!subKey.empty()) location.path += Format("\\%s\\", subKey);
  } else {
    location.root = HKEY_CURRENT_USER;
    location.path = Format("Software\\%s\\%s", company, appName);
    if (!subKey.empty()) location.path += Format("\\%s", subKey);
  }
  return location;
}

bool CompanyNameOf(const char* modulePath, std::string& company) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(modulePath, &handle);
  if (size == 0) return false;
  std::vector<char> info(size);
  if (!GetFileVersionInfoA(modulePath, 0, size, info.data())) return false;
  char* text = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(info.data(), "\\StringFileInfo\\040904B0\\CompanyName", reinterpret_cast<void**>(&text),
                      &length) ||
      text == nullptr || length == 0)
    return false;
  company = text;
  return true;
}

CRegistry::CRegistry() { companyName = ""; }

CRegistry::~CRegistry() { Close(); }

void CRegistry::Close() {
  if (key_ != nullptr) RegCloseKey(key_);
  key_ = nullptr;
}

bool CRegistry::OpenAppKey(const char* appName, const char* subKey, const char* company) {
  Close();
  if (appName != nullptr && appName[0] != '\0') {
    if (defaultAppName.empty()) defaultAppName = appName;
  }
  BoundedText<80> name = (appName != nullptr && appName[0] != '\0') ? appName : defaultAppName.c_str();

  if (company != nullptr && company[0] != '\0') {
    companyName = company;
  } else if (companyName.empty() && !LearnCompanyName()) {
    return false;
  }

  AppKeyLocation location = AppKeyLocationFor(name.str(), subKey != nullptr ? subKey : "", companyName.str(), wow64);
  if (location.machineWide) return Kept(RegOpenKeyExA(location.root, location.path.c_str(), 0, kReadOnly, &key_));

  LONG result = RegCreateKeyExA(location.root, location.path.c_str(), 0, const_cast<char*>(""),
                                REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
  if (result == ERROR_ACCESS_DENIED)
    result = RegOpenKeyExA(location.root, location.path.c_str(), 0, kReadOnly, &key_);
  return Kept(result);
}

bool CRegistry::OpenKey(HKEY root, const char* path) {
  Close();
  LONG result = RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &key_);
  if (result == ERROR_ACCESS_DENIED) result = RegOpenKeyExA(root, path, 0, kReadOnly, &key_);
  return Kept(result);
}

// A failed opening leaves no key behind, whatever the platform put there.
bool CRegistry::Kept(LONG result) {
  if (result != ERROR_SUCCESS) key_ = nullptr;
  return result == ERROR_SUCCESS;
}

bool CRegistry::QueryDword(const char* name, DWORD& value) const {
  if (key_ == nullptr) return false;
  DWORD type = 0;
  DWORD size = sizeof value;
  return RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
         type == REG_DWORD && size == sizeof value;
}

bool CRegistry::ReadBool(const char* name, bool defaultValue) const {
  DWORD value = 0;
  return QueryDword(name, value) ? value != 0 : defaultValue;
}

DWORD CRegistry::ReadDword(const char* name, DWORD defaultValue) const {
  DWORD value = 0;
  return QueryDword(name, value) ? value : defaultValue;
}

std::string CRegistry::ReadString(const char* name, const std::string& defaultValue) const {
  if (key_ == nullptr) return defaultValue;
  char buffer[kTextLimit + 1] = {};
  DWORD type = 0;
  DWORD size = kTextLimit + 1;
  if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return defaultValue;
  // A value stored without its terminating zero ends where its data ends.
  std::string text(buffer, size);
  std::size_t end = text.find('\0');
  if (end != std::string::npos) text.erase(end);
  if (text.size() > kTextLimit) return defaultValue;
  return text;
}

void CRegistry::WriteString(const char* name, const char* text) {
  if (key_ == nullptr) return;
  DWORD size = static_cast<DWORD>(std::strlen(text) + 1);
  RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), size);
}

void CRegistry::WriteBool(const char* name, bool value) {
  if (key_ == nullptr) return;
  DWORD dword = value ? 1 : 0;
  RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword), sizeof dword);
}
