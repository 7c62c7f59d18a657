// The help, both manual pages and the README name every notation the
// scanner reads, from its table: a row added there and not here fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "app/result_format.h"
#include "app/texts.h"
#include "scan/label_words.h"
#include "scan/notations.h"

namespace venmark {
namespace {

std::string Read(const std::string& name) {
  std::ifstream in(std::string(VENMARK_SOURCE_DIR) + "/" + name);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A manual page as it prints: \- a hyphen, \e a backslash.
std::string Printed(std::string page) {
  for (const auto& [escape, printed] :
       {std::pair<std::string, std::string>{"\\-", "-"}, {"\\e", "\\"}}) {
    for (std::size_t at = page.find(escape); at != std::string::npos;
         at = page.find(escape, at + printed.size())) {
      page.replace(at, escape.size(), printed);
    }
  }
  return page;
}

TEST(NotationDocsTest, HelpManualsAndReadmeNameEveryNotation) {
  const std::string scan_page = Printed(Read("cli/venmark-scan.1"));
  const std::string gui_page = Printed(Read("qt/venmark.1"));
  const std::string readme = Read("README.md");
  ASSERT_FALSE(readme.empty());
  for (const NotationRow& row : Notations()) {
    const std::string example(row.example);
    EXPECT_NE(text::kScanUsage.find(example), std::string_view::npos)
        << example;
    EXPECT_NE(scan_page.find(example), std::string::npos) << example;
    EXPECT_NE(gui_page.find(example), std::string::npos) << example;
    // The README's table: a row of the description and the example.
    const std::size_t row_at =
        readme.find("| " + std::string(row.description) + " |");
    ASSERT_NE(row_at, std::string::npos) << row.description;
    const std::string line =
        readme.substr(row_at, readme.find('\n', row_at) - row_at);
    EXPECT_NE(line.find("`" + example + "`"), std::string::npos) << line;
  }
}

// Whether word is "MAC" typed with Cyrillic look-alikes in it (МАС, MАС,
// мас…): the docs name these once, as МАС in Cyrillic or mixed letters.
bool LooksLikeMac(std::string_view word) {
  static const std::string kLookalikes[][2] = {
      {"М", "m"}, {"А", "a"}, {"С", "c"}, {"м", "m"}, {"а", "a"},
      {"с", "c"}, {"M", "m"}, {"A", "a"}, {"C", "c"}};
  std::string spelled;
  bool cyrillic = false;
  while (!word.empty()) {
    bool known = false;
    for (const auto& [glyph, latin] : kLookalikes) {
      if (word.starts_with(glyph)) {
        spelled += latin;
        cyrillic |= glyph.size() > 1;
        word.remove_prefix(glyph.size());
        known = true;
        break;
      }
    }
    if (!known) return false;
  }
  return cyrillic && spelled == "mac";
}

// The help, the manual page and the README name every output format of
// the table: a writer added there and not here fails.
TEST(NotationDocsTest, HelpManualAndReadmeNameEveryFormat) {
  const std::string page = Printed(Read("cli/venmark-scan.1"));
  const std::string readme = Read("README.md");
  const std::string help(text::kScanUsage);
  std::string names;
  for (const ResultFormat* format : kResultFormats) {
    const std::string name(format->name);
    // The first is the default.
    const std::string told =
        names.empty() ? " " + name + " (по умолчанию): " : " " + name + ": ";
    EXPECT_NE(help.find(told), std::string::npos) << name;
    EXPECT_TRUE(page.find("\n.B " + name + "\n") != std::string::npos ||
                page.find("\n.BR " + name + " ") != std::string::npos)
        << name;
    names += (names.empty() ? "" : "|") + name;
  }
  EXPECT_NE(readme.find("[--format " + names + "]"), std::string::npos);
}

// Every label word of the table is named, as the table writes it, in the
// README and in venmark-scan --help: a user can tell what counts.
TEST(NotationDocsTest, ReadmeAndHelpNameEveryLabelWord) {
  const std::string readme = Read("README.md");
  const std::size_t section = readme.find("### What counts as a MAC label");
  ASSERT_NE(section, std::string::npos);
  const std::string labels =
      readme.substr(section, readme.find("\n### ", section + 1) - section);
  for (const LabelWord& label : LabelWords()) {
    const std::string word(label.word);
    if (LooksLikeMac(word)) {
      EXPECT_NE(labels.find("`МАС` typed in Cyrillic letters or mixed"),
                std::string::npos);
      EXPECT_NE(text::kScanUsage.find("МАС (кириллицей или вперемешку)"),
                std::string_view::npos);
      continue;
    }
    EXPECT_NE(labels.find("`" + word + "`"), std::string::npos) << word;
    // The help wraps its lines where a blank stands.
    std::string usage(text::kScanUsage);
    std::replace(usage.begin(), usage.end(), '\n', ' ');
    bool named = false;
    for (const char end : {',', ';', '.'}) {
      named |= usage.find(word + end) != std::string::npos;
    }
    EXPECT_TRUE(named) << word;
  }
}

}  // namespace
}  // namespace venmark
