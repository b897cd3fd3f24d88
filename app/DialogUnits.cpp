#include "DialogUnits.h"

#include <QFontMetrics>

namespace {

// a * b / c rounded to the nearest integer (halves away from zero).
int MulDiv(int a, int b, int c)
{
    long long product = static_cast<long long>(a) * b;
    long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

} // namespace

DialogBaseUnits BaseUnitsOf(const QFont &font)
{
    QFontMetrics metrics(font);
    int nLettersWidth = metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {(nLettersWidth / 26 + 1) / 2, metrics.height()};
}

QFont TemplateFont(const char *pszFamily, int nPoints)
{
    QFont font(pszFamily, nPoints);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QRect MapDialogRect(const DialogBaseUnits &units, const QRect &rcUnits)
{
    return QRect(MulDiv(rcUnits.x(), units.nX, 4), MulDiv(rcUnits.y(), units.nY, 8),
                 MulDiv(rcUnits.width(), units.nX, 4), MulDiv(rcUnits.height(), units.nY, 8));
}
