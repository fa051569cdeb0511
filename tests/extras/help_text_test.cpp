// The help file against the program's sources: every text the server can
// write to the activity log is explained in the support topic, exactly as
// written, and the compiled help file holds the topics the program opens.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Adjacent string literals from `pos` on ("a" "b" -> ab); empty when the text
// there is not a literal.
std::string Literals(const std::string& source, std::size_t pos) {
  std::string value;
  for (;;) {
    while (pos < source.size() && std::isspace(static_cast<unsigned char>(source[pos]))) ++pos;
    if (pos >= source.size() || source[pos] != '"') return value;
    for (++pos; pos < source.size() && source[pos] != '"'; ++pos) {
      if (source[pos] == '\\') ++pos;
      value += source[pos];
    }
    ++pos;
  }
}

// A placeholder is a placeholder, whatever its kind.
std::string Normalised(std::string pattern) {
  return std::regex_replace(pattern, std::regex("%[sd]"), "%s");
}

// Every text the server's code hands to LogActivity, a script failure, a
// script's log or the main window's close (which logs why a delivery
// stops), directly, through text::Format or through a named constant of its
// file.
std::set<std::string> ProgramLogTexts() {
  std::set<std::string> texts;
  const std::regex call(
      R"((LogActivity|Fail|host\.Log|CloseWhenIdle)\(\s*(host,\s*)?(text::Format\(\s*)?)");
  for (const auto& entry : fs::recursive_directory_iterator(fs::path(TELLISTRY_SOURCE_DIR) / "server")) {
    if (entry.path().extension() != ".cpp") continue;
    const std::string source = ReadFile(entry.path());
    for (std::sregex_iterator it(source.begin(), source.end(), call), end; it != end; ++it) {
      const std::size_t at = static_cast<std::size_t>(it->position() + it->length());
      std::string text = Literals(source, at);
      if (text.empty()) {  // a constant of this file, or a pass-through
        std::smatch name;
        const std::string rest = source.substr(at, 64);
        if (!std::regex_search(rest, name, std::regex(R"(^(k\w+))"))) continue;
        const std::size_t definition = source.find(name[1].str() + "[] =");
        if (definition == std::string::npos) continue;
        text = Literals(source, definition + name[1].length() + 4);
      }
      if (!text.empty()) texts.insert(Normalised(text));
    }
  }
  return texts;
}

// The log lines the support topic explains: its <code class="log"> elements,
// with <var> placeholders.
std::set<std::string> DocumentedLogTexts() {
  const std::string page = ReadFile(fs::path(TELLISTRY_SOURCE_DIR) / "server/help/csupport.htm");
  std::set<std::string> texts;
  const std::regex code(R"(<code class="log">([\s\S]*?)</code>)");
  for (std::sregex_iterator it(page.begin(), page.end(), code), end; it != end; ++it) {
    std::string text = std::regex_replace((*it)[1].str(), std::regex(R"(<var>[^<]*</var>)"), "%s");
    text = std::regex_replace(text, std::regex(R"(\s+)"), " ");
    for (const auto& [entity, character] : std::map<std::string, std::string>{
             {"&nbsp;", " "}, {"&quot;", "\""}, {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}})
      text = std::regex_replace(text, std::regex(entity), character);
    texts.insert(text);
  }
  return texts;
}

TEST(HelpText, SupportTopicExplainsEveryLogText) {
  const std::set<std::string> program = ProgramLogTexts();
  const std::set<std::string> documented = DocumentedLogTexts();
  // The scan itself must keep finding the program's texts.
  EXPECT_GE(program.size(), 15u);
  EXPECT_TRUE(program.count("Failed to initate communications: Please check application settings "
                            "and modem connection"));
  EXPECT_TRUE(program.count("   Sending alert to %s"));
  for (const std::string& text : program)
    EXPECT_TRUE(documented.count(text)) << "not in csupport.htm: \"" << text << "\"";
  for (const std::string& text : documented)
    EXPECT_TRUE(program.count(text)) << "csupport.htm explains a line the program never writes: \""
                                     << text << "\"";
}

TEST(HelpText, CompiledHelpFileHoldsTheTopicsTheProgramOpens) {
  const std::string chm = ReadFile(fs::path(TELLISTRY_WIN_BIN) / "TELLISTRY.CHM");
  ASSERT_EQ(chm.rfind("ITSF", 0), 0u) << "no compiled help file beside the program";
  for (const char* topic : {"/tutorial.htm", "/csupport.htm", "/welcome.htm", "/contents.hhc",
                            "/index.hhk", "/$FIftiMain"})
    EXPECT_NE(chm.find(topic), std::string::npos) << topic;
}

}  // namespace
