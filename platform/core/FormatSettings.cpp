#include "platform/core/FormatSettings.h"

TFormatSettings& DefaultFormatSettings() {
    static TFormatSettings settings;
    return settings;
}
