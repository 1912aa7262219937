#include "app/AppSettings.h"


#include "app/Brand.h"
#include "platform/core/IniFile.h"
#include "platform/core/Program.h"

namespace {
const char kMain[] = "Main";
}

std::string SettingsFilePath() {
    return ProgramFolder() + BrandSettingsFileName(CurrentBrand());
}

int ReadPortNo(const std::string& settingsPath) {
    TIniFile ini(settingsPath);
    return ini.ReadInteger(kMain, "PortNo", 0);
}

void WritePortNo(const std::string& settingsPath, int portNo) {
    TIniFile ini(settingsPath);
    ini.WriteInteger(kMain, "PortNo", portNo);
}

TWizardSettings ReadWizardSettings(const std::string& settingsPath) {
    TIniFile ini(settingsPath);
    TWizardSettings d;
    TWizardSettings s;
    s.OddLbls = ini.ReadString(kMain, "OddLbls", d.OddLbls);
    s.EvenLbls = ini.ReadString(kMain, "EvenLbls", d.EvenLbls);
    s.LastForm = ini.ReadString(kMain, "LastForm", d.LastForm);
    s.SoundOn = ini.ReadBool(kMain, "SoundOn", d.SoundOn);
    s.LastDir = ini.ReadString(kMain, "LastDir", d.LastDir);
    s.PrintScan = ini.ReadBool(kMain, "PrintScan", d.PrintScan);
    s.PrintScanTo = ini.ReadString(kMain, "PrintScanTo", d.PrintScanTo);
    s.SumOverall = ini.ReadBool(kMain, "SumOverall", d.SumOverall);
    s.StdOverall = ini.ReadBool(kMain, "StdOverall", d.StdOverall);
    s.StdCorrect = ini.ReadBool(kMain, "StdCorrect", d.StdCorrect);
    s.ImageFile = ini.ReadString(kMain, "ImageFile", d.ImageFile);
    s.NameFile = ini.ReadString(kMain, "NameFile", d.NameFile);
    s.UseNames = ini.ReadBool(kMain, "UseNames", d.UseNames);
    return s;
}

void WriteWizardSettings(const std::string& settingsPath, const TWizardSettings& s) {
    TIniFile ini(settingsPath);
    ini.WriteString(kMain, "OddLbls", s.OddLbls);
    ini.WriteString(kMain, "EvenLbls", s.EvenLbls);
    ini.WriteString(kMain, "LastForm", s.LastForm);
    ini.WriteBool(kMain, "SumOverall", s.SumOverall);
    ini.WriteBool(kMain, "StdOverall", s.StdOverall);
    ini.WriteBool(kMain, "StdCorrect", s.StdCorrect);
    ini.WriteString(kMain, "ImageFile", s.ImageFile);
    ini.WriteString(kMain, "NameFile", s.NameFile);
    ini.WriteBool(kMain, "SoundOn", s.SoundOn);
    ini.WriteBool(kMain, "UseNames", s.UseNames);
    ini.WriteString(kMain, "LastDir", s.LastDir);
    ini.WriteBool(kMain, "PrintScan", s.PrintScan);
    ini.WriteString(kMain, "PrintScanTo", s.PrintScanTo);
}

void WriteLastDir(const std::string& settingsPath, const std::string& dir) {
    TIniFile ini(settingsPath);
    ini.WriteString(kMain, "LastDir", dir);
}
