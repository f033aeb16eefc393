// SPDX-License-Identifier: GPL-3.0-or-later
#include "filesizelimit.h"
#include "formfixture.h"
#include "imagecheck.h"
#include "surfaceimages.h"
#include "testfiles.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// Saving into a full disk, a read-only or a missing folder, and loading
// truncated, empty, oversized and mislabelled files: the designed message or
// silence, old files intact, nothing applied beyond what the file gave. Named
// pipes and endless devices must neither hold the program up nor fill its
// memory.

using namespace formtest;
using namespace testfiles;
using imagecheck::filled;

namespace {

// NewFileSizeLimit: a disk that fills up while a file is written that did
// not exist before.
enum class Fault { DevFull, FileSizeLimit, NewFileSizeLimit, ReadOnlyFolder, MissingFolder, DeviceLink };

bool isCharacterDevice(const char *path)
{
    struct stat info = {};
    return ::stat(path, &info) == 0 && S_ISCHR(info.st_mode);
}

// The bytes of a literal that may hold NUL characters, without its end.
template <std::size_t N> QByteArray literal(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

// Makes a folder read-only for as long as it lives.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString &path) : path_(path)
    {
        ok_ = QFile::setPermissions(path_, QFile::ReadOwner | QFile::ExeOwner);
    }
    ~ReadOnlyFolder()
    {
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;
    bool ok() const { return ok_; }

private:
    QString path_;
    bool ok_ = false;
};

// Opens the other end of a named pipe from a second thread after a while,
// should the program still be waiting for it then: the test fails instead of
// hanging. A program that reads gets the end of the file at once; one that
// writes has what it writes taken until the watchdog is finished.
class PipeWatchdog {
public:
    enum class ProgramEnd { Reads, Writes };

    PipeWatchdog(const QString &path, ProgramEnd end) : path_(QFile::encodeName(path)), end_(end)
    {
        thread_ = std::thread([this] { watch(); });
    }
    ~PipeWatchdog() { finish(); }
    PipeWatchdog(const PipeWatchdog &) = delete;
    PipeWatchdog &operator=(const PipeWatchdog &) = delete;

    // Whether the program had to be let go; ends the watch.
    bool rescued()
    {
        finish();
        return rescued_;
    }

private:
    void finish()
    {
        if (!thread_.joinable())
            return;
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    // Waits `duration` or until finished; true when finished.
    bool finishedAfter(std::chrono::milliseconds duration)
    {
        std::unique_lock lock(mutex_);
        return wake_.wait_for(lock, duration, [this] { return done_; });
    }

    void watch()
    {
        if (finishedAfter(std::chrono::seconds(3)))
            return;
        rescued_ = true;
        if (end_ == ProgramEnd::Reads) {
            // Possible only once the program waits as a reader.
            for (;;) {
                const int fd = ::open(path_.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) {
                    ::close(fd);
                    return;
                }
                if (finishedAfter(std::chrono::milliseconds(20)))
                    return;
            }
        }
        const int fd = ::open(path_.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        char sink[65536];
        while (fd >= 0 && !finishedAfter(std::chrono::milliseconds(5))) {
            while (::read(fd, sink, sizeof sink) > 0) {
            }
        }
        if (fd >= 0)
            ::close(fd);
    }

    QByteArray path_;
    ProgramEnd end_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    bool rescued_ = false;
};

bool makePipe(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// A parameter file of the fourteen lines "v1" to "v12" and two colours.
QByteArray parameterFile()
{
    QByteArray bytes;
    for (int i = 1; i <= 12; ++i)
        bytes += "v" + QByteArray::number(i) + "\r\n";
    return bytes + " 255\r\n 65280\r\n";
}

QByteArray bitmapBytes(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// A bitmap header that claims 100000 by 100000 pixels of 24 bits.
QByteArray hugeBitmapHeader()
{
    QByteArray bytes(54, '\0');
    const auto put32 = [&bytes](int at, quint32 value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = char((value >> (8 * i)) & 0xff);
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, 54 + 16);
    put32(10, 54);
    put32(14, 40);
    put32(18, 100000);
    put32(22, 100000);
    bytes[26] = 1;
    bytes[28] = 24;
    return bytes + QByteArray(16, '\x7f');
}

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestFileFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void saveSettingsFails_data();
    void saveSettingsFails();
    void saveFileFails_data();
    void saveFileFails();
    void loadParameterFaults_data();
    void loadParameterFaults();
    void oversizedParameterFileReadsQuickly();
    void loadBitmapFaults_data();
    void loadBitmapFaults();
    void settingsFileIsFolder();
    void hugeSettingsFile();
    void settingsFileWithNulBytes();
    void settingsFileWithInvalidUtf8();
    void settingsFileIsPipe();
    void loadFromPipe_data();
    void loadFromPipe();
    void saveIntoPipe_data();
    void saveIntoPipe();
    void loadEndlessOrHugeFile_data();
    void loadEndlessOrHugeFile();
};

void TestFileFaults::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    // A watchdog that lets a writer go may close the pipe on it.
    std::signal(SIGPIPE, SIG_IGN);
    QVERIFY(isCharacterDevice("/dev/full"));
}

void TestFileFaults::saveSettingsFails_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("error");
    QTest::newRow("/dev/full") << Fault::DevFull << failures::DiskFull;
    QTest::newRow("full disk") << Fault::FileSizeLimit << failures::DiskFull;
    QTest::newRow("read-only folder") << Fault::ReadOnlyFolder << failures::PermissionDenied;
    QTest::newRow("missing folder") << Fault::MissingFolder << failures::PathNotFound;
    QTest::newRow("link to /dev/full") << Fault::DeviceLink << failures::DiskFull;
}

void TestFileFaults::saveSettingsFails()
{
    QFETCH(Fault, fault);
    QFETCH(int, error);
    if (fault == Fault::ReadOnlyFolder && ::geteuid() == 0)
        QSKIP("root writes into read-only folders");
    FormFixture fixture{FormFixture::NotStarted()};
    const QString folder = fixture.dir.filePath("settings");
    QVERIFY(QDir().mkpath(folder));
    QString path = folder + "/voludef.txt";
    switch (fault) {
    case Fault::DevFull: path = "/dev/full"; break;
    case Fault::MissingFolder: path = fixture.dir.filePath("missing/voludef.txt"); break;
    case Fault::DeviceLink: QVERIFY(QFile::link("/dev/full", path)); break;
    default: break;
    }
    // An earlier file of the program, with values of its own.
    const QByteArray old = testData("settings/changed.txt");
    QVERIFY(!old.isEmpty());
    if (fault == Fault::FileSizeLimit || fault == Fault::ReadOnlyFolder)
        QVERIFY(writeBytes(path, old));
    const QStringList before = entries(folder);

    Form1 &form = fixture.start(path);
    QSignalSpy ending(&form, &Form1::programEnding);
    // Something to save that differs from the old file.
    form.state().prefs.stepSize = 7;
    fixture.dialogs.queueMessage(Dialogs::Answer::Yes);
    fixture.dialogs.queueMessage(Dialogs::Answer::Ok);
    {
        std::unique_ptr<FileSizeLimit> limit;
        std::unique_ptr<ReadOnlyFolder> readOnly;
        if (fault == Fault::FileSizeLimit) {
            limit = std::make_unique<FileSizeLimit>(old.size() / 3);
            QVERIFY(limit->ok());
        }
        if (fault == Fault::ReadOnlyFolder) {
            readOnly = std::make_unique<ReadOnlyFolder>(folder);
            QVERIFY(readOnly->ok());
        }
        click(form.Frame1->Command2);
    }

    VERIFY_ASKED(fixture.dialogs, "Could not save settings: \r\n" + failures::describe(error), {"message"});
    QCOMPARE(fixture.dialogs.messages()[0].text, QStringLiteral("Do you wish to save settings?"));
    // The program stays open.
    QVERIFY(!form.programEnded());
    QCOMPARE(ending.count(), 0);
    QVERIFY(form.isVisible());
    // The old file is as it was and no temporary file is left behind.
    if (fault == Fault::FileSizeLimit || fault == Fault::ReadOnlyFolder)
        QCOMPARE(readBytes(path), old);
    QCOMPARE(entries(folder), before);
    QVERIFY(!QFileInfo::exists(fixture.dir.filePath("missing")));
    QVERIFY(isCharacterDevice("/dev/full"));
    if (fault == Fault::DeviceLink)
        QCOMPARE(QFileInfo(path).symLinkTarget(), QStringLiteral("/dev/full"));
}

void TestFileFaults::saveFileFails_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("name");
    // 0 for a failure that ends silently.
    QTest::addColumn<int>("error");
    for (const char *name : {"figure.par", "picture.bmp"}) {
        QTest::addRow("full disk, %s", name) << Fault::FileSizeLimit << QString(name) << failures::DiskFull;
        QTest::addRow("full disk, new %s", name)
            << Fault::NewFileSizeLimit << QString(name) << failures::DiskFull;
        QTest::addRow("read-only folder, %s", name)
            << Fault::ReadOnlyFolder << QString(name) << failures::PermissionDenied;
        QTest::addRow("missing folder, %s", name) << Fault::MissingFolder << QString(name) << 0;
        QTest::addRow("link to /dev/full, %s", name)
            << Fault::DeviceLink << QString(name) << failures::DiskFull;
    }
}

void TestFileFaults::saveFileFails()
{
    QFETCH(Fault, fault);
    QFETCH(QString, name);
    QFETCH(int, error);
    if (fault == Fault::ReadOnlyFolder && ::geteuid() == 0)
        QSKIP("root writes into read-only folders");
    FormFixture fixture{FormFixture::NotStarted()};
    const QString folder = fixture.dir.filePath("files");
    QVERIFY(QDir().mkpath(folder));
    const QString path =
        fault == Fault::MissingFolder ? fixture.dir.filePath("missing/" + name) : folder + "/" + name;
    const QByteArray old = "the old file, which must survive\r\n";
    if (fault == Fault::DeviceLink)
        QVERIFY(QFile::link("/dev/full", path));
    else if (fault != Fault::MissingFolder && fault != Fault::NewFileSizeLimit)
        QVERIFY(writeBytes(path, old));
    const QStringList before = entries(folder);

    Form1 &form = fixture.start();
    form.Frame1->Check2->setChecked(true);
    // A parameter file far longer than the limit below.
    field(form, "Text1")->setText(QString(8000, 'x'));
    field(form, "Text2")->setText("7");
    fixture.dialogs.queueFile(path);
    if (error != 0)
        fixture.dialogs.queueMessage(Dialogs::Answer::Ok);
    {
        std::unique_ptr<FileSizeLimit> limit;
        std::unique_ptr<ReadOnlyFolder> readOnly;
        if (fault == Fault::FileSizeLimit || fault == Fault::NewFileSizeLimit) {
            limit = std::make_unique<FileSizeLimit>(4096);
            QVERIFY(limit->ok());
        }
        if (fault == Fault::ReadOnlyFolder) {
            readOnly = std::make_unique<ReadOnlyFolder>(folder);
            QVERIFY(readOnly->ok());
        }
        click(form.Frame1->Command4);
    }

    VERIFY_ASKED(fixture.dialogs, error ? fileError("save", error) : QString(), {"chooseFile"});
    if (fault == Fault::FileSizeLimit || fault == Fault::ReadOnlyFolder)
        QCOMPARE(readBytes(path), old);
    QCOMPARE(entries(folder), before);
    QVERIFY(!QFileInfo::exists(fixture.dir.filePath("missing")));
    QVERIFY(isCharacterDevice("/dev/full"));
    if (fault == Fault::DeviceLink)
        QCOMPARE(QFileInfo(path).symLinkTarget(), QStringLiteral("/dev/full"));
    QCOMPARE(field(form, "Text2")->text(), QStringLiteral("7"));
}

void TestFileFaults::loadParameterFaults_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("error");
    // How many of the fourteen values the load applies.
    QTest::addColumn<int>("applied");
    // The last text applied, when it is not the whole line.
    QTest::addColumn<QString>("lastText");

    const QByteArray whole = parameterFile();
    const qsizetype seventhEnd = whole.indexOf("v8");
    QTest::newRow("cut after seven lines")
        << whole.left(seventhEnd) << failures::PastEndOfFile << 7 << QString();
    QTest::newRow("cut inside the eighth line")
        << whole.left(seventhEnd + 1) << failures::PastEndOfFile << 8 << QString("v");
    QTest::newRow("cut inside a line end")
        << whole.left(seventhEnd - 1) << failures::PastEndOfFile << 7 << QString();
    QTest::newRow("thirteen lines") << whole.left(whole.indexOf(" 65280")) << failures::PastEndOfFile << 13
                                    << QString();
    QTest::newRow("empty") << QByteArray() << failures::PastEndOfFile << 0 << QString();
    QTest::newRow("a single line of 20 MB")
        << QByteArray(20 << 20, '7') << failures::OutOfMemory << 0 << QString();
    QTest::newRow("a line of 20 MB after five lines")
        << whole.left(whole.indexOf("v6")) + QByteArray(20 << 20, 'z') + "\r\n"
        << failures::OutOfMemory << 5 << QString();
    QTest::newRow("colour beyond 32 bits") << whole.left(whole.indexOf(" 255")) + "99999999999\r\n 0\r\n"
                                           << failures::Overflow << 12 << QString();
    QTest::newRow("NUL bytes") << literal("v1\0x\r\n") + whole.mid(4) << 0 << 14 << QString();
}

void TestFileFaults::loadParameterFaults()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, error);
    QFETCH(int, applied);
    QFETCH(QString, lastText);
    FormFixture fixture{FormFixture::NotStarted()};
    const QString path = fixture.dir.filePath("figure.par");
    QVERIFY(writeBytes(path, bytes));

    Form1 &form = fixture.start();
    fillFields(form);
    form.state().foregroundColor = colors::rgb(1, 2, 3);
    fixture.dialogs.queueFile(path);
    if (error != 0)
        fixture.dialogs.queueMessage(Dialogs::Answer::Ok);
    QElapsedTimer elapsed;
    elapsed.start();

    click(form.Frame1->Command5);

    QVERIFY2(elapsed.elapsed() < 5000, qPrintable(QString::number(elapsed.elapsed())));
    VERIFY_ASKED(fixture.dialogs, error ? fileError("load", error) : QString(), {"chooseFile"});
    const QList<QByteArray> lines = parameterFile().split('\n');
    for (int i = 0; i < 12; ++i) {
        QString expected = fileOrder[i];
        if (i < applied)
            expected =
                i == applied - 1 && !lastText.isNull() ? lastText : QString::fromLatin1(lines[i].trimmed());
        if (error == 0 && i == 0)
            expected = QStringLiteral("v1") + QChar(0) + "x";
        QCOMPARE(field(form, fileOrder[i])->text(), expected);
    }
    QCOMPARE(form.state().foregroundColor, applied >= 13 ? 255 : colors::rgb(1, 2, 3));
    QCOMPARE(form.state().backgroundColor, applied >= 14 ? 65280 : colors::black);
    QCOMPARE(form.surface().backColor(), form.state().backgroundColor);
}

