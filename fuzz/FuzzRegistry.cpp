// The table of entries, kept apart from the helpers so that each libFuzzer
// program links only its own reader.
#include "fuzz/FuzzTargets.h"

const std::vector<TFuzzTarget>& FuzzTargets() {
    static const std::vector<TFuzzTarget> targets = {
        {"scanner", FuzzScanner},     {"savedlines", FuzzSavedLines},
        {"settings", FuzzSettings},   {"csv", FuzzCsv},
        {"filter", FuzzFilter},       {"snapshot", FuzzSnapshot},
        {"project", FuzzProjectStream}, {"lzw", FuzzLzw},
        {"gridcells", FuzzGridCells},   {"indexkeys", FuzzIndexKeys},
        {"gridlayout", FuzzGridLayout}, {"savedfiles", FuzzSavedFiles},
        {"scanwork", FuzzScanWork},     {"metafile", FuzzMetafile},
        {"module", FuzzModule},         {"richtext", FuzzRichText},
        {"picture", FuzzPicture},       {"gridform", FuzzGridForm},
        {"dbgridlayout", FuzzDBGridLayout},
    };
    return targets;
}
