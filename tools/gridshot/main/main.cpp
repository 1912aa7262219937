// gridshot: builds a grid from a JSON scenario, plays its script and writes
// the grid's picture (PNG) and state (JSON).
//
//   gridshot SCENARIO.json [--png OUT.png] [--state OUT.json]

#include <cstring>
#include <iostream>
#include <string>

#include "tools/gridshot/GridShot.h"
#include "tools/gridshot/GridShotData.h"

int main(int argc, char** argv) {
    std::string scenario, png, state;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--png") && i + 1 < argc) png = argv[++i];
        else if (!std::strcmp(argv[i], "--state") && i + 1 < argc) state = argv[++i];
        else if (argv[i][0] != '-' && scenario.empty()) scenario = argv[i];
        else {
            std::cerr << "usage: gridshot SCENARIO.json [--png OUT.png] [--state OUT.json]\n";
            return 2;
        }
    }
    if (scenario.empty()) {
        std::cerr << "usage: gridshot SCENARIO.json [--png OUT.png] [--state OUT.json]\n";
        return 2;
    }
    try {
        // A scenario with a "data" object shows a data-aware grid.
        if (IsDataGridScenario(scenario)) RunDataGridShotFiles(scenario, png);
        else RunGridShotFiles(scenario, png, state);
    } catch (const Exception& e) {
        std::cerr << "gridshot: " << e.Message << "\n";
        return 1;
    }
    return 0;
}