void TestFileFaults::oversizedParameterFileReadsQuickly()
{
    FormFixture fixture{FormFixture::NotStarted()};
    const QString path = fixture.dir.filePath("figure.par");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write(parameterFile()) > 0);
        const QByteArray junk = QByteArray("junk that no reader needs\r\n").repeated(40000);
        while (file.size() < (50 << 20))
            QCOMPARE(file.write(junk), junk.size());
    }
    Form1 &form = fixture.start();
    fillFields(form);
    fixture.dialogs.queueFile(path);
    QElapsedTimer elapsed;
    elapsed.start();

    click(form.Frame1->Command5);

    QVERIFY2(elapsed.elapsed() < 1000, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(fixture.dialogs.calls(), QStringList{"chooseFile"});
    for (int i = 0; i < 12; ++i)
        QCOMPARE(field(form, fileOrder[i])->text(), "v" + QString::number(i + 1));
    QCOMPARE(form.state().foregroundColor, 255);
    QCOMPARE(form.state().backgroundColor, 65280);
}

void TestFileFaults::loadBitmapFaults_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QImage picture = filled(QSize(64, 48), Qt::red);
    const QByteArray bmp = bitmapBytes(picture, "BMP");
    QTest::newRow("PNG named .bmp") << bitmapBytes(picture, "PNG");
    QTest::newRow("text named .bmp") << QByteArray("Just some text, no picture at all.\r\n");
    QTest::newRow("truncated bitmap") << bmp.left(bmp.size() / 2);
    QTest::newRow("bitmap header only") << bmp.left(54);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("100000 by 100000 pixels") << hugeBitmapHeader();
}

