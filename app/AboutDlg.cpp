#include "AboutDlg.h"

#include "AppIcon.h"
#include "DialogUnits.h"

#include <QLabel>
#include <QPushButton>

namespace {

const char kAboutCaption[] = "About Gombrel";
const char kVersionText[] = "Gombrel Version 1.0";
const char kNoticeText[] = "Posts DOE-2 simulation results into the ASHRAE Standard 140 results workbooks.";

} // namespace

CAboutDlg::CAboutDlg(QWidget *pParent)
    : QDialog(pParent)
{
    setWindowTitle(kAboutCaption);
    setFont(TemplateFont("MS Sans Serif", 8));
    DialogBaseUnits units = BaseUnitsOf(font());
    setFixedSize(MapDialogRect(units, QRect(0, 0, 235, 55)).size());

    auto *pIcon = new QLabel(this);
    pIcon->setPixmap(LoadAppIcon().pixmap(32, 32));
    // An icon control takes the size of its icon.
    pIcon->setGeometry(QRect(MapDialogRect(units, QRect(11, 17, 20, 20)).topLeft(), QSize(32, 32)));

    auto *pVersion = new QLabel(kVersionText, this);
    pVersion->setTextFormat(Qt::PlainText);
    pVersion->setGeometry(MapDialogRect(units, QRect(40, 10, 119, 8)));

    auto *pNotice = new QLabel(kNoticeText, this);
    pNotice->setWordWrap(true);
    pNotice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    pNotice->setGeometry(MapDialogRect(units, QRect(40, 25, 156, 23)));

    auto *pOk = new QPushButton("OK", this);
    pOk->setDefault(true);
    pOk->setGeometry(MapDialogRect(units, QRect(178, 7, 50, 14)));
    connect(pOk, &QPushButton::clicked, this, &QDialog::accept);
}
