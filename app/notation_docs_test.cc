// The help, both manual pages and the README name every notation the
// scanner reads, from its table: a row added there and not here fails.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/texts.h"
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

}  // namespace
}  // namespace venmark
