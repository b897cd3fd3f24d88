// The program's icon (a workbook page receiving an arrow), in 32 and 16
// pixels, 16 colours.
#pragma once

#include <QIcon>

QIcon LoadAppIcon();
