// SPDX-License-Identifier: GPL-3.0-or-later
#include "datatable.h"
#include "imageview.h"
#include "jpegfile.h"
#include "safesave.h"
#include "testfiles.h"

#include <QBuffer>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

// The JPEG writer against Qt's own on the same library: the same bytes at the
// same quality and resolution, the same failures.
class TestJpegFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    static QImage pattern(QSize size)
    {
        QImage image(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y, qRgb(x * 37 + y, y * 11 + 3, (x ^ y) * 5));
        // 96 dots an inch.
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        return image;
    }

    static QByteArray qtJpeg(const QImage &image, int quality)
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(quality);
        return writer.write(image) ? bytes : QByteArray();
    }

private slots:
    void bytesAreQtsOwn_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("quality");
        QTest::newRow("1x1") << QSize(1, 1) << 92;
        QTest::newRow("odd sides") << QSize(17, 9) << 92;
        QTest::newRow("canvas") << QSize(586, 466) << 92;
        QTest::newRow("low quality") << QSize(40, 30) << 20;
    }

    void bytesAreQtsOwn()
    {
        QFETCH(QSize, size);
        QFETCH(int, quality);
        const QImage image = pattern(size);
        const QString path = dir.filePath("out.jpg");
        QCOMPARE(jpegfile::write(path, imageview::rowsOf(image), quality, 96).has_value(), false);
        const QByteArray expected = qtJpeg(image, quality);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(testfiles::readBytes(path), expected);
    }

    void failsAsAWholeWriteDoes_data()
    {
        oneColumnTable<QString>("path", {{"/dev/full", "/dev/full"}, {"missing folder", "missing/out.jpg"}});
    }

    void failsAsAWholeWriteDoes()
    {
        QFETCH(QString, path);
        const QString target = path.startsWith('/') ? path : dir.filePath(path);
        const QImage image = pattern(QSize(300, 200));
        const auto whole = safesave::writeFile(target, qtJpeg(image, 92));
        const auto streamed = jpegfile::write(target, imageview::rowsOf(image), 92, 96);
        QVERIFY(whole && streamed);
        QCOMPARE(streamed->number, whole->number);
        QCOMPARE(streamed->description, whole->description);
    }
};

QTEST_MAIN(TestJpegFile)
#include "test_jpegfile.moc"
