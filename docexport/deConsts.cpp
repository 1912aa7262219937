#include "docexport/deConsts.h"

namespace deConsts_detail {
int screenPPI = 96;
}

void SetScreenPPI(int ppi) {
    if (ppi >= 1) deConsts_detail::screenPPI = ppi;
}