void TestFileFaults::loadBitmapFaults()
{
    QFETCH(QByteArray, bytes);
    FormFixture fixture{FormFixture::NotStarted()};
    const QString good = fixture.dir.filePath("good.bmp");
    QImage first = filled(QSize(40, 30), Qt::blue);
    first.setPixelColor(39, 29, Qt::green);
    QVERIFY(first.save(good, "BMP"));
    const QString bad = fixture.dir.filePath("bad.bmp");
    QVERIFY(writeBytes(bad, bytes));

    Form1 &form = fixture.start();
    form.Frame1->Check2->setChecked(true);
    fixture.dialogs.queueFile(good);
    click(form.Frame1->Command5);
    COMPARE_IMAGES(surfaceimages::picture(form.surface()), first);
    fillFields(form);
    form.state().foregroundColor = colors::rgb(1, 2, 3);
    form.state().backgroundColor = colors::rgb(4, 5, 6);
    const QImage shown = surfaceimages::screenImage(form.surface()).copy();
    fixture.dialogs.queueFile(bad);
    fixture.dialogs.queueMessage(Dialogs::Answer::Ok);

    click(form.Frame1->Command5);

    VERIFY_ASKED(fixture.dialogs, fileError("load", failures::InvalidPicture), {"chooseFile", "chooseFile"});
    COMPARE_IMAGES(surfaceimages::picture(form.surface()), first);
    QCOMPARE(fieldTexts(form), fieldNames);
    QCOMPARE(form.state().foregroundColor, colors::rgb(1, 2, 3));
    QCOMPARE(form.state().backgroundColor, colors::rgb(4, 5, 6));
    QVERIFY(form.surface().autoRedraw());
    // Only the progress bar's clearing line touched the screen.
    const QRect canvasPart(0, 0, form.Frame1->x(), form.height());
    COMPARE_IMAGES(surfaceimages::screenImage(form.surface()).copy(canvasPart), shown.copy(canvasPart));
}

