#pragma once

#include <QStringList>

namespace vandrel {

// Name of the index file that lists the languages.
inline constexpr char IndexFileName[] = "LANG.INI";

// Folders that hold the shipped LANG.INI when the current directory has none, in the order
// they are tried: the installed data folder next to the program (<program>/../share/vandrel/lang)
// and, for a program that runs from the build tree, the build tree's copy, so that a program
// started from a desktop menu or from the build folder finds its language files.
QStringList DefaultLanguageFolders();

} // namespace vandrel
