// One QApplication for a whole test program, made before the first test
// runs (widgets need it) and kept until the last has finished.  The platform
// (offscreen) and the private runtime folder come from the test registration.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>

#include <memory>

class QtTestApplication : public ::testing::Environment {
public:
    void SetUp() override { m_pApplication = std::make_unique<QApplication>(m_nArgc, m_apszArgv); }
    void TearDown() override { m_pApplication.reset(); }

private:
    int m_nArgc = 1;
    char m_szName[16] = "gombrel-test";
    char *m_apszArgv[2] = {m_szName, nullptr};
    std::unique_ptr<QApplication> m_pApplication;
};

// Registers the application before main runs the tests.
inline const ::testing::Environment *const g_pQtTestApplication =
    ::testing::AddGlobalTestEnvironment(new QtTestApplication);
