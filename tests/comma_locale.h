// A locale that writes numbers with a decimal comma (de_DE.UTF-8), for the
// tests that every number the program writes and reads keeps its point
// whatever locale the user runs under. A system that has none installed
// gets one made with localedef into a folder of the tests' own, found
// through LOCPATH (which a child process inherits with LC_ALL).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace comma_locale {

inline constexpr const char* kName = "de_DE.UTF-8";

// Whether the comma locale can be taken, made first when missing; `why`
// says why not.
inline bool available(std::string& why) {
  const auto writesComma = [] {
    const bool taken = std::setlocale(LC_ALL, kName) != nullptr;
    const bool comma = taken && std::strcmp(std::localeconv()->decimal_point, ",") == 0;
    std::setlocale(LC_ALL, "C");
    return comma;
  };
  if (writesComma()) return true;
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("tessivar-locales-" + std::to_string(::getuid()));
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!std::filesystem::exists(dir / kName)) {
    // Made beside and moved in whole: tests running at once share it.
    const std::filesystem::path own = dir / ("making-" + std::to_string(::getpid()));
    const std::string made = "localedef -i de_DE -f UTF-8 '" + own.string() + "' > /dev/null 2>&1";
    if (std::system(made.c_str()) != 0) {
      std::filesystem::remove_all(own, ec);
      why = "no de_DE.UTF-8 locale, and localedef could not make one";
      return false;
    }
    std::filesystem::rename(own, dir / kName, ec);
    std::filesystem::remove_all(own, ec);
  }
  ::setenv("LOCPATH", dir.c_str(), 1);
  if (writesComma()) return true;
  why = "the de_DE.UTF-8 locale made in " + dir.string() + " does not write a decimal comma";
  return false;
}

// While one lives, the process runs under the comma locale.
class Scope {
 public:
  Scope() { std::setlocale(LC_ALL, kName); }
  ~Scope() { std::setlocale(LC_ALL, "C"); }
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;
};

}  // namespace comma_locale

// Skips the test when the comma locale cannot be had.
#define TESSIVAR_REQUIRE_COMMA_LOCALE()                                               \
  do {                                                                                \
    std::string comma_locale_why;                                                     \
    if (!comma_locale::available(comma_locale_why)) GTEST_SKIP() << comma_locale_why; \
  } while (0)
