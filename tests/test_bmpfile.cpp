// SPDX-License-Identifier: GPL-3.0-or-later
#include "bmpfile.h"
#include "datatable.h"
#include "imageview.h"
#include "safesave.h"
#include "testfiles.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

// The streamed bitmap writer against Qt's own: the same bytes for odd row
// paddings and every pixel format, the same failures.
class TestBmpFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    // A pattern with every channel varying, so that a swapped or shifted
    // byte shows.
    static QImage pattern(QSize size, QImage::Format format)
    {
        QImage image(size, QImage::Format_ARGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y, qRgba(x * 37 + y, y * 11 + 3, (x ^ y) * 5, 255 - x - y));
        return image.convertToFormat(format);
    }

    static QByteArray qtBitmap(const QImage &image)
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        return image.save(&buffer, "BMP") ? bytes : QByteArray();
    }

private slots:
    void bytesAreQtsOwn_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<int>("dotsPerMeter");

        for (const QSize size :
             {QSize(1, 1), QSize(2, 3), QSize(3, 2), QSize(4, 5), QSize(7, 1), QSize(1, 9), QSize(586, 466)})
            QTest::addRow("%dx%d", size.width(), size.height()) << size << QImage::Format_RGB32 << 0;
        QTest::newRow("alpha") << QSize(5, 3) << QImage::Format_ARGB32 << 0;
        QTest::newRow("premultiplied") << QSize(5, 3) << QImage::Format_ARGB32_Premultiplied << 0;
        QTest::newRow("16 bits") << QSize(6, 2) << QImage::Format_RGB16 << 0;
        QTest::newRow("bytes in RGBA order") << QSize(3, 3) << QImage::Format_RGBA8888 << 0;
        QTest::newRow("own resolution") << QSize(3, 3) << QImage::Format_RGB32 << 5905;
        // Rows spread over several blocks, the last one shorter.
        QTest::newRow("many blocks") << QSize(1001, 1300) << QImage::Format_RGB32 << 0;
    }

    void bytesAreQtsOwn()
    {
        QFETCH(QSize, size);
        QFETCH(QImage::Format, format);
        QFETCH(int, dotsPerMeter);
        QImage image = pattern(size, format);
        if (dotsPerMeter) {
            image.setDotsPerMeterX(dotsPerMeter);
            image.setDotsPerMeterY(dotsPerMeter + 1);
        }
        const QString path = dir.filePath("out.bmp");
        QCOMPARE(bmpfile::write(path, image).has_value(), false);
        const QByteArray expected = qtBitmap(image);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(testfiles::readBytes(path), expected);
    }

    // The corner of larger rows, as the surface hands out its client area.
    void cornerOfLargerRows()
    {
        const QImage image = pattern(QSize(13, 7), QImage::Format_RGB32);
        const QString path = dir.filePath("corner.bmp");
        const PixelRows corner = imageview::rowsOf(image).corner(QSize(6, 5));
        QCOMPARE(bmpfile::write(path, corner, 3780, 3780).has_value(), false);
        QImage expected = image.copy(0, 0, 6, 5);
        expected.setDotsPerMeterX(3780);
        expected.setDotsPerMeterY(3780);
        QCOMPARE(testfiles::readBytes(path), qtBitmap(expected));
    }

    // The same number and description as the bytes written whole would give.
    void failsAsAWholeWriteDoes_data()
    {
        oneColumnTable<QString>(
            "path", {{"/dev/full", "/dev/full"}, {"missing folder", "missing/out.bmp"}, {"a folder", "."}});
    }

    void failsAsAWholeWriteDoes()
    {
        QFETCH(QString, path);
        const QString target = path.startsWith('/') ? path : dir.filePath(path);
        const QImage image = pattern(QSize(9, 4), QImage::Format_RGB32);
        const auto whole = safesave::writeFile(target, qtBitmap(image));
        const auto streamed = bmpfile::write(target, image);
        QVERIFY(whole && streamed);
        QCOMPARE(streamed->number, whole->number);
        QCOMPARE(streamed->description, whole->description);
    }

    // Qt writes no bitmap of an empty image, and neither may the stream.
    void emptyImageIsRefusedAndTheOldFileKept()
    {
        const QString path = dir.filePath("kept.bmp");
        QVERIFY(testfiles::writeBytes(path, "old"));
        const auto failure = bmpfile::write(path, QImage());
        QVERIFY(failure);
        QCOMPARE(failure->number, failures::InvalidPicture);
        QCOMPARE(testfiles::readBytes(path), QByteArray("old"));
    }
};

QTEST_MAIN(TestBmpFile)
#include "test_bmpfile.moc"
