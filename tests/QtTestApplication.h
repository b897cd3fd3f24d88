// One QApplication for a whole test program, made before the first test
// runs (widgets need it) and kept until the last has finished.  The platform
// (offscreen) and the private runtime folder come from the test registration.
// Qt's file dialog keeps its history in QtProject.conf under the user's
// configuration folder: the tests' dialogs keep theirs in a scratch folder,
// removed with the application, instead of leaving it in the user's home.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <memory>

#include "ScratchFolder.h"

class QtTestApplication : public ::testing::Environment {
public:
    void SetUp() override
    {
        m_pConfigFolder = std::make_unique<ScratchFolder>("qt-config");
        setenv("XDG_CONFIG_HOME", m_pConfigFolder->Path().c_str(), 1);
        m_pApplication = std::make_unique<QApplication>(m_nArgc, m_apszArgv);
    }
    void TearDown() override
    {
        m_pApplication.reset();
        m_pConfigFolder.reset();
    }

private:
    std::unique_ptr<ScratchFolder> m_pConfigFolder;
    int m_nArgc = 1;
    char m_szName[16] = "gombrel-test";
    char *m_apszArgv[2] = {m_szName, nullptr};
    std::unique_ptr<QApplication> m_pApplication;
};

// Registers the application before main runs the tests.
inline const ::testing::Environment *const g_pQtTestApplication =
    ::testing::AddGlobalTestEnvironment(new QtTestApplication);
