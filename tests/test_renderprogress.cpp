// SPDX-License-Identifier: GPL-3.0-or-later
#include "renderprogress.h"

#include <QTest>

// The progress line: silent for the first second, then percent, points and
// time left a few times a second, cleared at the end.
class TestRenderProgress : public QObject {
    Q_OBJECT

private slots:
    void showsAfterASecond_data()
    {
        QTest::addColumn<QList<double>>("times");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QByteArray>("last");
        // 1000 points of step 10; each time reaches 100 points more.
        QTest::newRow("short render") << QList<double>{0.2, 0.5, 0.9} << 0 << QByteArray();
        QTest::newRow("after a second")
            << QList<double>{0.5, 1.0} << 1
            << QByteArray("\rvolutra-render: 20% 200 of 1000 points, 4 s left\033[K");
        QTest::newRow("redrawn at most four times a second")
            << QList<double>{1.0, 1.1, 1.2, 1.3} << 2
            << QByteArray("\rvolutra-render: 40% 400 of 1000 points, 2 s left\033[K");
        QTest::newRow("at the start") << QList<double>{} << 0 << QByteArray();
    }
    void showsAfterASecond()
    {
        QFETCH(QList<double>, times);
        QFETCH(int, lines);
        QFETCH(QByteArray, last);
        double now = 0;
        QList<QByteArray> written;
        RenderProgress progress(
            1000, 10, [&written](const QByteArray &text) { written << text; }, [&now] { return now; });
        std::int64_t counter = 0;
        for (const double time : times) {
            now = time;
            counter += 1000;
            progress.reached(counter);
        }
        QCOMPARE(written.size(), lines);
        QCOMPARE(progress.shown(), lines > 0);
        if (lines > 0)
            QCOMPARE(written.last(), last);
        progress.finish();
        QCOMPARE(written.size(), lines > 0 ? lines + 1 : 0);
        if (lines > 0)
            QCOMPARE(written.last(), QByteArray("\r\033[K"));
        QVERIFY(!progress.shown());
    }
};

QTEST_GUILESS_MAIN(TestRenderProgress)
#include "test_renderprogress.moc"
