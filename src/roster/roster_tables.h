#pragma once
// The roster tables read from 新名簿.txt, looked up by pupil number. Filled by the roster pass.

#include <string>
#include <vector>

#include "records/aggregates.h"

namespace kagaku {

struct RosterTables {
    // Filled in by the roster reader.
};

}  // namespace kagaku
