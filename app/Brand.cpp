#include "app/Brand.h"

#include "platform/core/FileUtils.h"
#include "platform/core/Program.h"
#include "platform/core/Strings.h"

TBrand BrandOfProgramFile(const std::string& programFileName) {
    std::string name = UpperCase(ExtractFileName(programFileName));
    return name.find("OMBX") != std::string::npos ? TBrand::Ombrix : TBrand::Veltrane;
}

TBrand CurrentBrand() {
    if (BrandOfProgramFile(ProgramFileName()) == TBrand::Ombrix) return TBrand::Ombrix;
    return BrandOfProgramFile(ProgramInvocationName());
}

void UseBrandDataFolder() {
    SetUserDataFolderName([] { return BrandName(CurrentBrand()); });
}

std::string BrandName(TBrand brand) {
    return brand == TBrand::Ombrix ? "Ombrix" : "Veltrane";
}

std::string BrandSettingsFileName(TBrand brand) {
    return brand == TBrand::Ombrix ? "OmbrixSettings.ini" : "VeltmachSettings.ini";
}
