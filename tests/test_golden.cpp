// SPDX-License-Identifier: GPL-3.0-or-later
#include "headlessdrawing.h"
#include "imagecheck.h"
#include "rasterop.h"
#include "surfaceimages.h"

#include <QDir>
#include <QTest>

#include <initializer_list>
#include <utility>

Q_DECLARE_METATYPE(ParameterTexts)

// Pictures that must never change: figures of several kinds, sizes, pens and
// drawing modes drawn headless and compared pixel for pixel with the images
// kept under data/golden. With VOLUTRA_GOLDEN_WRITE set to a folder, the
// pictures as drawn now are also written there, to be looked at or kept.
class TestGolden : public QObject {
    Q_OBJECT

    static ParameterTexts texts(std::initializer_list<std::pair<ParameterTexts::Index, const char *>> fields)
    {
        ParameterTexts t;
        for (const auto &[index, text] : fields)
            t[index] = text;
        return t;
    }

private slots:
    void pictureStaysAsItWas_data()
    {
        using I = ParameterTexts;
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<ParameterTexts>("figure");
        QTest::addColumn<int>("penWidth");
        QTest::addColumn<int>("mode");
        QTest::addColumn<quint64>("seed");

        const ParameterTexts flower = texts({{I::XAmp, "0.6"}, {I::XFreq, "7"}});
        QTest::newRow("flower") << "flower" << QSize(586, 466) << flower << 1 << int(rasterop::CopyPen)
                                << quint64(1);
        QTest::newRow("powers and folds") << "powers" << QSize(400, 300)
                                          << texts({{I::XAmp, "1.3"},
                                                    {I::XFreq, "/-35"},
                                                    {I::XPwr1, "3"},
                                                    {I::XPwr2, "-2"},
                                                    {I::YPwr1, "/3"}})
                                          << 1 << int(rasterop::CopyPen) << quint64(1);
        QTest::newRow("speed factors and phases") << "speed" << QSize(320, 320)
                                                  << texts({{I::XAmp, "0.8"},
                                                            {I::XFreq, "5"},
                                                            {I::XRot, "-300"},
                                                            {I::XWst, "/-2"},
                                                            {I::YRot, "25"},
                                                            {I::YFreq, "3"}})
                                                  << 1 << int(rasterop::CopyPen) << quint64(1);
        QTest::newRow("small canvas")
            << "small" << QSize(61, 37) << flower << 1 << int(rasterop::CopyPen) << quint64(1);
        QTest::newRow("wide pen") << "widepen" << QSize(300, 240) << flower << 5 << int(rasterop::CopyPen)
                                  << quint64(1);
        QTest::newRow("xor pen") << "xor" << QSize(300, 240) << flower << 3 << int(rasterop::XorPen) << quint64(1);
        QTest::newRow("random figure") << "random" << QSize(360, 280) << ParameterTexts{} << 1
                                       << int(rasterop::MergePen) << quint64(20261209);
    }

    void pictureStaysAsItWas()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(ParameterTexts, figure);
        QFETCH(int, penWidth);
        QFETCH(int, mode);
        QFETCH(quint64, seed);

        headless::Job job;
        job.recipe.typed = figure;
        job.recipe.prefs.penSize = penWidth;
        job.recipe.prefs.drawMode = mode;
        job.recipe.penColor = colors::rgb(255, 200, 40);
        job.recipe.backColor = colors::rgb(20, 30, 90);
        job.seed = seed;
        job.size = size;
        DrawingSurface surface;
        headless::draw(surface, job);
        const QImage picture = surfaceimages::image(surface);

        if (const QString folder = qEnvironmentVariable("VOLUTRA_GOLDEN_WRITE"); !folder.isEmpty())
            QVERIFY(picture.save(QDir(folder).filePath(name + ".png"), "PNG"));
        const QImage golden(
            QDir(qEnvironmentVariable("VOLUTRA_TEST_DATA")).filePath("golden/" + name + ".png"));
        QVERIFY2(!golden.isNull(), qPrintable("no golden image " + name + ".png"));
        COMPARE_IMAGES(picture, golden);
    }
};

QTEST_MAIN(TestGolden)
#include "test_golden.moc"