void TestFileFaults::settingsFileIsFolder()
{
    FormFixture fixture{FormFixture::NotStarted()};
    const QString &path = fixture.settingsPath;
    QVERIFY(QDir().mkpath(path));
    const QStringList before = entries(fixture.dir.path());
    Form1 &form = fixture.start();
    QCOMPARE(form.state().prefs.stepSize, 100.0);
    QCOMPARE(form.state().foregroundColor, colors::white);
    QCOMPARE(form.surface().drawMode(), 13);
    fixture.dialogs.queueMessage(Dialogs::Answer::Yes);
    fixture.dialogs.queueMessage(Dialogs::Answer::Ok);

    click(form.Frame1->Command2);

    VERIFY_ASKED(fixture.dialogs, "Could not save settings: \r\n" + failures::describe(failures::AccessError),
                 {"message"});
    QVERIFY(!form.programEnded());
    QVERIFY(QFileInfo(path).isDir());
    QCOMPARE(entries(fixture.dir.path()), before);
    QVERIFY(entries(path).isEmpty());
}

void TestFileFaults::hugeSettingsFile()
{
    FormFixture fixture{FormFixture::NotStarted()};
    const QString &path = fixture.settingsPath;
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray digits = QByteArray("1234567890").repeated(100000);
        for (int i = 0; i < 100; ++i)
            QCOMPARE(file.write(digits), digits.size());
    }
    QCOMPARE(QFileInfo(path).size(), qint64(100) * 1000 * 1000);
    QElapsedTimer elapsed;
    elapsed.start();
    Form1 &form = fixture.start();
    QVERIFY2(elapsed.elapsed() < 2000, qPrintable(QString::number(elapsed.elapsed())));
    // The one field is a number beyond any colour component: refused.
    QCOMPARE(form.state().foregroundColor, colors::white);
    QCOMPARE(form.state().backgroundColor, colors::black);
    QCOMPARE(form.state().prefs.stepSize, 100.0);
    QCOMPARE(QFileInfo(path).size(), qint64(100) * 1000 * 1000);
    QVERIFY(fixture.dialogs.calls().isEmpty());
}

