// Turns the STRINGTABLE blocks of the language module's resource script into a
// C++ table, so that the native build shows exactly the texts of 1033.DLL.
//
// Usage: texttable-gen OUTPUT.cpp INPUT.rc [INPUT.rc ...]
// Fails (exit code 1) on a malformed entry or a repeated id, so that a broken
// resource script stops the build instead of losing a text.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

namespace {

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

bool ParseEntry(const std::string& line, unsigned& id, std::string& literal) {
  size_t comma = line.find(',');
  size_t open = line.find('"');
  size_t close = line.rfind('"');
  if (comma == std::string::npos || open == std::string::npos || close <= open || comma > open) return false;
  std::string idText = Trim(line.substr(0, comma));
  if (idText.empty() || idText.size() > 5) return false;
  for (char c : idText)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  if (!Trim(line.substr(comma + 1, open - comma - 1)).empty() || !Trim(line.substr(close + 1)).empty()) return false;
  id = static_cast<unsigned>(std::stoul(idText));
  return ToCLiteral(line.substr(open + 1, close - open - 1), literal);
}

bool ReadScript(const char* path, std::map<unsigned, std::string>& table) {
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
    unsigned id = 0;
    std::string literal;
    if (!ParseEntry(line, id, literal)) {
      std::cerr << path << ":" << lineNo << ": malformed string entry\n";
      return false;
    }
    if (!table.emplace(id, literal).second) {
      std::cerr << path << ":" << lineNo << ": string id " << id << " defined twice\n";
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: texttable-gen OUTPUT.cpp INPUT.rc...\n";
    return 1;
  }
  std::map<unsigned, std::string> table;
  for (int i = 2; i < argc; ++i)
    if (!ReadScript(argv[i], table)) return 1;

  std::ostringstream out;
  out << "// Generated from the language module's resource script; do not edit.\n"
         "#include \"LanguageTable.h\"\n\n"
         "namespace {\n"
         "const LanguageText kTexts[] = {\n";
  for (const auto& entry : table) out << "    {" << entry.first << "u, \"" << entry.second << "\"},\n";
  out << "};\n"
         "}  // namespace\n\n"
         "const LanguageText* LanguageTexts(std::size_t& count) {\n"
         "  count = sizeof kTexts / sizeof kTexts[0];\n"
         "  return kTexts;\n"
         "}\n";

  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file << out.str();
  return file ? 0 : 1;
}
