// SPDX-License-Identifier: GPL-3.0-or-later
#include "filesizelimit.h"
#include "parameterfile.h"
#include "testfiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

#include <sys/stat.h>
#include <unistd.h>

using parameterfile::FieldTexts;
using namespace testfiles;

// What makes a write fail after the old file is in place.
enum class Obstacle { ReadOnlyFolder, ReadOnlyFile, FileSizeLimit };
Q_DECLARE_METATYPE(Obstacle)

namespace {

constexpr qsizetype maxLineLength = 16 * 1024 * 1024;

QByteArray joined(const QList<QByteArray> &values, const QByteArray &lineEnd = "\r\n")
{
    QByteArray bytes;
    for (const QByteArray &value : values)
        bytes += value + lineEnd;
    return bytes;
}

// A file as the program would write it, with a distinct value on every line.
QList<QByteArray> sampleLines()
{
    return {"120", "", "3", "", "1.5", "2", "", "", "45", "", "-1", "0.5", " 16777215", " 0"};
}

// The sample file with the line at `index` (counted from 0) replaced.
QByteArray sampleWith(int index, const QByteArray &line)
{
    QList<QByteArray> lines = sampleLines();
    lines[index] = line;
    return joined(lines);
}

// What the reader finds in a file that holds `bytes`.
parameterfile::Contents readFile(const QByteArray &bytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("figure.par"));
    if (!writeBytes(path, bytes))
        qFatal("cannot write %s", qPrintable(path));
    return parameterfile::read(path);
}

QStringList sampleTexts()
{
    return {"120", "", "3", "", "1.5", "2", "", "", "45", "", "-1", "0.5"};
}

QStringList textsOf(const parameterfile::Contents &contents)
{
    return QStringList(contents.texts.begin(), contents.texts.end());
}

QVariant colorOf(const std::optional<colors::Color> &color)
{
    return color ? QVariant(*color) : QVariant();
}

int failureOf(const parameterfile::Contents &contents)
{
    return contents.failure ? contents.failure->number : 0;
}

FieldTexts filledWith(const QString &text)
{
    FieldTexts texts;
    texts.fill(text);
    return texts;
}

} // namespace

