// SPDX-License-Identifier: GPL-3.0-or-later
// Animations against their encoders alone: a 10 s trace at 1920x1080 and 30
// frames a second (300 frames) written as MP4, GIF and WebP, against the
// same encoder taking the same 300 frames from memory; and the peak resident
// memory (getrusage's maxrss) of an MP4 trace of 5 s and of 20 s, each in a
// process of its own, to show that it does not grow with the length. The
// memory is measured first: a child inherits its parent's peak.
//   ./build/bench/volutra_bench_animation [mp4|gif|webp ...]
// Times are processor times of the whole process (every thread) and wall
// times; a busy machine lengthens the wall times.

#include "animation.h"
#include "fileformat.h"
#include "framesink.h"
#include "headlessdrawing.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

double processSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

struct Timing {
    double wall = 0;
    double processor = 0;
};

Timing timed(const std::function<void()> &work)
{
    const auto start = Clock::now();
    const double cpu = processSeconds();
    work();
    return {std::chrono::duration<double>(Clock::now() - start).count(), processSeconds() - cpu};
}

// The default figure, yellow on navy, at `size`.
headless::Job figure(QSize size)
{
    headless::Job job;
    job.recipe.typed.text = {"0.5", "/11", "", "", "/3", "", "", "", "", "", "", ""};
    job.recipe.penColor = colors::rgb(255, 255, 0);
    job.recipe.backColor = colors::rgb(0, 0, 128);
    job.size = size;
    job.seed = 1;
    return job;
}

// Keeps every frame in memory, for the encoder to take again.
class Keeper : public FrameSink {
public:
    bool begin(QIODevice &, QSize size, int fps) override
    {
        size_ = size;
        fps_ = fps;
        return true;
    }
    bool add(const PixelRows &frame, int ticks) override
    {
        std::vector<std::uint32_t> pixels(std::size_t(frame.width) * std::size_t(frame.height));
        for (int y = 0; y < frame.height; ++y)
            std::copy(frame.row(y), frame.row(y) + frame.width, pixels.begin() + qsizetype(y) * frame.width);
        frames_.push_back({std::move(pixels), ticks});
        return true;
    }
    bool finish(const QByteArray &) override { return true; }

    // Hands every frame kept to `sink`, writing to `path`.
    bool replay(FrameSink &sink, const QString &path) const
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !sink.begin(file, size_, fps_))
            return false;
        for (const auto &[pixels, ticks] : frames_)
            if (!sink.add({pixels.data(), size_.width(), size_.width(), size_.height()}, ticks))
                return false;
        return sink.finish("bench");
    }
    std::size_t count() const { return frames_.size(); }

private:
    struct Kept {
        std::vector<std::uint32_t> pixels;
        int ticks;
    };
    QSize size_;
    int fps_ = 30;
    std::vector<Kept> frames_;
};

animation::Options traceOf(double seconds)
{
    animation::Options options;
    options.duration = seconds;
    options.hold = 0;
    return options;
}

// One trace in this process; prints its peak resident memory in KiB.
int peakOf(fileformat::Format format, double seconds, const QString &path)
{
    const auto outcome = animation::write(format, path, figure(QSize(1920, 1080)), traceOf(seconds));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%ld\n", usage.ru_maxrss);
    return outcome.failure ? 1 : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments().mid(1);
    if (arguments.size() == 4 && arguments[0] == "peak")
        return peakOf(*fileformat::byExtension("a." + arguments[1]), arguments[2].toDouble(), arguments[3]);
    // A format named with "-smooth" paints its frames smooth.
    QStringList formats = arguments.isEmpty() ? QStringList{"mp4", "gif", "webp", "mp4-smooth"} : arguments;
    QTemporaryDir dir;
    const headless::Job job = figure(QSize(1920, 1080));
    const animation::Options plain = traceOf(10);

    std::printf("peak resident memory of an MP4 trace at 1920x1080 (KiB)\n");
    for (const double seconds : {5.0, 20.0}) {
        QProcess child;
        child.start(application.applicationFilePath(),
                    {"peak", "mp4", QString::number(seconds), dir.filePath("peak.mp4")});
        child.waitForFinished(-1);
        std::printf("%4.0f s: %s", seconds, child.readAllStandardOutput().constData());
        std::printf("\n");
    }
    std::printf("10 s trace, 1920x1080, 30 frames a second (%d frames)\n", animation::frameCount(plain));
    std::printf("%-11s %22s %22s %8s %8s\n", "", "whole (wall / cpu s)", "encoder (wall / cpu s)", "wall x",
                "cpu x");
    for (const QString &name : formats) {
        const QString extension = name.section('-', 0, 0);
        animation::Options options = plain;
        options.smooth = name.endsWith("-smooth");
        const fileformat::Format format = *fileformat::byExtension("a." + extension);
        const QString path = dir.filePath("trace." + extension);
        const Timing whole = timed([&] { animation::write(format, path, job, options); });
        Keeper keeper;
        animation::write(keeper, dir.filePath("kept"), job, options);
        QString why;
        const auto sink = animation::sinkFor(format, why);
        const Timing alone = timed([&] { keeper.replay(*sink, dir.filePath("alone." + extension)); });
        std::printf("%-11s %10.2f / %-10.2f %10.2f / %-10.2f %8.2f %8.2f   (%zu frames, %lld KB)\n",
                    qPrintable(name), whole.wall, whole.processor, alone.wall, alone.processor,
                    whole.wall / alone.wall, whole.processor / alone.processor, keeper.count(),
                    QFile(path).size() / 1024);
        QFile::remove(path);
    }

    return 0;
}
