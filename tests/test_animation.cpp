// SPDX-License-Identifier: GPL-3.0-or-later
#include "filesizelimit.h"
#include "testfiles.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstring>

#include <gif_lib.h>
#include <webp/demux.h>

// Animations written by the render program, read back with the formats' own
// readers (giflib, libwebp's demuxer) and ffprobe: their frames and length,
// their last frame against the still picture of the same options, the ends
// of a sweep against the stills of the end values, the note they carry, and
// refusals that write nothing.
class TestAnimation : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    struct Run {
        int exitCode = -1;
        QString err;
    };

    static Run render(const QStringList &arguments)
    {
        QProcess process;
        process.start(VOLUTRA_RENDER_PROGRAM, arguments);
        if (!process.waitForFinished(20000))
            return {};
        return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardError())};
    }

    // A parameter file of the twelve texts (empty after those given) and
    // yellow on navy.
    QString figure(const QString &name, const QList<QByteArray> &texts)
    {
        QByteArray bytes;
        for (int i = 0; i < 12; ++i)
            bytes += (i < texts.size() ? texts[i] : QByteArray()) + "\r\n";
        bytes += " 65535\r\n 8388608\r\n";
        const QString path = dir.filePath(name);
        testfiles::writeBytes(path, bytes);
        return path;
    }

    struct Frames {
        int count = 0;
        double seconds = 0;
        QImage first;
        QImage last;
        QByteArray note;
    };

    static QImage blank(QSize size) { return QImage(size, QImage::Format_RGB32); }

    // The text of comment blocks and the blocks that continue them.
    static QByteArray comment(const ExtensionBlock *blocks, int count)
    {
        QByteArray text;
        bool inComment = false;
        for (int e = 0; e < count; ++e) {
            if (blocks[e].Function != CONTINUE_EXT_FUNC_CODE)
                inComment = blocks[e].Function == COMMENT_EXT_FUNC_CODE;
            if (inComment)
                text += QByteArray(reinterpret_cast<const char *>(blocks[e].Bytes), blocks[e].ByteCount);
        }
        return text;
    }

    // Draws every frame of the GIF over the ones before, as its frames ask.
    static Frames readGif(const QString &path)
    {
        Frames frames;
        int error = 0;
        GifFileType *gif = DGifOpenFileName(QFile::encodeName(path).constData(), &error);
        if (!gif || DGifSlurp(gif) == GIF_ERROR)
            return frames;
        QImage canvas = blank(QSize(gif->SWidth, gif->SHeight));
        for (int i = 0; i < gif->ImageCount; ++i) {
            const SavedImage &image = gif->SavedImages[i];
            const ColorMapObject *map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
            for (int y = 0; y < image.ImageDesc.Height; ++y)
                for (int x = 0; x < image.ImageDesc.Width; ++x) {
                    const GifColorType c = map->Colors[image.RasterBits[y * image.ImageDesc.Width + x]];
                    canvas.setPixel(image.ImageDesc.Left + x, image.ImageDesc.Top + y,
                                    qRgb(c.Red, c.Green, c.Blue));
                }
            GraphicsControlBlock control;
            if (DGifSavedExtensionToGCB(gif, i, &control) == GIF_OK)
                frames.seconds += control.DelayTime / 100.0;
            frames.note += comment(image.ExtensionBlocks, image.ExtensionBlockCount);
            if (i == 0)
                frames.first = canvas.copy();
        }
        frames.note += comment(gif->ExtensionBlocks, gif->ExtensionBlockCount);
        frames.count = gif->ImageCount;
        frames.last = canvas;
        DGifCloseFile(gif, &error);
        return frames;
    }

    static Frames readWebP(const QString &path)
    {
        Frames frames;
        const QByteArray bytes = testfiles::readBytes(path);
        const WebPData data{reinterpret_cast<const uint8_t *>(bytes.constData()), std::size_t(bytes.size())};
        WebPAnimDecoderOptions options;
        WebPAnimDecoderOptionsInit(&options);
        options.color_mode = MODE_BGRA;
        WebPAnimDecoder *decoder = WebPAnimDecoderNew(&data, &options);
        if (!decoder)
            return frames;
        WebPAnimInfo info;
        WebPAnimDecoderGetInfo(decoder, &info);
        int timestamp = 0;
        while (WebPAnimDecoderHasMoreFrames(decoder)) {
            uint8_t *pixels = nullptr;
            WebPAnimDecoderGetNext(decoder, &pixels, &timestamp);
            QImage frame = blank(QSize(int(info.canvas_width), int(info.canvas_height)));
            for (int y = 0; y < frame.height(); ++y)
                std::memcpy(frame.scanLine(y), pixels + std::size_t(y) * info.canvas_width * 4,
                            info.canvas_width * 4);
            if (frames.count++ == 0)
                frames.first = frame;
            frames.last = frame;
        }
        frames.seconds = timestamp / 1000.0;
        WebPAnimDecoderDelete(decoder);
        WebPDemuxer *demux = WebPDemux(&data);
        WebPChunkIterator chunk;
        if (demux && WebPDemuxGetChunk(demux, "XMP ", 1, &chunk)) {
            frames.note =
                QByteArray(reinterpret_cast<const char *>(chunk.chunk.bytes), int(chunk.chunk.size));
            WebPDemuxReleaseChunkIterator(&chunk);
        }
        WebPDemuxDelete(demux);
        return frames;
    }

    static QByteArray tool(const QString &program, const QStringList &arguments)
    {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished(20000);
        return process.readAllStandardOutput();
    }

    // One frame of the video, decoded by ffmpeg.
    static QImage mp4Frame(const QString &path, int frame, QSize size)
    {
        const QByteArray raw =
            tool("ffmpeg", {"-v", "error", "-i", path, "-vf", QString("select=eq(n\\,%1)").arg(frame),
                            "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "bgra", "-"});
        QImage image = blank(size);
        if (raw.size() != qsizetype(size.width()) * size.height() * 4)
            return {};
        for (int y = 0; y < size.height(); ++y)
            std::memcpy(image.scanLine(y), raw.constData() + qsizetype(y) * size.width() * 4,
                        size.width() * 4);
        return image;
    }

    static Frames readMp4(const QString &path, QSize coded)
    {
        Frames frames;
        const QList<QByteArray> lines =
            tool("ffprobe", {"-v", "error", "-count_frames", "-show_entries",
                             "stream=nb_read_frames:format=duration:format_tags=comment", "-of",
                             "default=noprint_wrappers=1", path})
                .split('\n');
        for (const QByteArray &line : lines) {
            if (line.startsWith("nb_read_frames="))
                frames.count = line.mid(15).toInt();
            else if (line.startsWith("duration="))
                frames.seconds = line.mid(9).toDouble();
        }
        frames.note = tool("ffprobe", {"-v", "error", "-show_entries", "format_tags=comment", "-of",
                                       "default=noprint_wrappers=1:nokey=1", path});
        frames.first = mp4Frame(path, 0, coded);
        frames.last = mp4Frame(path, frames.count - 1, coded);
        return frames;
    }

    static Frames read(const QString &path, QSize size)
    {
        if (path.endsWith(".gif"))
            return readGif(path);
        if (path.endsWith(".webp"))
            return readWebP(path);
        return readMp4(path, QSize(size.width() + size.width() % 2, size.height() + size.height() % 2));
    }

    // The mean difference of the colour components over `still`'s area, in
    // blocks of 2x2 pixels, which the video's colours are kept for.
    static double meanDifference(const QImage &frame, const QImage &still)
    {
        double sum = 0;
        int blocks = 0;
        for (int y = 0; y + 1 < still.height(); y += 2)
            for (int x = 0; x + 1 < still.width(); x += 2) {
                for (const int shift : {16, 8, 0}) {
                    int a = 0, b = 0;
                    for (const QPoint p :
                         {QPoint(x, y), QPoint(x + 1, y), QPoint(x, y + 1), QPoint(x + 1, y + 1)}) {
                        a += int(frame.pixel(p) >> shift) & 0xff;
                        b += int(still.pixel(p) >> shift) & 0xff;
                    }
                    sum += std::abs(a - b) / 4.0;
                }
                ++blocks;
            }
        return sum / (3.0 * blocks);
    }

    // The still's most common colour everywhere.
    static QImage background(const QImage &still)
    {
        QHash<QRgb, int> counts;
        for (int y = 0; y < still.height(); ++y)
            for (int x = 0; x < still.width(); ++x)
                ++counts[still.pixel(x, y)];
        QRgb most = 0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            if (it.value() > counts.value(most))
                most = it.key();
        QImage image = still;
        image.fill(most);
        return image;
    }

    static QImage readStill(const QString &path)
    {
        return QImage(path).convertToFormat(QImage::Format_RGB32);
    }

    // Whether `frame` shows `still` exactly (GIF, WebP) or within the
    // video's coding (MP4), and tells where it does not.
    static bool shows(const QImage &frame, const QImage &still, bool exact, QString &why)
    {
        if (still.isNull() || frame.isNull() || frame.width() < still.width() ||
            frame.height() < still.height()) {
            why = "no frame of the still's size";
            return false;
        }
        if (!exact) {
            // The coding's noise: about one level in 255, against the two to
            // five levels by which a small figure's picture differs from its
            // background or from another figure.
            const double difference = meanDifference(frame, still);
            const double drawn = meanDifference(background(still), still);
            why = QString("mean difference %1, the drawing's %2").arg(difference).arg(drawn);
            return difference < 1.5;
        }
        for (int y = 0; y < still.height(); ++y)
            for (int x = 0; x < still.width(); ++x)
                if ((frame.pixel(x, y) & 0xffffff) != (still.pixel(x, y) & 0xffffff)) {
                    why = QString("pixel %1,%2: %3 instead of %4")
                              .arg(x)
                              .arg(y)
                              .arg(frame.pixel(x, y) & 0xffffff, 6, 16)
                              .arg(still.pixel(x, y) & 0xffffff, 6, 16);
                    return false;
                }
        return true;
    }

private slots:
    void traceEndsOnTheStill_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("frames");
        const QStringList plain{};
        const QStringList xorWide{"--mode", "7", "--pen", "3"};
        // 10 frames drawn at 10 a second and the last held half a second:
        // GIF and WebP hold it as one frame, the video repeats it.
        for (const QString extension : {"gif", "webp", "mp4"}) {
            const int frames = extension == "mp4" ? 15 : 10;
            QTest::addRow("%s", qPrintable(extension)) << extension << plain << frames;
            QTest::addRow("%s xor wide pen", qPrintable(extension)) << extension << xorWide << frames;
            QTest::addRow("%s random pen", qPrintable(extension))
                << extension << QStringList{"--settings", "random", "--pen", "2"} << frames;
            // Framing moves points, not colours: the exact formats show it.
            if (extension != "mp4")
                QTest::addRow("%s fitted", qPrintable(extension))
                    << extension << QStringList{"--fit=10%"} << frames;
            // Smooth shades pass a GIF's palette of 256 colours.
            if (extension != "gif")
                QTest::addRow("%s smooth", qPrintable(extension))
                    << extension << QStringList{"--smooth"} << frames;
        }
        QTest::newRow("webp smooth fitted wide pen")
            << "webp" << QStringList{"--smooth", "--fit", "--pen", "3"} << 10;
        QTest::newRow("webp smooth random pen")
            << "webp" << QStringList{"--smooth", "--settings", "random", "--pen", "2"} << 10;
    }
    void traceEndsOnTheStill()
    {
        QFETCH(QString, extension);
        QFETCH(QStringList, options);
        QFETCH(int, frames);
        const QString settings = dir.filePath("random.txt");
        // Random colours 1: a new pen colour at every checkpoint.
        testfiles::writeBytes(settings, "255\r\n255\r\n0\r\n0\r\n0\r\n128\r\n1\r\n");
        options.replaceInStrings("random", settings);
        const QString par = figure("trace.par", {"0.5", "/11", "", "", "/3"});
        const QSize size(97, 61);
        // Few points far apart, so that every frame adds pixels of its own.
        const QStringList common = QStringList{par, "--seed", "5", "-s", "97x61", "--step", "3000"} + options;
        const QString still = dir.filePath("still.png");
        QCOMPARE(render(common + QStringList{"-o", still}).exitCode, 0);
        const QString animated = dir.filePath("trace." + extension);
        const Run run = render(common + QStringList{"--animate", "--duration", "1", "--fps", "10", "--hold",
                                                    "0.5", "-o", animated});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        const Frames read = this->read(animated, size);
        QCOMPARE(read.count, frames);
        QVERIFY2(std::abs(read.seconds - 1.5) < 0.011, qPrintable(QString::number(read.seconds)));
        const QImage picture = readStill(still);
        QString why;
        QVERIFY2(shows(read.last, picture, extension != "mp4", why), qPrintable(why));
        // The first frame holds a tenth of the points only.
        QVERIFY(!shows(read.first, picture, extension != "mp4", why));
        QVERIFY2(read.note.contains("Volutra recipe 1") && read.note.contains("animation trace") &&
                     read.note.contains("duration 1") && read.note.contains("hold 0.5") &&
                     read.note.contains("seed 5"),
                 read.note.constData());
    }

    void sweepEndsOnTheStillsOfItsEnds_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QStringList>("options");
        for (const QString extension : {"gif", "webp", "mp4"})
            QTest::addRow("%s", qPrintable(extension)) << extension << QStringList{};
        QTest::newRow("webp smooth") << "webp" << QStringList{"--smooth", "--pen", "2"};
    }
    void sweepEndsOnTheStillsOfItsEnds()
    {
        QFETCH(QString, extension);
        QFETCH(QStringList, options);
        const QSize size(64, 48);
        const QStringList common = QStringList{"--seed", "3", "-s", "64x48"} + options;
        const QString from = dir.filePath("from.png");
        const QString to = dir.filePath("to.png");
        QCOMPARE(render(QStringList{figure("from.par", {"0.2", "/5", "", "", "", "", "", "", "10"})} +
                        common + QStringList{"-o", from})
                     .exitCode,
                 0);
        QCOMPARE(render(QStringList{figure("to.par", {"0.9", "/8", "", "", "", "", "", "", "60"})} + common +
                        QStringList{"-o", to})
                     .exitCode,
                 0);
        const QString animated = dir.filePath("sweep." + extension);
        const Run run =
            render(QStringList{figure("middle.par", {"0.5", "/8"})} + common +
                   QStringList{"--sweep", "xamp=0.2:0.9", "--sweep", "xfreq=/5:/8", "--sweep", "XRot=10:60",
                               "--frames", "6", "--fps", "10", "--hold", "0", "-o", animated});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        const Frames read = this->read(animated, size);
        // The WebP encoder makes one longer frame of equal frames in a row.
        if (extension == "webp")
            QVERIFY(read.count >= 2 && read.count <= 6);
        else
            QCOMPARE(read.count, 6);
        QVERIFY2(std::abs(read.seconds - 0.6) < 0.011, qPrintable(QString::number(read.seconds)));
        QString why;
        QVERIFY2(shows(read.first, readStill(from), extension != "mp4", why), qPrintable(why));
        QVERIFY2(shows(read.last, readStill(to), extension != "mp4", why), qPrintable(why));
        QVERIFY(!shows(read.last, readStill(from), extension != "mp4", why));
        QVERIFY2(read.note.contains("sweep xamp=0.2:0.9") && read.note.contains("sweep xfreq=/5:/8") &&
                     read.note.contains("frames 6"),
                 read.note.constData());
    }

    void refusalsWriteNothing_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("message");
        QTest::newRow("too many frames") << QStringList{"--animate", "--duration", "400"} << "a.gif"
                                         << "12000 frames are more than the 10000";
        QTest::newRow("too many sweep frames")
            << QStringList{"--sweep", "xamp=0:1", "--frames", "10001"} << "a.mp4"
            << "more than the 10000";
        QTest::newRow("unknown field") << QStringList{"--sweep", "zamp=0:1"} << "a.webp"
                                       << "\"zamp\"";
        QTest::newRow("refused value") << QStringList{"--sweep", "xamp=a:1"} << "a.gif"
                                       << "xamp field";
        QTest::newRow("mixed forms") << QStringList{"--sweep", "xfreq=/7:9"} << "a.gif"
                                     << "xfreq field";
        QTest::newRow("no animation asked") << QStringList{} << "a.gif"
                                            << "is an animation";
        QTest::newRow("still with --animate") << QStringList{"--animate"} << "a.png"
                                              << "an animation is a";
        QTest::newRow("frames of a trace") << QStringList{"--animate", "--frames", "3"} << "a.gif"
                                           << "--frames";
        QTest::newRow("no fps") << QStringList{"--animate", "--fps", "0"} << "a.gif"
                                << "bad fps";
        QTest::newRow("webp too wide") << QStringList{"--animate", "-s", "16384x8"} << "a.webp"
                                       << "16383";
        QTest::newRow("beyond the budget")
            << QStringList{"--animate", "--duration", "80", "--fps", "120", "-s", "4000x4000"} << "a.webp"
            << "--budget SECONDS raises it";
        QTest::newRow("video too large") << QStringList{"--animate", "-s", "16384x16384"} << "a.mp4"
                                         << "H.264";
        QTest::newRow("smooth xor") << QStringList{"--animate", "--smooth", "--mode", "7"} << "a.gif"
                                    << "mode 7 combines";
    }
    // A signal in the middle of the frames ends the render with 128 plus its
    // number and leaves no file.
    void stopLeavesNoFile()
    {
        QTemporaryDir folder;
        QProcess process;
        process.start(VOLUTRA_RENDER_PROGRAM, {figure("stopped.par", {"0.5", "/11"}), "--animate", "-s",
                                               "1280x720", "-o", folder.filePath("stopped.mp4")});
        QVERIFY(process.waitForStarted());
        QTest::qWait(700);
        QCOMPARE(process.state(), QProcess::Running);
        process.terminate();
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 143);
        QCOMPARE(testfiles::entries(folder.path()), QStringList{});
    }

    // A write that fails half-way, as on a full disk, ends with exit 1 and
    // leaves no file.
    void failedWriteLeavesNoFile_data()
    {
        QTest::addColumn<QString>("extension");
        for (const QString extension : {"gif", "webp", "mp4"})
            QTest::addRow("%s", qPrintable(extension)) << extension;
    }
    void failedWriteLeavesNoFile()
    {
        QFETCH(QString, extension);
        QTemporaryDir folder;
        const QString par = figure("full.par", {"0.5", "/11"});
        Run run;
        {
            const FileSizeLimit limit(4096);
            QVERIFY(limit.ok());
            run = render({par, "--animate", "--duration", "1", "-s", "200x150", "-o",
                          folder.filePath("full." + extension)});
        }
        QVERIFY2(run.exitCode == 1, qPrintable(run.err));
        QVERIFY2(run.err.contains("cannot write"), qPrintable(run.err));
        QCOMPARE(testfiles::entries(folder.path()), QStringList{});
    }

    void refusalsWriteNothing()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, output);
        QFETCH(QString, message);
        QTemporaryDir folder;
        const Run run = render(
            QStringList{figure("refused.par", {"0.5", "/11"}), "-o", folder.filePath(output)} + options);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QCOMPARE(testfiles::entries(folder.path()), QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestAnimation)
#include "test_animation.moc"
