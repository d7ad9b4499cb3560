// The system's font configuration without its templates and without its
// family-substitution rules (see font_setup.h).
//
// The rule folder's files are numbered by what they do (fontconfig's own
// convention, written in the folder's README): fonts.conf's include of the
// folder becomes an include of each file it would load, in its order, less
// the numbers listed below.
#include "platform/qt/font_setup.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace rt::qt {
namespace {

namespace fs = std::filesystem;

// Rule files left out, by number. Each only replaces a family that is asked
// for but not installed, or orders the fonts of other scripts; the program's
// own texts name installed DejaVu families.
struct LeftOut {
  int first, last;
  const char* what;
};
constexpr LeftOut kLeftOut[] = {
    {30, 39, "metric-compatible substitutes for named families"},
    {40, 48, "named families sorted into generic ones"},
    {61, 69, "family lists of other scripts and of font vendors"},
};

// Settings with which fontconfig must start as it always does.
constexpr const char* kOwnChoices[] = {"FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT"};

bool leftOut(const std::string& name) {
  const int number = std::atoi(name.c_str());
  return std::any_of(std::begin(kLeftOut), std::end(kLeftOut),
                     [&](const LeftOut& r) { return number >= r.first && number <= r.last; });
}

// What fontconfig loads from a rule folder: files named [0-9]*.conf, in
// byte order.
std::vector<std::string> ruleFiles(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(folder, ec)) {
    const std::string name = e.path().filename().string();
    if (name.size() > 5 && name[0] >= '0' && name[0] <= '9' && name.ends_with(".conf"))
      names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string xmlEscaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string fileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return in ? text.str() : std::string();
}

// Where `text` includes the rule folder beside it: the position and length
// of the one <include>conf.d</include> element without a prefix (which
// would place the folder elsewhere).
struct Span {
  std::size_t at = std::string::npos, length = 0;
};
Span folderInclude(const std::string& text) {
  Span found;
  int count = 0;
  for (std::size_t at = text.find("<include"); at != std::string::npos;
       at = text.find("<include", at + 1)) {
    const std::size_t open = text.find('>', at);
    const std::size_t close = text.find("</include>", at);
    if (open == std::string::npos || close == std::string::npos || close < open) break;
    std::string inside = text.substr(open + 1, close - open - 1);
    inside.erase(0, inside.find_first_not_of(" \t\r\n"));
    inside.erase(inside.find_last_not_of(" \t\r\n") + 1);
    if (inside == "conf.d" && text.substr(at, open - at).find("prefix") == std::string::npos) {
      found = {at, close + std::strlen("</include>") - at};
      ++count;
    }
  }
  return count == 1 ? found : Span();
}

// fonts.conf with its include of the rule folder replaced; empty when the
// file cannot be read or has no such include, or more than one.
std::string configurationText(const fs::path& fontsConf) {
  std::string text = fileText(fontsConf);
  const Span include = folderInclude(text);
  if (include.at == std::string::npos) return {};
  const fs::path folder = fontsConf.parent_path() / "conf.d";
  std::string includes;
  for (const std::string& name : ruleFiles(folder)) {
    if (leftOut(name)) continue;
    includes +=
        "<include ignore_missing=\"yes\">" + xmlEscaped((folder / name).string()) + "</include>\n";
  }
  return text.replace(include.at, include.length, includes);
}

// A configuration without a cache folder gets a fallback one, with a
// warning, from fontconfig's own start-up: that case is left to it.
bool hasCacheFolder(FcConfig* config) {
  FcStrList* dirs = FcConfigGetCacheDirs(config);
  if (dirs == nullptr) return false;
  const bool any = FcStrListNext(dirs) != nullptr;
  FcStrListDone(dirs);
  return any;
}

}  // namespace

FcConfig* programFontConfiguration() {
  if (FcGetVersion() < 21400) return nullptr;
  for (const char* name : kOwnChoices) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return nullptr;
  }
  FcConfig* config = FcConfigCreate();
  if (config == nullptr) return nullptr;
  // Asked of the new configuration: asked of none, fontconfig would first
  // start up the usual way to have a current one.
  FcChar8* file = FcConfigGetFilename(config, nullptr);
  const std::string text = file == nullptr
                               ? std::string()
                               : configurationText(fs::path(reinterpret_cast<const char*>(file)));
  FcStrFree(file);
  if (text.empty() ||
      !FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(text.c_str()),
                                      FcTrue) ||
      !hasCacheFolder(config) || !FcConfigBuildFonts(config)) {
    FcConfigDestroy(config);
    return nullptr;
  }
  return config;
}

void loadFontConfiguration() {
  static std::once_flag once;
  std::call_once(once, [] {
    FcConfig* config = programFontConfiguration();
    if (config == nullptr) return;
    FcConfigSetCurrent(config);
    FcConfigDestroy(config);  // the current configuration holds its own reference
  });
}

}  // namespace rt::qt
