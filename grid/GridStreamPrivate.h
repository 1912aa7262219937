#pragma once
// Internals shared by the layout stream files.

#include "grid/TSGrid.h"
#include "platform/core/Filer.h"

// Reads a layout in the tagged form older versions wrote (it starts with
// the identifier "TgrGridLayout"); EReadError on anything damaged.
void ReadTaggedGridLayout(TgrBaseGrid& grid, TReader& reader);
