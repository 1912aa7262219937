#pragma once
// The brand is a pure function of the program's own file name: an upper-cased
// file name containing "OMBX" runs as Ombrix, anything else as Veltrane.

#include <string>

enum class TBrand { Ombrix, Veltrane };

// Brand of a program file (a path or a bare file name; the folder is ignored).
TBrand BrandOfProgramFile(const std::string& programFileName);
// Brand of the running program.
TBrand CurrentBrand();

// "Ombrix" or "Veltrane", as used in messages.
std::string BrandName(TBrand brand);
// "OmbrixSettings.ini" or "VeltmachSettings.ini".
std::string BrandSettingsFileName(TBrand brand);
