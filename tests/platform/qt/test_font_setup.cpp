// The program's font configuration against the one fontconfig loads by
// itself: the same font files, each drawn with the same settings, generic
// names resolved alike, and the user's own settings still applied.
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <set>
#include <string>
#include <tuple>

#include "platform/qt/font_setup.h"

namespace {

using Config = std::unique_ptr<FcConfig, decltype(&FcConfigDestroy)>;

Config systemConfiguration() {
  return {FcInitLoadConfigAndFonts(), FcConfigDestroy};
}
Config programConfiguration() {
  return {rt::qt::programFontConfiguration(), FcConfigDestroy};
}

// What a font engine takes from fontconfig for a font asked for by family,
// pixel size, weight and slant: the file, and how its glyphs are drawn.
using Rendering = std::tuple<std::string, int, int, int, int, int, int, int>;

Rendering renderingOf(FcConfig* config, const char* family, double pixels, int weight, int slant) {
  FcPattern* asked = FcPatternCreate();
  FcPatternAddString(asked, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddDouble(asked, FC_PIXEL_SIZE, pixels);
  FcPatternAddInteger(asked, FC_WEIGHT, weight);
  FcPatternAddInteger(asked, FC_SLANT, slant);
  FcConfigSubstitute(config, asked, FcMatchPattern);
  FcDefaultSubstitute(asked);
  FcResult result;
  FcPattern* match = FcFontMatch(config, asked, &result);
  FcPatternDestroy(asked);
  if (match == nullptr) return {};
  auto number = [&](const char* name) {
    int v = -1;
    FcBool b;
    if (FcPatternGetInteger(match, name, 0, &v) == FcResultMatch) return v;
    if (FcPatternGetBool(match, name, 0, &b) == FcResultMatch) return static_cast<int>(b);
    return -1;
  };
  FcChar8* file = nullptr;
  FcPatternGetString(match, FC_FILE, 0, &file);
  Rendering r{file ? reinterpret_cast<const char*>(file) : "",
              number(FC_HINT_STYLE),
              number(FC_HINTING),
              number(FC_ANTIALIAS),
              number(FC_AUTOHINT),
              number(FC_LCD_FILTER),
              number(FC_RGBA),
              number(FC_EMBOLDEN)};
  FcPatternDestroy(match);
  return r;
}

std::set<std::string> fontFiles(FcConfig* config) {
  FcPattern* all = FcPatternCreate();
  FcObjectSet* file = FcObjectSetBuild(FC_FILE, nullptr);
  FcFontSet* fonts = FcFontList(config, all, file);
  std::set<std::string> files;
  for (int i = 0; fonts != nullptr && i < fonts->nfont; ++i) {
    FcChar8* f = nullptr;
    if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &f) == FcResultMatch)
      files.insert(reinterpret_cast<const char*>(f));
  }
  if (fonts != nullptr) FcFontSetDestroy(fonts);
  FcObjectSetDestroy(file);
  FcPatternDestroy(all);
  return files;
}

// Every family the windows draw with, the generic names Qt asks for, a
// family that is not installed; small sizes too, where DejaVu is drawn
// without hinting.
void expectSameRendering(FcConfig* program, FcConfig* system) {
  const char* families[] = {"DejaVu Sans", "DejaVu Sans Mono", "DejaVu Serif",
                            "Sans Serif",  "sans-serif",       "serif",
                            "monospace",   "No Such Family"};
  for (const char* family : families)
    for (double px : {5.0, 7.0, 9.0, 13.0, 24.0})
      for (int weight : {FC_WEIGHT_REGULAR, FC_WEIGHT_BOLD})
        for (int slant : {FC_SLANT_ROMAN, FC_SLANT_ITALIC})
          EXPECT_EQ(renderingOf(program, family, px, weight, slant),
                    renderingOf(system, family, px, weight, slant))
              << family << " " << px << " px, weight " << weight << ", slant " << slant;
}

TEST(FontSetup, SameFontsDrawnTheSameWayAsFontconfigsOwnStartUp) {
  Config program = programConfiguration();
  ASSERT_NE(program, nullptr) << "the system's configuration was not taken";
  Config system = systemConfiguration();
  EXPECT_EQ(fontFiles(program.get()), fontFiles(system.get()));
  expectSameRendering(program.get(), system.get());
  EXPECT_TRUE(
      std::get<0>(renderingOf(program.get(), "Sans Serif", 12, FC_WEIGHT_REGULAR, FC_SLANT_ROMAN))
          .ends_with("/DejaVuSans.ttf"));
}

// A user's fonts.conf (here: full hinting, subpixel order) is read as
// fontconfig reads it; FONTCONFIG_FILE leaves the start-up to fontconfig.
TEST(FontSetup, UsersOwnSettingsStillApply) {
  QTemporaryDir home;
  ASSERT_TRUE(QDir(home.path()).mkpath("fontconfig"));
  QFile conf(home.filePath("fontconfig/fonts.conf"));
  ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
  conf.write(R"(<?xml version="1.0"?><fontconfig>
    <match target="pattern"><edit name="hintstyle" mode="assign"><const>hintfull</const></edit>
      <edit name="rgba" mode="assign"><const>rgb</const></edit></match></fontconfig>)");
  conf.close();
  const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
  Config program = programConfiguration();
  Config system = systemConfiguration();
  qputenv("FONTCONFIG_FILE", home.filePath("fontconfig/fonts.conf").toUtf8());
  Config chosen = programConfiguration();
  qunsetenv("FONTCONFIG_FILE");
  if (previous.isNull()) {
    qunsetenv("XDG_CONFIG_HOME");
  } else {
    qputenv("XDG_CONFIG_HOME", previous);
  }
  ASSERT_NE(program, nullptr);
  const Rendering r =
      renderingOf(program.get(), "DejaVu Sans", 13, FC_WEIGHT_REGULAR, FC_SLANT_ROMAN);
  EXPECT_EQ(std::get<1>(r), FC_HINT_FULL);
  EXPECT_EQ(std::get<5>(r), FC_RGBA_RGB);
  expectSameRendering(program.get(), system.get());
  EXPECT_EQ(chosen, nullptr);
}

}  // namespace
