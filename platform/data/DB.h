#pragma once
// The dataset framework in one include.

#include "platform/data/DBConsts.h"
#include "platform/data/DBError.h"
#include "platform/data/DataSet.h"
#include "platform/data/DataSource.h"
#include "platform/data/DataTypes.h"
#include "platform/data/Field.h"
#include "platform/data/FieldDefs.h"
#include "platform/data/Params.h"
#include "platform/data/StdFields.h"
