// The program's font configuration against the one fontconfig loads by
// itself: the same font files, each drawn with the same settings, and
// generic names resolved alike.
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "platform/qt/font_setup.h"

namespace {

using Config = std::unique_ptr<FcConfig, decltype(&FcConfigDestroy)>;

// What a font engine takes from fontconfig for a font asked for by family,
// pixel size, weight and slant: the file, and how its glyphs are drawn.
std::string renderingOf(FcConfig* config, const char* family, double pixels, int weight, int slant,
                        const char* format =
                            "%{file} %{hintstyle} %{hinting} %{antialias} "
                            "%{autohint} %{lcdfilter} %{rgba} %{embolden}") {
  FcPattern* asked =
      FcPatternBuild(nullptr, FC_FAMILY, FcTypeString, family, FC_PIXEL_SIZE, FcTypeDouble, pixels,
                     FC_WEIGHT, FcTypeInteger, weight, FC_SLANT, FcTypeInteger, slant, nullptr);
  FcConfigSubstitute(config, asked, FcMatchPattern);
  FcDefaultSubstitute(asked);
  FcResult result;
  FcPattern* match = FcFontMatch(config, asked, &result);
  FcPatternDestroy(asked);
  if (match == nullptr) return {};
  FcChar8* text = FcPatternFormat(match, reinterpret_cast<const FcChar8*>(format));
  std::string r = text ? reinterpret_cast<const char*>(text) : "(no format)";
  FcStrFree(text);
  FcPatternDestroy(match);
  return r;
}

std::set<std::string> fontFiles(FcConfig* config) {
  std::set<std::string> files;
  const FcFontSet* fonts = FcConfigGetFonts(config, FcSetSystem);
  FcChar8* f = nullptr;
  for (int i = 0; fonts != nullptr && i < fonts->nfont; ++i)
    if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &f) == FcResultMatch)
      files.insert(reinterpret_cast<const char*>(f));
  return files;
}

// The program's configuration and fontconfig's own, made under the same
// environment: the same font files; every family the windows draw with, the
// generic names Qt asks for and a family that is not installed, small sizes
// too (where DejaVu is drawn without hinting), drawn alike.
TEST(FontSetup, SameFontsDrawnTheSameWayAsFontconfigsOwnStartUp) {
  const Config program(rt::qt::programFontConfiguration(), FcConfigDestroy);
  ASSERT_NE(program, nullptr) << "the system's configuration was not taken";
  const Config system(FcInitLoadConfigAndFonts(), FcConfigDestroy);
  EXPECT_EQ(fontFiles(program.get()), fontFiles(system.get()));
  for (const char* family : {"DejaVu Sans", "DejaVu Sans Mono", "DejaVu Serif", "Sans Serif",
                             "sans-serif", "serif", "monospace", "No Such Family"})
    for (double px : {5.0, 7.0, 9.0, 13.0, 24.0})
      for (int weight : {FC_WEIGHT_REGULAR, FC_WEIGHT_BOLD})
        for (int slant : {FC_SLANT_ROMAN, FC_SLANT_ITALIC})
          EXPECT_EQ(renderingOf(program.get(), family, px, weight, slant),
                    renderingOf(system.get(), family, px, weight, slant))
              << family << " " << px << " px, weight " << weight << ", slant " << slant;
  EXPECT_TRUE(
      renderingOf(program.get(), "Sans Serif", 12, FC_WEIGHT_REGULAR, FC_SLANT_ROMAN, "%{file}")
          .ends_with("/DejaVuSans.ttf"));
}

}  // namespace
