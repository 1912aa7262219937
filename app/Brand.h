#pragma once
// The brand is a pure function of the program's own names: when the
// upper-cased file name of the executable, or of the name it was started by
// (a link to it), contains "OMBX" it runs as Ombrix, otherwise as Veltrane.

#include <string>

enum class TBrand { Ombrix, Veltrane };

// Brand of a program file (a path or a bare file name; the folder is ignored).
TBrand BrandOfProgramFile(const std::string& programFileName);
// Brand of the running program.
TBrand CurrentBrand();
// Makes the brand name the program's folder under the user's data folder
// (used when the executable's folder cannot be written).
void UseBrandDataFolder();

// "Ombrix" or "Veltrane", as used in messages.
std::string BrandName(TBrand brand);
// "OmbrixSettings.ini" or "VeltmachSettings.ini".
std::string BrandSettingsFileName(TBrand brand);