void TestFileFaults::settingsFileWithNulBytes()
{
    FormFixture fixture{FormFixture::NotStarted()};
    const QString &path = fixture.settingsPath;
    QByteArray text;
    for (int line = 1; line <= 26; ++line) {
        if (line == 2)
            text += literal("\0 200 ' foreground green");
        else if (line == 12)
            text += literal("250\0\0 ' step size");
        else if (line == 14)
            text += literal("2\0"
                            "3 ' pen size");
        text += "\r\n";
    }
    QVERIFY(writeBytes(path, text));
    Form1 &form = fixture.start();
    // A NUL ends a number like any other character that cannot continue it.
    QCOMPARE(form.state().foregroundColor, colors::rgb(255, 0, 255));
    QCOMPARE(form.state().prefs.stepSize, 250.0);
    QCOMPARE(form.surface().drawWidth(), 2);
    QCOMPARE(form.state().prefs.turns, 1.0f);
    QVERIFY(fixture.dialogs.calls().isEmpty());
}

void TestFileFaults::settingsFileWithInvalidUtf8()
{
    FormFixture fixture{FormFixture::NotStarted()};
    const QString &path = fixture.settingsPath;
    const QByteArray text = "128 ' \xff\xfe red\r\n"
                            "\xc3\x28 ' green\r\n"
                            "64\xed\xa0\x80 ' blue\r\n"
                            "\r\n\r\n\r\n\r\n\r\n"
                            "\xff ' \xfe\r\n"
                            "\r\n\r\n"
                            "3\xc0\xaf ' step\r\n";
    QVERIFY(writeBytes(path, text));
    Form1 &form = fixture.start();
    QCOMPARE(form.state().foregroundColor, colors::rgb(128, 0, 64));
    QCOMPARE(form.Frame1->frameForeColor(), colors::black);
    QCOMPARE(form.state().prefs.stepSize, 3.0);
    QVERIFY(fixture.dialogs.calls().isEmpty());
}

