// SPDX-License-Identifier: GPL-3.0-or-later
#include "programmodule.h"

#include <QTest>

// Where the program's modules are looked for, and what a missing one says.
class TestProgramModule : public QObject {
    Q_OBJECT

private slots:
    void places_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("fromProgram");
        QTest::addColumn<QStringList>("places");
        QTest::newRow("installed") << "/usr/bin" << "../lib/x86_64-linux-gnu/volutra"
                                   << QStringList{"/usr/bin/m.so", "/usr/m.so",
                                                  "/usr/lib/x86_64-linux-gnu/volutra/m.so"};
        QTest::newRow("build tree's tests") << "/b/tests" << "../lib/volutra"
                                            << QStringList{"/b/tests/m.so", "/b/m.so", "/b/lib/volutra/m.so"};
        QTest::newRow("no installed folder") << "/opt/v" << "" << QStringList{"/opt/v/m.so", "/opt/m.so"};
        QTest::newRow("installed folder is the one above") << "/p/bin" << ".."
                                                           << QStringList{"/p/bin/m.so", "/p/m.so"};
    }
    void places()
    {
        QFETCH(QString, folder);
        QFETCH(QString, fromProgram);
        QFETCH(QStringList, places);
        QCOMPARE(programmodule::places(folder, "m.so", fromProgram), places);
    }

    void missingModuleSaysWhere()
    {
        QString why;
        QCOMPARE(programmodule::load("volutra-none.so", "entry", why), nullptr);
        QVERIFY2(why.startsWith("volutra-none.so is missing (looked for "), qPrintable(why));
    }
};

QTEST_GUILESS_MAIN(TestProgramModule)
#include "test_programmodule.moc"
