// Program entry.

#include "app/ProgramStart.h"

int main(int argc, char** argv) { return RunProgram(argc, argv); }