void TestFileFaults::settingsFileIsPipe()
{
    FormFixture fixture{FormFixture::NotStarted()};
    const QString &path = fixture.settingsPath;
    QVERIFY(makePipe(path));
    {
        PipeWatchdog watchdog(path, PipeWatchdog::ProgramEnd::Reads);
        fixture.start();
        QVERIFY2(!watchdog.rescued(), "start-up waited for someone to write into the pipe");
    }
    Form1 &form = *fixture;
    QCOMPARE(form.state().foregroundColor, colors::white);
    QCOMPARE(form.state().prefs.stepSize, 100.0);

    fixture.dialogs.queueMessage(Dialogs::Answer::Yes);
    fixture.dialogs.queueMessage(Dialogs::Answer::Ok);
    {
        PipeWatchdog watchdog(path, PipeWatchdog::ProgramEnd::Writes);
        click(form.Frame1->Command2);
        QVERIFY2(!watchdog.rescued(), "saving waited for someone to read the pipe");
    }
    // Nobody reads the pipe: the settings cannot be written there.
    VERIFY_ASKED(fixture.dialogs, "Could not save settings: \r\n" + failures::describe(failures::AccessError),
                 {"message"});
    QVERIFY(!form.programEnded());
    struct stat info = {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
    QVERIFY(S_ISFIFO(info.st_mode));
}

void TestFileFaults::loadFromPipe_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("error");
    // Nobody writes into the pipe: it reads as an empty file.
    QTest::newRow("parameters") << "pipe.par" << failures::PastEndOfFile;
    QTest::newRow("bitmap") << "pipe.bmp" << failures::InvalidPicture;
}

