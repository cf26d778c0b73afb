// Reads the STRINGTABLE blocks of the language module's resource script and
// writes, from the same entries, the header of named text ids that every
// library includes and, natively, a C++ table of the texts, so that the native
// build shows exactly the texts of 1033.DLL.
//
// An entry is `ID, "TEXT"  // Name`: the comment names the text, and the
// header gets `constexpr unsigned kTextName = ID;`. The resource compiler's
// preprocessor drops the comment, so the name costs 1033.DLL nothing.
//
// Usage: texttable-gen [--ids=TextIds.h] [--table=TEXTS.cpp] INPUT.rc...
// Fails (exit code 1) on a malformed entry, an entry without a name, a
// repeated name or a repeated id, so that a broken resource script stops the
// build instead of losing a text. An output whose contents did not change is
// left alone, so that editing a text recompiles only the table.
#include <cctype>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Resource string ids are 16 bits wide.
constexpr unsigned long kLargestId = 65535;

struct Entry {
  unsigned id;
  std::string name;
  std::string literal;  // the text as a C string literal's body
};

// Every entry in script order, with indexes by id and by name.
struct Script {
  std::vector<Entry> entries;
  std::map<unsigned, std::size_t> byId;
  std::map<std::string, std::size_t> byName;
};

std::string Trim(const std::string& s) {
  size_t b = 0;
  while (b < s.size() && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  size_t e = s.size();
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

// Resource strings use the C escapes (\t, \n, \r, \\) and "" for a quote.
bool ToCLiteral(const std::string& body, std::string& out) {
  out.clear();
  for (size_t i = 0; i < body.size(); ++i) {
    char c = body[i];
    if (c == '"') {
      if (i + 1 >= body.size() || body[i + 1] != '"') return false;
      out += "\\\"";
      ++i;
    } else if (c == '\\') {
      if (i + 1 >= body.size()) return false;
      char e = body[i + 1];
      if (e != 't' && e != 'n' && e != 'r' && e != '\\') return false;
      out += c;
      out += e;
      ++i;
    } else if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) {
      return false;
    } else {
      out += c;
    }
  }
  return true;
}

// The index one past the quote that closes the string opening at open, or
// npos. A quote doubled or after a backslash belongs to the text.
size_t StringEnd(const std::string& line, size_t open) {
  for (size_t i = open + 1; i < line.size(); ++i) {
    if (line[i] == '\\') {
      ++i;
    } else if (line[i] == '"') {
      if (i + 1 < line.size() && line[i + 1] == '"') {
        ++i;
      } else {
        return i + 1;
      }
    }
  }
  return std::string::npos;
}

// A name becomes part of a C++ identifier after "kText".
bool IsName(const std::string& name) {
  if (name.empty() || !std::isupper(static_cast<unsigned char>(name[0]))) return false;
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  return true;
}

enum class EntryError { kNone, kMalformed, kNoName, kBadName };

EntryError ParseEntry(const std::string& line, Entry& entry) {
  size_t comma = line.find(',');
  size_t open = line.find('"');
  if (comma == std::string::npos || open == std::string::npos || comma > open) return EntryError::kMalformed;
  std::string idText = Trim(line.substr(0, comma));
  if (idText.empty() || idText.size() > 5) return EntryError::kMalformed;
  for (char c : idText)
    if (!std::isdigit(static_cast<unsigned char>(c))) return EntryError::kMalformed;
  unsigned long id = std::stoul(idText);
  if (id > kLargestId || !Trim(line.substr(comma + 1, open - comma - 1)).empty()) return EntryError::kMalformed;
  size_t end = StringEnd(line, open);
  if (end == std::string::npos) return EntryError::kMalformed;
  entry.id = static_cast<unsigned>(id);
  if (!ToCLiteral(line.substr(open + 1, end - open - 2), entry.literal)) return EntryError::kMalformed;

  std::string rest = Trim(line.substr(end));
  if (rest.empty()) return EntryError::kNoName;
  if (rest.rfind("//", 0) != 0) return EntryError::kMalformed;
  entry.name = Trim(rest.substr(2));
  if (entry.name.empty()) return EntryError::kNoName;
  return IsName(entry.name) ? EntryError::kNone : EntryError::kBadName;
}

bool ReadScript(const char* path, Script& script) {
  std::ifstream in(path);
  if (!in) {
    std::cerr << path << ": cannot open\n";
    return false;
  }
  enum class State { Outside, AwaitBegin, Inside } state = State::Outside;
  std::string raw;
  int lineNo = 0;
  while (std::getline(in, raw)) {
    ++lineNo;
    std::string line = Trim(raw);
    if (line.empty() || line.rfind("//", 0) == 0) continue;
    if (state == State::Outside) {
      if (line.rfind("STRINGTABLE", 0) == 0) state = State::AwaitBegin;
      continue;
    }
    if (state == State::AwaitBegin) {
      if (line == "BEGIN" || line == "{") state = State::Inside;
      continue;
    }
    if (line == "END" || line == "}") {
      state = State::Outside;
      continue;
    }
    Entry entry;
    const std::string where = std::string(path) + ":" + std::to_string(lineNo) + ": ";
    switch (ParseEntry(line, entry)) {
      case EntryError::kNone:
        break;
      case EntryError::kMalformed:
        std::cerr << where << "malformed string entry\n";
        return false;
      case EntryError::kNoName:
        std::cerr << where << "string id " << entry.id << " has no name (end the line with // Name)\n";
        return false;
      case EntryError::kBadName:
        std::cerr << where << "\"" << entry.name << "\" is not a name (a capital letter, then letters and digits)\n";
        return false;
    }
    if (script.byId.count(entry.id) != 0) {
      std::cerr << where << "string id " << entry.id << " defined twice\n";
      return false;
    }
    auto named = script.byName.find(entry.name);
    if (named != script.byName.end()) {
      std::cerr << where << "name " << entry.name << " already names string id "
                << script.entries[named->second].id << "\n";
      return false;
    }
    script.byId.emplace(entry.id, script.entries.size());
    script.byName.emplace(entry.name, script.entries.size());
    script.entries.push_back(entry);
  }
  return true;
}

std::string IdsHeader(const Script& script) {
  std::ostringstream out;
  out << "// Generated from the language module's resource script; do not edit.\n"
         "// The id of every text, under the name its entry carries there.\n"
         "#pragma once\n\n";
  for (const Entry& entry : script.entries) out << "constexpr unsigned kText" << entry.name << " = " << entry.id << ";\n";
  out << "\n// Every id of the language module, in the order of its script.\n"
         "inline constexpr unsigned kTextIds[] = {\n";
  for (const Entry& entry : script.entries) out << "    kText" << entry.name << ",\n";
  out << "};\n";
  return out.str();
}

std::string TextTable(const Script& script) {
  std::ostringstream out;
  out << "// Generated from the language module's resource script; do not edit.\n"
         "#include \"LanguageTable.h\"\n\n"
         "namespace {\n"
         "const LanguageText kTexts[] = {\n";
  for (const auto& byId : script.byId) {
    const Entry& entry = script.entries[byId.second];
    out << "    {" << entry.id << "u, \"" << entry.literal << "\"},\n";
  }
  out << "};\n"
         "}  // namespace\n\n"
         "const LanguageText* LanguageTexts(std::size_t& count) {\n"
         "  count = sizeof kTexts / sizeof kTexts[0];\n"
         "  return kTexts;\n"
         "}\n";
  return out.str();
}

bool WriteIfChanged(const std::string& path, const std::string& contents) {
  std::ifstream old(path, std::ios::binary);
  if (old) {
    std::ostringstream held;
    held << old.rdbuf();
    if (held.str() == contents) return true;
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << contents;
  file.close();
  if (!file) std::cerr << path << ": cannot write\n";
  return static_cast<bool>(file);
}

// The value of "--name=VALUE" in arg, or false when arg is not that option.
bool OptionValue(const std::string& arg, const std::string& name, std::string& value) {
  const std::string prefix = "--" + name + "=";
  if (arg.rfind(prefix, 0) != 0) return false;
  value = arg.substr(prefix.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string idsPath, tablePath;
  std::vector<const char*> scripts;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (OptionValue(arg, "ids", idsPath) || OptionValue(arg, "table", tablePath)) continue;
    if (arg.rfind("--", 0) == 0) {
      std::cerr << "texttable-gen: unknown option " << arg << "\n";
      return 1;
    }
    scripts.push_back(argv[i]);
  }
  if (scripts.empty() || (idsPath.empty() && tablePath.empty())) {
    std::cerr << "usage: texttable-gen [--ids=TextIds.h] [--table=TEXTS.cpp] INPUT.rc...\n";
    return 1;
  }

  Script script;
  for (const char* path : scripts)
    if (!ReadScript(path, script)) return 1;

  if (!idsPath.empty() && !WriteIfChanged(idsPath, IdsHeader(script))) return 1;
  if (!tablePath.empty() && !WriteIfChanged(tablePath, TextTable(script))) return 1;
  return 0;
}
