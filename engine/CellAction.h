// What a round does with a record's cell once the record's value is known.
// The posting pass decides by it, and so do values, verify and check, so
// that what they tell of a cell is what a run writes there.
#pragma once

#include <cstdint>

#include "EvaluateItemValue.h"
#include "GombrelData.h"

// The action a round carries out on item's cell with value: a text the
// evaluation made (a formula's) is posted as a text whatever the record's
// own action; otherwise the record's action (a GOMBREL_ACTION_ code).
int32_t CellAction(const GombrelData &item, const ItemValue &value);

// True when a posting round writes value's text into item's cell rather
// than its number: a text record, or a formula.
bool PostsText(const GombrelData &item, const ItemValue &value);
