// The help file against the program's sources: every text the server can
// write to the activity log is explained in the support topic, exactly as
// written, and no topic quotes a log text the program never writes; every
// link and anchor of the topics, the contents and the index resolves; and the
// compiled help file holds the topics the program opens and every picture a
// topic shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

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

const fs::path kHelpDir = fs::path(TELLISTRY_SOURCE_DIR) / "server/help";

// Every match of `pattern`'s first group in `text`.
std::vector<std::string> Captures(const std::string& text, const std::string& pattern) {
  std::vector<std::string> found;
  const std::regex re(pattern, std::regex::icase);
  for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it)
    found.push_back((*it)[1].str());
  return found;
}

// The files the help project compiles in, in its [FILES] section.
std::vector<std::string> ProjectFiles() {
  std::istringstream project(ReadFile(kHelpDir / "tellistry.hhp"));
  std::vector<std::string> files;
  bool inFiles = false;
  for (std::string line; std::getline(project, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '[') inFiles = line == "[FILES]";
    else if (inFiles && !line.empty()) files.push_back(line);
  }
  return files;
}

std::vector<std::string> Topics() {
  std::vector<std::string> topics;
  for (const std::string& file : ProjectFiles())
    if (fs::path(file).extension() == ".htm") topics.push_back(file);
  return topics;
}

// The log lines a topic quotes: its <code class="log"> elements, with <var>
// placeholders.
std::set<std::string> DocumentedLogTexts(const std::string& topic) {
  const std::string page = ReadFile(kHelpDir / topic);
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
  const std::set<std::string> documented = DocumentedLogTexts("csupport.htm");
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
  for (const std::string& topic : Topics())
    for (const std::string& text : DocumentedLogTexts(topic))
      EXPECT_TRUE(program.count(text)) << topic << " quotes a line the program never writes: \""
                                       << text << "\"";
}

// Links of the topics ("file#anchor", "#anchor") and the places the contents
// tree and the index open: each names a compiled topic and an anchor in it.
TEST(HelpText, EveryLinkAndAnchorResolves) {
  const std::vector<std::string> topics = Topics();
  ASSERT_GE(topics.size(), 5u);
  std::map<std::string, std::set<std::string>> anchors;
  for (const std::string& topic : topics) {
    std::set<std::string>& names = anchors[topic];
    for (const std::string& name : Captures(ReadFile(kHelpDir / topic), R"#(<a\s+name="([^"]*)")#"))
      EXPECT_TRUE(names.insert(name).second) << topic << ": anchor #" << name << " twice";
  }
  const auto check = [&](const std::string& from, const std::string& link) {
    if (link.find(':') != std::string::npos) return;  // another scheme: not this file's business
    const std::size_t hash = link.find('#');
    const std::string file = hash == 0 ? from : link.substr(0, hash);
    if (!anchors.count(file)) {
      ADD_FAILURE() << from << " links to " << link << ": no such topic";
      return;
    }
    if (hash == std::string::npos) return;
    EXPECT_TRUE(anchors[file].count(link.substr(hash + 1)))
        << from << " links to " << link << ": no such anchor";
  };
  for (const std::string& topic : topics)
    for (const std::string& link : Captures(ReadFile(kHelpDir / topic), R"#(href="([^"]*)")#"))
      if (link != "tellistry.css") check(topic, link);
  for (const char* map : {"contents.hhc", "index.hhk"}) {
    const std::vector<std::string> places =
        Captures(ReadFile(kHelpDir / map), R"#(<param name="Local" value="([^"]*)")#");
    EXPECT_GE(places.size(), 5u) << map;
    for (const std::string& place : places) check(map, place);
  }
}

// A picture a topic shows is in the help project, in the sources and in the
// compiled help file.
TEST(HelpText, CompiledHelpFileHoldsEveryPictureShown) {
  const std::string chm = ReadFile(fs::path(TELLISTRY_WIN_BIN) / "TELLISTRY.CHM");
  ASSERT_EQ(chm.rfind("ITSF", 0), 0u) << "no compiled help file beside the program";
  const std::vector<std::string> files = ProjectFiles();
  std::size_t shown = 0;
  for (const std::string& topic : Topics())
    for (const std::string& picture : Captures(ReadFile(kHelpDir / topic), R"#(<img\s+src="([^"]*)")#")) {
      ++shown;
      EXPECT_TRUE(fs::exists(kHelpDir / picture)) << topic << " shows " << picture << ": no such file";
      EXPECT_NE(std::find(files.begin(), files.end(), picture), files.end())
          << topic << " shows " << picture << ": not in tellistry.hhp";
      EXPECT_NE(chm.find("/" + picture), std::string::npos)
          << topic << " shows " << picture << ": not in TELLISTRY.CHM";
    }
  EXPECT_GE(shown, 6u);
}

TEST(HelpText, CompiledHelpFileHoldsTheTopicsTheProgramOpens) {
  const std::string chm = ReadFile(fs::path(TELLISTRY_WIN_BIN) / "TELLISTRY.CHM");
  ASSERT_EQ(chm.rfind("ITSF", 0), 0u) << "no compiled help file beside the program";
  for (const char* topic : {"/tutorial.htm", "/csupport.htm", "/welcome.htm", "/contents.hhc",
                            "/index.hhk", "/$FIftiMain"})
    EXPECT_NE(chm.find(topic), std::string::npos) << topic;
}

}  // namespace
