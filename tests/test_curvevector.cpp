// SPDX-License-Identifier: GPL-3.0-or-later
#include "curve.h"
#include "curvevector.h"

#include <QTest>

#include <cmath>
#include <vector>

// The four-wide formula against the scalar reference: every point of whole
// figures within one pixel (15 twips), in practice far closer.
class TestCurveVector : public QObject {
    Q_OBJECT
private slots:
    void batchPathsAgree_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("step");
        const auto row = [](const char *name, QStringList texts, int step) {
            while (texts.size() < ParameterTexts::Count)
                texts << QString();
            QTest::newRow(name) << texts << step;
        };
        row("flower", {"0.6", "7"}, 100);
        row("random figure", {}, 100);
        row("powers", {"1.2", "-3", "0.5", "", "3", "/2"}, 100);
        row("negative powers", {"0.8", "5", "", "", "-2", "-0.5"}, 100);
        row("rotation and speed", {"0.4", "/7", "", "", "", "", "", "", "-150", "/-3", "25", "-50"}, 100);
        row("odd step", {"0.9", "11"}, 7);
        row("backwards", {"0.3", "4"}, -333);
        row("tiny divisor", {"2", "1e6"}, 100);
    }
    void batchPathsAgree()
    {
        if (!curve::vector::available())
            QSKIP("this processor has no four-wide path");
        QFETCH(QStringList, texts);
        QFETCH(int, step);
        ParameterTexts parameterTexts;
        for (int i = 0; i < ParameterTexts::Count; ++i)
            parameterTexts.text[i] = texts[i].toStdString();
        CurveParameters parameters = curve::readCurveParameters(parameterTexts);
        RandomSource random(7);
        curve::completeCurveParameters(parameters, 8790, 6990, 1, 1, random);

        // Batches of uneven length, so that the scalar tail of the vector
        // path is covered too.
        const std::size_t count = 4097;
        std::vector<CurvePointF> scalar(count);
        std::vector<CurvePointF> vector(count);
        double worst = 0;
        for (std::int64_t first = 0; std::abs(first) < 6283200; first += std::int64_t(count) * step) {
            const auto start = static_cast<std::int32_t>(first);
            curve::curvePoints(parameters, start, step, count, 50, 50, scalar.data(),
                               curve::BatchPath::Scalar);
            curve::curvePoints(parameters, start, step, count, 50, 50, vector.data(),
                               curve::BatchPath::Vector);
            for (std::size_t i = 0; i < count; ++i) {
                const double dx = std::fabs(double(scalar[i].x) - vector[i].x);
                const double dy = std::fabs(double(scalar[i].y) - vector[i].y);
                if (!(dx <= 15 && dy <= 15))
                    QFAIL(qPrintable(QString("n = %1: scalar (%2, %3), vector (%4, %5)")
                                         .arg(first + std::int64_t(i) * step)
                                         .arg(scalar[i].x)
                                         .arg(scalar[i].y)
                                         .arg(vector[i].x)
                                         .arg(vector[i].y)));
                worst = std::max({worst, dx, dy});
            }
        }
        // The two differ by rounding only.
        QVERIFY2(worst < 0.5, qPrintable(QString::number(worst)));
    }

    void batchEqualsSinglePoints()
    {
        ParameterTexts texts;
        texts[ParameterTexts::XAmp] = "0.6";
        texts[ParameterTexts::XFreq] = "7";
        CurveParameters parameters = curve::readCurveParameters(texts);
        RandomSource random(1);
        curve::completeCurveParameters(parameters, 8790, 6990, 1, 1, random);
        std::vector<CurvePointF> batch(10);
        curve::curvePoints(parameters, 2147483647 - 9 * 1000, 1000, 10, 50, 50, batch.data(),
                           curve::BatchPath::Scalar);
        for (int i = 0; i < 10; ++i) {
            const CurvePointF single = curve::curvePoint(parameters, 2147483647 - (9 - i) * 1000, 50, 50);
            QCOMPARE(batch[i].x, single.x);
            QCOMPARE(batch[i].y, single.y);
        }
    }
};

QTEST_APPLESS_MAIN(TestCurveVector)
#include "test_curvevector.moc"
