#include "AppIcon.h"

#include <QPixmap>

#include "icons/gombrel_16.xpm"
#include "icons/gombrel_32.xpm"

QIcon LoadAppIcon()
{
    QIcon icon;
    icon.addPixmap(QPixmap(gombrel_32_xpm));
    icon.addPixmap(QPixmap(gombrel_16_xpm));
    return icon;
}
