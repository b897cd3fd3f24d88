// Dialog units: layout measures that scale with the dialog's font.  A
// horizontal unit is a quarter of the font's average character width, a
// vertical unit an eighth of its height.
#pragma once

#include <QFont>
#include <QRect>

// The font's base units in pixels: the average width of the Latin letters
// (rounded) and the line height.
struct DialogBaseUnits {
    int nX;
    int nY;
};

DialogBaseUnits BaseUnitsOf(const QFont &font);

// The font a dialog template names: pszFamily at nPoints where present, the
// system's closest sans-serif otherwise.
QFont TemplateFont(const char *pszFamily, int nPoints);

// rcUnits (x, y, width, height in dialog units) in pixels, each measure
// rounded to the nearest pixel.
QRect MapDialogRect(const DialogBaseUnits &units, const QRect &rcUnits);
