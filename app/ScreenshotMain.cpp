// gombrel-screenshot FILE.png: draws the main dialog with two sample folders
// and writes it as a PNG picture, for the documentation.  Uses its own
// settings file in a temporary folder, never the program's.
#include "MainDlg.h"
#include "Settings.h"

#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>

namespace {

const char kSampleSettings[] = "[paths]\nLastDOE2Path=/opt/doe22/\nLastResultsPath=/home/user/Std140/Runs\n";

// A job that is never run: the picture shows the dialog before any run.
ResultsJob NoJob(UserMessages &, RunProgress &)
{
    return [](std::string &, const std::string &, const std::string &, int32_t) { return 0; };
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: gombrel-screenshot FILE.png\n");
        return 2;
    }
    QTemporaryDir settingsFolder;
    const SettingsFile settings(settingsFolder.path().toStdString() + "/" + kSettingsFileName);
    std::ofstream(settings.Path()) << kSampleSettings;

    MainDlgServices services;
    services.makeResultsJob = NoJob;
    services.settings = settings;
    CMainDlg dialog(nullptr, services);
    dialog.show();
    QApplication::processEvents();
    if (!dialog.grab().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "gombrel-screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