class TestParameterFile : public QObject {
    Q_OBJECT
private slots:
    void figure42WrittenByteForByte()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        FieldTexts texts;
        texts[0] = QStringLiteral("120");
        const QString path = dir.filePath(QStringLiteral("figure.par"));
        QVERIFY(!parameterfile::write(path, texts, colors::white, colors::black));
        const QByteArray expected = testData(QStringLiteral("parameters/figure42.par"));
        QCOMPARE(expected.size(), 42);
        QCOMPARE(readBytes(path), expected);
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("figure.par")});
    }

    void figure42ReadBack()
    {
        const auto contents = parameterfile::read(testDataPath(QStringLiteral("parameters/figure42.par")));
        QCOMPARE(failureOf(contents), 0);
        QStringList expected(12);
        expected[0] = QStringLiteral("120");
        QCOMPARE(textsOf(contents), expected);
        QCOMPARE(colorOf(contents.foreground), QVariant(colors::white));
        QCOMPARE(colorOf(contents.background), QVariant(colors::black));
    }

    void fileLengths_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QVariant>("foreground");
        QTest::addColumn<QVariant>("background");
        QTest::addColumn<int>("failure");
        const QList<QByteArray> lines = sampleLines();
        const QStringList texts = sampleTexts();
        QTest::newRow("fourteen lines") << joined(lines) << texts << QVariant(16777215) << QVariant(0) << 0;
        QTest::newRow("last line end missing")
            << joined(lines).chopped(2) << texts << QVariant(16777215) << QVariant(0) << 0;
        QTest::newRow("thirteen lines")
            << joined(lines.mid(0, 13)) << texts << QVariant(16777215) << QVariant() << 62;
        QTest::newRow("five lines") << joined(lines.mid(0, 5)) << texts.mid(0, 5) << QVariant() << QVariant()
                                    << 62;
        QTest::newRow("empty file") << QByteArray() << QStringList() << QVariant() << QVariant() << 62;
        QTest::newRow("one line end only")
            << QByteArray("\r\n") << QStringList{""} << QVariant() << QVariant() << 62;
        QTest::newRow("twenty lines") << joined(lines + QList<QByteArray>{"7", "8", "9", "10", "11", "12"})
                                      << texts << QVariant(16777215) << QVariant(0) << 0;
        QTest::newRow("lines after the fourteenth not converted")
            << joined(lines + QList<QByteArray>{"1e99", "\xff"}) << texts << QVariant(16777215) << QVariant(0)
            << 0;
        QTest::newRow("blank line at the end")
            << joined(lines + QList<QByteArray>{""}) << texts << QVariant(16777215) << QVariant(0) << 0;
    }
    void fileLengths()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, texts);
        QFETCH(QVariant, foreground);
        QFETCH(QVariant, background);
        QFETCH(int, failure);
        const auto contents = readFile(file);
        QCOMPARE(textsOf(contents), texts);
        QCOMPARE(colorOf(contents.foreground), foreground);
        QCOMPARE(colorOf(contents.background), background);
        QCOMPARE(failureOf(contents), failure);
        if (contents.failure)
            QCOMPARE(contents.failure->description, failures::describe(failure));
    }

    void colorLines_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QVariant>("color");
        const QVariant overflow;
        QTest::newRow("blanks around") << QByteArray("  65535  ") << QVariant(65535);
        QTest::newRow("letters only") << QByteArray("black") << QVariant(0);
        QTest::newRow("empty") << QByteArray() << QVariant(0);
        QTest::newRow("half down to even") << QByteArray("254.5") << QVariant(254);
        QTest::newRow("half up to even") << QByteArray("255.5") << QVariant(256);
        QTest::newRow("tab and minus") << QByteArray("\t-5") << QVariant(-5);
        QTest::newRow("comment after") << QByteArray(" 16777215 ' white") << QVariant(16777215);
        QTest::newRow("decimal comma ends") << QByteArray("1,5") << QVariant(1);
        QTest::newRow("lowest") << QByteArray("-2147483648") << QVariant(std::numeric_limits<int>::min());
        QTest::newRow("lowest half to even")
            << QByteArray("-2147483648.5") << QVariant(std::numeric_limits<int>::min());
        QTest::newRow("highest") << QByteArray("2147483647") << QVariant(std::numeric_limits<int>::max());
        QTest::newRow("one past highest") << QByteArray("2147483648") << overflow;
        QTest::newRow("highest half to even") << QByteArray("2147483647.5") << overflow;
        QTest::newRow("one below lowest") << QByteArray("-2147483649") << overflow;
        QTest::newRow("exponent") << QByteArray("1e10") << overflow;
        QTest::newRow("beyond double") << QByteArray("1e400") << overflow;
    }
    void colorLines()
    {
        QFETCH(QByteArray, line);
        QFETCH(QVariant, color);
        auto contents = readFile(sampleWith(12, line));
        QCOMPARE(textsOf(contents), sampleTexts());
        QCOMPARE(colorOf(contents.foreground), color);
        QCOMPARE(colorOf(contents.background), color.isValid() ? QVariant(0) : QVariant());
        QCOMPARE(failureOf(contents), color.isValid() ? 0 : failures::Overflow);

        contents = readFile(sampleWith(13, line));
        QCOMPARE(colorOf(contents.foreground), QVariant(16777215));
        QCOMPARE(colorOf(contents.background), color);
        QCOMPARE(failureOf(contents), color.isValid() ? 0 : failures::Overflow);
    }

    void colorsWritten_data()
    {
        QTest::addColumn<int>("color");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("white") << 16777215 << QByteArray(" 16777215");
        QTest::newRow("zero") << 0 << QByteArray(" 0");
        QTest::newRow("red") << 255 << QByteArray(" 255");
        QTest::newRow("negative") << -5 << QByteArray("-5");
        QTest::newRow("lowest") << std::numeric_limits<int>::min() << QByteArray("-2147483648");
        QTest::newRow("highest") << std::numeric_limits<int>::max() << QByteArray(" 2147483647");
    }
    void colorsWritten()
    {
        QFETCH(int, color);
        QFETCH(QByteArray, line);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("colors.par"));
        QVERIFY(!parameterfile::write(path, FieldTexts{}, color, 65280));
        QCOMPARE(readBytes(path), joined(QList<QByteArray>(12)) + line + "\r\n 65280\r\n");
        QVERIFY(!parameterfile::write(path, FieldTexts{}, 65280, color));
        QVERIFY(readBytes(path).endsWith(" 65280\r\n" + line + "\r\n"));
        const auto contents = parameterfile::read(path);
        QCOMPARE(colorOf(contents.foreground), QVariant(65280));
        QCOMPARE(colorOf(contents.background), QVariant(color));
    }

    void textsRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("decimal comma") << "1,5" << QByteArray("1,5") << "1,5";
        QTest::newRow("quoted") << "\"quoted\"" << QByteArray("\"quoted\"") << "\"quoted\"";
        QTest::newRow("quote and comma inside") << "a\"b,c" << QByteArray("a\"b,c") << "a\"b,c";
        QTest::newRow("leading blanks") << "  12" << QByteArray("  12") << "12";
        QTest::newRow("leading tab") << "\t7" << QByteArray("\t7") << "7";
        QTest::newRow("trailing blanks") << "5  " << QByteArray("5  ") << "5  ";
        QTest::newRow("blanks only") << "   " << QByteArray("   ") << "";
        QTest::newRow("empty") << "" << QByteArray() << "";
        QTest::newRow("non-ASCII") << QString::fromUtf8("\xc3\xa4 \xe2\x82\xac")
                                   << QByteArray("\xc3\xa4 \xe2\x82\xac")
                                   << QString::fromUtf8("\xc3\xa4 \xe2\x82\xac");
    }
    void textsRoundTrip()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, line);
        QFETCH(QString, readBack);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("texts.par"));
        QVERIFY(!parameterfile::write(path, filledWith(text), 1, 2));
        QList<QByteArray> lines(12, line);
        lines << " 1"
              << " 2";
        QCOMPARE(readBytes(path), joined(lines));
        const auto contents = parameterfile::read(path);
        QCOMPARE(failureOf(contents), 0);
        QCOMPARE(textsOf(contents), QStringList(12, readBack));
        QCOMPARE(colorOf(contents.foreground), QVariant(1));
        QCOMPARE(colorOf(contents.background), QVariant(2));
    }

    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("first");
        const QList<QByteArray> lines = sampleLines();
        QTest::newRow("LF only") << joined(lines, "\n") << "120";
        QTest::newRow("CR only") << joined(lines, "\r") << "120";
        QByteArray mixed;
        for (qsizetype i = 0; i < lines.size(); ++i)
            mixed += lines[i] + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r");
        QTest::newRow("mixed") << mixed << "120";
        QTest::newRow("CR only without the last") << joined(lines, "\r").chopped(1) << "120";
        // A CR LF split between two reads is still one line end, and a lone
        // CR at the end of a read is one too.
        for (const qsizetype boundary : {4096, 16384, 65536, 131072}) {
            QList<QByteArray> longFirst = lines;
            longFirst[0] = QByteArray(boundary - 1, 'x');
            QTest::addRow("CR LF at %lld", qlonglong(boundary))
                << joined(longFirst) << QString(boundary - 1, QLatin1Char('x'));
            QTest::addRow("lone CR at %lld", qlonglong(boundary))
                << joined(longFirst, "\r") << QString(boundary - 1, QLatin1Char('x'));
        }
    }
    void lineEnds()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, first);
        const auto contents = readFile(file);
        QCOMPARE(failureOf(contents), 0);
        QStringList expected = sampleTexts();
        expected[0] = first;
        QVERIFY(textsOf(contents) == expected);
        QCOMPARE(colorOf(contents.foreground), QVariant(16777215));
        QCOMPARE(colorOf(contents.background), QVariant(0));
    }

    void textEncodings_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("text");
        QTest::newRow("ASCII") << QByteArray("1.5") << "1.5";
        QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9") << QString::fromUtf8("caf\xc3\xa9");
        QTest::newRow("Latin-1 byte") << QByteArray("caf\xe9") << QString::fromUtf8("caf\xc3\xa9");
        QTest::newRow("cut UTF-8 sequence") << QByteArray("\xc3") << QString::fromUtf8("\xc3\x83");
        QTest::newRow("bytes never in UTF-8")
            << QByteArray("\xff\xfe") << QString::fromUtf8("\xc3\xbf\xc3\xbe");
        QTest::newRow("three-byte UTF-8") << QByteArray("\xe2\x82\xac") << QString::fromUtf8("\xe2\x82\xac");
    }
    void textEncodings()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, text);
        const auto contents = readFile(sampleWith(4, line));
        QCOMPARE(failureOf(contents), 0);
        QCOMPARE(contents.texts.at(4), text);
        QCOMPARE(contents.texts.at(5), QStringLiteral("2"));
    }

    void readFailures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("failure");
        QTest::newRow("missing folder") << "missing/figure.par" << failures::PathNotFound;
        QTest::newRow("missing file") << "figure.par" << failures::FileNotFound;
    }
    void readFailures()
    {
        QFETCH(QString, name);
        QFETCH(int, failure);
        QTemporaryDir dir;
        const auto contents = parameterfile::read(dir.filePath(name));
        QCOMPARE(failureOf(contents), failure);
        QCOMPARE(contents.failure->description, failures::describe(failure));
        QVERIFY(contents.texts.empty());
        QVERIFY(!contents.foreground && !contents.background);
    }

    void writeToMissingFolder()
    {
        QTemporaryDir dir;
        const auto failure =
            parameterfile::write(dir.filePath(QStringLiteral("missing/figure.par")), filledWith("1"), 0, 0);
        QVERIFY(failure);
        QCOMPARE(failure->number, failures::PathNotFound);
        QVERIFY(entries(dir.path()).isEmpty());
    }

    void writeToFolderName()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("figure.par")));
        const auto failure =
            parameterfile::write(dir.filePath(QStringLiteral("figure.par")), filledWith("1"), 0, 0);
        QVERIFY(failure);
        QCOMPARE(failure->number, failures::AccessError);
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("figure.par"))).isDir());
    }

    void writeToFullDevice()
    {
        struct stat before {};
        if (stat("/dev/full", &before) != 0 || !S_ISCHR(before.st_mode))
            QSKIP("no /dev/full on this machine");
        const auto failure = parameterfile::write(QStringLiteral("/dev/full"), filledWith("1"), 0, 0);
        QVERIFY(failure);
        QCOMPARE(failure->number, failures::DiskFull);
        QCOMPARE(failure->description, QStringLiteral("Disk full"));
        // The device is written in place, never replaced by a file.
        struct stat after {};
        QCOMPARE(stat("/dev/full", &after), 0);
        QVERIFY(S_ISCHR(after.st_mode));
        QCOMPARE(after.st_rdev, before.st_rdev);
    }

    void failedWriteKeepsOldFile_data()
    {
        QTest::addColumn<Obstacle>("obstacle");
        QTest::addColumn<int>("failure");
        QTest::newRow("read-only folder") << Obstacle::ReadOnlyFolder << failures::PermissionDenied;
        QTest::newRow("read-only file") << Obstacle::ReadOnlyFile << failures::PermissionDenied;
        QTest::newRow("file size limit") << Obstacle::FileSizeLimit << failures::DiskFull;
    }
    void failedWriteKeepsOldFile()
    {
        QFETCH(Obstacle, obstacle);
        QFETCH(int, failure);
        if (obstacle != Obstacle::FileSizeLimit && geteuid() == 0)
            QSKIP("root ignores permissions");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.par"));
        const QByteArray old = joined(sampleLines());
        QVERIFY(writeBytes(path, old));

        const auto readWrite = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        std::optional<Failure> result;
        switch (obstacle) {
        case Obstacle::ReadOnlyFolder:
            QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
            result = parameterfile::write(path, filledWith("9"), 1, 2);
            QVERIFY(QFile::setPermissions(dir.path(), readWrite));
            break;
        case Obstacle::ReadOnlyFile:
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
            result = parameterfile::write(path, filledWith("9"), 1, 2);
            QVERIFY(QFile::setPermissions(path, readWrite));
            break;
        case Obstacle::FileSizeLimit: {
            const FileSizeLimit limit(10);
            result = parameterfile::write(path, filledWith("9"), 1, 2);
            break;
        }
        }
        QVERIFY(result);
        QCOMPARE(result->number, failure);
        QCOMPARE(readBytes(path), old);
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("old.par")});
    }

    void writeReplacesLongerFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("figure.par"));
        QVERIFY(writeBytes(path, QByteArray(500, 'z')));
        FieldTexts texts;
        texts[0] = QStringLiteral("120");
        QVERIFY(!parameterfile::write(path, texts, colors::white, colors::black));
        QCOMPARE(readBytes(path), testData(QStringLiteral("parameters/figure42.par")));
    }

    void longLines_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<qsizetype>("length");
        QTest::addColumn<QByteArray>("lineEnd");
        QTest::addColumn<int>("failure");
        QTest::newRow("at the limit") << 2 << maxLineLength << QByteArray("\r\n") << 0;
        QTest::newRow("one byte over")
            << 2 << maxLineLength + 1 << QByteArray("\r\n") << failures::OutOfMemory;
        QTest::newRow("over, last line of the file")
            << 12 << maxLineLength + 1 << QByteArray() << failures::OutOfMemory;
    }
    void longLines()
    {
        QFETCH(int, index);
        QFETCH(qsizetype, length);
        QFETCH(QByteArray, lineEnd);
        QFETCH(int, failure);
        QByteArray file = joined(sampleLines().mid(0, index)) + QByteArray(length, '7') + lineEnd;
        if (!lineEnd.isEmpty())
            file += joined(sampleLines().mid(index + 1));
        const auto contents = readFile(file);
        QCOMPARE(failureOf(contents), failure);
        if (failure == 0) {
            QCOMPARE(contents.texts.size(), std::size_t(12));
            QCOMPARE(contents.texts.at(index).size(), length);
            QCOMPARE(contents.texts.at(index + 1), sampleTexts().at(index + 1));
        } else {
            QCOMPARE(contents.failure->description, QStringLiteral("Out of memory"));
            QCOMPARE(textsOf(contents), sampleTexts().mid(0, index));
            QVERIFY(!contents.foreground);
        }
    }

    void hugeFileReadsOnlyWhatItNeeds()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("huge.par"));
        QVERIFY(writeBytes(path, joined(sampleLines())));
        // Sparse: gigabytes of zero bytes after the fourteen lines, without
        // a single line end.
        QVERIFY(QFile::resize(path, qint64(3) << 30));
        const auto contents = parameterfile::read(path);
        QCOMPARE(failureOf(contents), 0);
        QCOMPARE(textsOf(contents), sampleTexts());
        QCOMPARE(colorOf(contents.background), QVariant(0));
    }

    void bytesAreWhatWriteWrites()
    {
        FieldTexts texts;
        texts[0] = QStringLiteral("120");
        QCOMPARE(parameterfile::bytes(texts, colors::white, colors::black),
                 testData(QStringLiteral("parameters/figure42.par")));
    }

    void readFromDevice()
    {
        QByteArray bytes = joined(sampleLines());
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        const auto contents = parameterfile::read(buffer, QStringLiteral("buffer.par"));
        QCOMPARE(failureOf(contents), 0);
        QCOMPARE(textsOf(contents), sampleTexts());
        QCOMPARE(colorOf(contents.foreground), QVariant(16777215));
        QCOMPARE(colorOf(contents.background), QVariant(0));
    }

    // A device that is not a file can only report a device error.
    void readFromClosedDevice()
    {
        QBuffer buffer;
        QTest::ignoreMessage(QtWarningMsg, "QIODevice::read (QBuffer): device not open");
        const auto contents = parameterfile::read(buffer, QStringLiteral("buffer.par"));
        QCOMPARE(failureOf(contents), failures::DeviceError);
        QVERIFY(contents.texts.empty());
    }
};

QTEST_APPLESS_MAIN(TestParameterFile)
#include "test_parameterfile.moc"
