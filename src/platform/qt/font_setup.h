// The font configuration of the process, loaded before Qt first needs a font.
//
// Qt on Linux finds and draws fonts through fontconfig, whose own start-up
// parses the system's whole configuration and then every template of it that
// is not even switched on: about a third of the program's start-up. The
// program loads the system's configuration itself instead, without the
// templates and without the rule files that only substitute one named
// family for another: where the fonts are, how they are drawn, the generic
// families of Latin text and the user's and administrator's own settings
// all stay the system's, so every text looks as it did.
#pragma once

#include <fontconfig/fontconfig.h>

namespace rt::qt {

// The configuration described above, fonts loaded; the caller destroys it.
// Null where the system's start-up must stay as it is: FONTCONFIG_FILE,
// FONTCONFIG_PATH or FONTCONFIG_SYSROOT set, a configuration file without
// the usual include of its rule folder, no cache folder, an old fontconfig.
FcConfig* programFontConfiguration();

// Makes programFontConfiguration() fontconfig's current configuration, once
// per process and before the first QGuiApplication: Qt fills its font
// database from the configuration that is current at its first font.
// Without one fontconfig starts as it always does.
void loadFontConfiguration();

}  // namespace rt::qt
