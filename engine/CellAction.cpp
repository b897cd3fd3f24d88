#include "CellAction.h"

int32_t CellAction(const GombrelData &item, const ItemValue &value)
{
    return value.bIsString && !value.strText.empty() ? GOMBREL_ACTION_TEXT : item.iAction;
}

bool PostsText(const GombrelData &item, const ItemValue &value)
{
    return CellAction(item, value) == GOMBREL_ACTION_TEXT;
}