void TestFileFaults::loadFromPipe()
{
    QFETCH(QString, name);
    QFETCH(int, error);
    FormFixture fixture{FormFixture::NotStarted()};
    const QString path = fixture.dir.filePath(name);
    QVERIFY(makePipe(path));
    Form1 &form = fixture.start();
    fillFields(form);
    fixture.dialogs.queueFile(path);
    fixture.dialogs.queueMessage(Dialogs::Answer::Ok);
    {
        PipeWatchdog watchdog(path, PipeWatchdog::ProgramEnd::Reads);
        click(form.Frame1->Command5);
        QVERIFY2(!watchdog.rescued(), "loading waited for someone to write into the pipe");
    }
    VERIFY_ASKED(fixture.dialogs, fileError("load", error), {"chooseFile"});
    QCOMPARE(fieldTexts(form), fieldNames);
    QVERIFY(surfaceimages::picture(form.surface()).isNull());
}

void TestFileFaults::saveIntoPipe_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("parameters") << "pipe.par";
    QTest::newRow("bitmap") << "pipe.bmp";
}

void TestFileFaults::saveIntoPipe()
{
    QFETCH(QString, name);
    FormFixture fixture{FormFixture::NotStarted()};
    const QString path = fixture.dir.filePath(name);
    QVERIFY(makePipe(path));
    Form1 &form = fixture.start();
    fixture.dialogs.queueFile(path);
    fixture.dialogs.queueMessage(Dialogs::Answer::Ok);
    {
        PipeWatchdog watchdog(path, PipeWatchdog::ProgramEnd::Writes);
        click(form.Frame1->Command4);
        QVERIFY2(!watchdog.rescued(), "saving waited for someone to read the pipe");
    }
    // Nobody reads the pipe: nothing can be written there.
    VERIFY_ASKED(fixture.dialogs, fileError("save", failures::AccessError), {"chooseFile"});
    QCOMPARE(entries(fixture.dir.path()), (QStringList{name}));
}

void TestFileFaults::loadEndlessOrHugeFile_data()
{
    QTest::addColumn<QString>("name");
    // A link to this device, or else a sparse file of this many bytes.
    QTest::addColumn<QString>("device");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("error");
    QTest::newRow("/dev/zero as a bitmap") << "zero.bmp"
                                           << "/dev/zero" << qint64(0) << failures::InvalidPicture;
    QTest::newRow("/dev/zero as parameters") << "zero.par"
                                             << "/dev/zero" << qint64(0) << failures::OutOfMemory;
    QTest::newRow("4 GB bitmap") << "huge.bmp" << QString() << (qint64(4) << 30) << failures::InvalidPicture;
    QTest::newRow("4 GB of parameters")
        << "huge.par" << QString() << (qint64(4) << 30) << failures::OutOfMemory;
}

void TestFileFaults::loadEndlessOrHugeFile()
{
    QFETCH(QString, name);
    QFETCH(QString, device);
    QFETCH(qint64, size);
    QFETCH(int, error);
    FormFixture fixture{FormFixture::NotStarted()};
    const QString path = fixture.dir.filePath(name);
    if (!device.isEmpty()) {
        QVERIFY(QFile::link(device, path));
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(size));
        QVERIFY(file.write("BM") == 2);
    }
    Form1 &form = fixture.start();
    fillFields(form);
    fixture.dialogs.queueFile(path);
    fixture.dialogs.queueMessage(Dialogs::Answer::Ok);
    QElapsedTimer elapsed;
    elapsed.start();

    click(form.Frame1->Command5);

    QVERIFY2(elapsed.elapsed() < 10000, qPrintable(QString::number(elapsed.elapsed())));
    VERIFY_ASKED(fixture.dialogs, fileError("load", error), {"chooseFile"});
    QCOMPARE(fieldTexts(form), fieldNames);
    QVERIFY(surfaceimages::picture(form.surface()).isNull());
}

QTEST_MAIN(TestFileFaults)
#include "test_filefaults.moc"
