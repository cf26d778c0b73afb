// Settings: one open key of the registry. The program's own keys are found
// from the company name in the executable's version resource and the
// application name: per-user settings live under HKEY_CURRENT_USER and are
// read and written; machine-wide ones (an application name that starts with
// ".") live under HKEY_LOCAL_MACHINE and are only read.
//
// Failures never carry an error text: opening returns false, a read gives
// the caller's default, a write to a key that is not open or read-only does
// nothing.
#pragma once

#include <windows.h>

#include <string>

struct AppKeyLocation {
  HKEY root = nullptr;
  std::string path;
  bool machineWide = false;
};

// Where OpenAppKey looks for an application name (a leading "." selects the
// machine-wide key), an optional sub-key, a company and the WOW64 flag.
AppKeyLocation AppKeyLocationFor(const std::string& appName, const std::string& subKey, const std::string& company,
                                 bool wow64);

// The value "\StringFileInfo\040904B0\CompanyName" of a module's version
// resource; false when the module has no such resource or value.
bool CompanyNameOf(const char* modulePath, std::string& company);

class CRegistry {
 public:
  // Longest text value that a read accepts; longer ones read as the default.
  static constexpr DWORD kTextLimit = 512;

  CRegistry();
  virtual ~CRegistry();
  CRegistry(const CRegistry&) = delete;
  CRegistry& operator=(const CRegistry&) = delete;

  // Empty texts stand for: the first application name ever given, no
  // sub-key, the company of the executable's version resource.
  bool OpenAppKey(const char* appName, const char* subKey = "", const char* company = "");
  // Full access, or read-only where full access is denied.
  bool OpenKey(HKEY root, const char* path);
  void Close();
  bool IsOpen() const { return key_ != nullptr; }

  bool ReadBool(const char* name, bool defaultValue) const;
  DWORD ReadDword(const char* name, DWORD defaultValue) const;
  // REG_SZ or REG_EXPAND_SZ (not expanded) of at most kTextLimit characters.
  std::string ReadString(const char* name, const std::string& defaultValue) const;
  void WriteString(const char* name, const char* text);
  void WriteBool(const char* name, bool value);

 private:
  bool QueryDword(const char* name, DWORD& value) const;
  bool Kept(LONG result);

  HKEY key_ = nullptr;
};
