// The About box: the icon, "Gombrel Version 1.0", a short notice and "OK".
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog {
public:
    explicit CAboutDlg(QWidget *pParent = nullptr);
};
