// Text from a line or a file as messages show it: nothing in it can act on
// the terminal or the notice bar.
#include <gtest/gtest.h>

#include <string>

#include "formats/words.h"

namespace {

TEST(Shown, EscapesEveryControlCharacterAsUtf8OrAsAStrayByte) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\x1b[2Jb\x7f", "a\\x1b[2Jb\\x7f"},
      {"next\xc2\x85line \xc2\x9bJ", "next\\x85line \\x9bJ"},           // C1: NEL, CSI
      {"\x9bJ \xe0\x82\x85 caf\xe9", "\\x9bJ \xe0\\x82\\x85 caf\xe9"},  // stray bytes
      {"\xc2\xa0\xc3\xa9 \xe2\x82\xac \xf0\x9f\x93\xa1",
       "\xc2\xa0\xc3\xa9 \xe2\x82\xac \xf0\x9f\x93\xa1"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(formats::shown(text, 80), expected);
  EXPECT_EQ(formats::shown("\xc3\xa9\xc3\xa9", 3), "\xc3\xa9...");  // cut between characters
}

}  // namespace
