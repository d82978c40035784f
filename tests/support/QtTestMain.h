#pragma once
#include <QApplication>
#include <QTest>

// A Qt Test program's main, offscreen unless the environment names a platform: the tests run without a display.
#define TARVIK_QTEST_MAIN(TestClass)                                                                                   \
    int main(int argc, char* argv[])                                                                                   \
    {                                                                                                                  \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                            \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                                   \
        QApplication app(argc, argv);                                                                                  \
        TestClass test;                                                                                                \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }
