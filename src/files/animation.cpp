// SPDX-License-Identifier: GPL-3.0-or-later
#include "animation.h"

#include "figureexport.h"
#include "framequeue.h"
#include "framing.h"
#include "gifsink.h"
#include "mp4sink.h"
#include "numbers.h"
#include "paintloader.h"
#include "programmodule.h"
#include "recipe.h"
#include "safesave.h"
#include "smoothframes.h"
#include "tracecanvas.h"
#include "webpsink.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <optional>

namespace animation {

namespace {

constexpr char encodersModule[] = "volutra-encoders.so";

// Frames waiting for the encoder: enough to keep both threads busy.
constexpr std::size_t queueFrames = 3;

// What encoding a frame costs per pixel, taking it from the surface
// included, in nanoseconds of one core: measured alike for the three
// formats on a 10 s trace at 1920x1080 (bench/bench_animation.cpp).
constexpr double encodePixelNs = 7;

QString numberText(double value)
{
    return QString::fromStdString(recipe::exactText(value));
}

} // namespace

std::string Sweep::textAt(int frame, int frames) const
{
    if (frame <= 0)
        return fromText;
    if (frame >= frames - 1)
        return toText;
    const double t = double(frame) / double(frames - 1);
    return prefix + recipe::exactText(from + (to - from) * t);
}

int frameCount(const Options &options)
{
    if (!options.sweeps.empty() && options.frames > 0)
        return options.frames;
    const double frames = std::round(options.duration * options.fps);
    return frames < 1 ? 1 : frames > maximumFrames + 1 ? maximumFrames + 1 : int(frames);
}

int holdTicks(const Options &options)
{
    return int(std::lround(std::clamp(options.hold, 0.0, maximumSeconds) * options.fps));
}

std::optional<QString> refusal(const Options &options, fileformat::Format format, QSize size)
{
    const int frames = frameCount(options);
    if (frames > maximumFrames)
        return QString("%1 frames are more than the %2 an animation may have")
            .arg(options.sweeps.empty() || options.frames == 0 ? std::round(options.duration * options.fps)
                                                               : double(options.frames),
                 0, 'f', 0)
            .arg(maximumFrames);
    int largest = Mp4Sink::largestBlocks;
    switch (format) {
    case fileformat::Format::Gif: largest = GifSink::largestSide; break;
    case fileformat::Format::WebP: largest = WebPSink::largestSide; break;
    default: {
        const QSize coded = Mp4Sink::codedSize(size);
        const qint64 blocks = qint64((coded.width() + 15) / 16) * ((coded.height() + 15) / 16);
        if (blocks > Mp4Sink::largestBlocks)
            return QString("%1x%2 is beyond the largest H.264 picture (%3 blocks of 16x16 pixels, such as "
                           "8192x4352)")
                .arg(size.width())
                .arg(size.height())
                .arg(Mp4Sink::largestBlocks);
        return std::nullopt;
    }
    }
    if (size.width() > largest || size.height() > largest)
        return QString("%1x%2 is beyond the %3 pixels a side that this format holds")
            .arg(size.width())
            .arg(size.height())
            .arg(largest);
    return std::nullopt;
}

headless::Work estimate(const headless::Job &job, const Options &options)
{
    headless::Work work = headless::estimate(job);
    const double frames = frameCount(options);
    const double encoding = frames * double(work.pixels) * encodePixelNs / 1e9;
    if (!options.sweeps.empty()) {
        work.points *= std::uint64_t(frames);
        work.draws *= std::uint64_t(frames);
        work.seconds *= frames;
    }
    work.pixels *= std::uint64_t(frames);
    work.seconds += encoding;
    return work;
}

QByteArray note(const recipetext::FigureRecipe &kept, const Options &options, std::uint64_t seed)
{
    QString lines = options.sweeps.empty() ? "animation trace\n" : "animation sweep\n";
    lines += QString("fps %1\nhold %2\n").arg(options.fps).arg(numberText(options.hold));
    if (options.sweeps.empty())
        lines += QString("duration %1\n").arg(numberText(options.duration));
    else
        lines += QString("frames %1\n").arg(frameCount(options));
    for (const Sweep &sweep : options.sweeps)
        lines += QString("sweep %1=%2:%3\n")
                     .arg(sweep.name, QString::fromStdString(sweep.fromText),
                          QString::fromStdString(sweep.toText));
    lines += QString("seed %1\n").arg(seed);
    return recipetext::chunkText(kept) + lines.toUtf8();
}

namespace {

picturelook::Look lookOf(const Options &options)
{
    picturelook::Look look;
    look.fit = options.fit;
    look.smooth = options.smooth;
    return look;
}

framing::Frame fitted(const headless::Job &job, const Options &options)
{
    return figureexport::frameFor(job, fileformat::Format::Png, lookOf(options));
}

// The job's figure painted whole from its strokes, as the smooth still; null
// when there is no memory for it or the painter failed.
PixelImage paintedStill(const figurepainter::Functions &painter, const headless::Job &job,
                        const Options &options, Recipe &kept)
{
    const figureexport::Painted painted =
        figureexport::paint(job, fileformat::Format::Png, lookOf(options), fitted(job, options));
    kept = painted.kept;
    return figureexport::paintedPixels(painter, painted.strokes, job.size);
}

} // namespace

std::unique_ptr<FrameSink> sinkFor(fileformat::Format format, QString &why)
{
    using Make = FrameSink *(*)(int);
    static QString missing;
    static const auto make =
        reinterpret_cast<Make>(programmodule::load(encodersModule, "volutra_frame_sink", missing));
    why = missing;
    return std::unique_ptr<FrameSink>(make ? make(int(format)) : nullptr);
}

Outcome write(fileformat::Format format, const QString &path, const headless::Job &job,
              const Options &options, const Progress &progress)
{
    QString why;
    const std::unique_ptr<FrameSink> sink = sinkFor(format, why);
    if (!sink)
        return {Failure{0, why}, true};
    return write(*sink, path, job, options, progress);
}

Outcome write(FrameSink &sink, const QString &path, const headless::Job &job, const Options &options,
              const Progress &progress)
{
    const int frames = frameCount(options);
    Outcome outcome;
    QString why;
    const figurepainter::Functions *painter = options.smooth ? paintloader::painter(why) : nullptr;
    if (options.smooth && !painter)
        return {Failure{0, why}, true};
    bool cancelled = false;
    bool encoderFailed = false;
    bool paintFailed = false;
    auto failure = safesave::writeFileWith(path, [&](QIODevice &device) {
        if (!sink.begin(device, job.size, options.fps)) {
            outcome.refused = true;
            return false;
        }
        FrameQueue queue(sink, queueFrames);
        // A smooth animation's surface takes the drawing's colours and pen
        // only; its frames are painted from strokes.
        DrawingSurface surface(painter ? QSize(1, 1) : job.size, job.twipsPerPixel);
        int drawn = 0;
        const auto stopped = [&] { return cancelled || paintFailed || queue.failed(); };
        // A frame's picture is shared with the queue, not copied: the drawing
        // goes on on a copy of its own once it sets the next point.
        const auto handOver = [&](const PixelImage *picture, int ticks) {
            if (!picture) {
                paintFailed = true;
                return;
            }
            if (!queue.push(*picture, painter ? job.size : surface.deviceSize(), ticks))
                return;
            ++drawn;
            if (progress && !progress(drawn, frames))
                cancelled = true;
        };
        Recipe kept;
        PixelImage painted;
        const auto shown = [&]() -> const PixelImage * {
            return !painter ? &surface.persistent() : painted.isNull() ? nullptr : &painted;
        };
        if (options.sweeps.empty()) {
            std::optional<SmoothFrames> smooth;
            if (painter)
                smooth.emplace(*painter, surface, job.size, job.twipsPerPixel, job.recipe.backColor);
            const auto next = [&] { return smooth ? smooth->next() : &surface.persistent(); };
            headless::Job traced = painter ? headless::pointsOnly(job) : job;
            TraceCanvas canvas(smooth ? smooth->canvas() : surface, headless::estimate(job).points, frames,
                               [&](int) { handOver(next(), 1); });
            FramedCanvas framed(canvas, fitted(job, options));
            traced.through = options.fit ? static_cast<Canvas *>(&framed) : &canvas;
            traced.stop = stopped;
            kept = headless::draw(surface, traced);
            // A drawing that ended before its points: the frames left show
            // it as it ended.
            while (!stopped() && drawn < frames - 1)
                handOver(next(), 1);
            // The last frame is the smooth still itself, painted whole.
            if (painter && !stopped())
                painted = paintedStill(*painter, job, options, kept);
        } else {
            for (int frame = 0; frame < frames && !stopped(); ++frame) {
                headless::Job swept = job;
                for (const Sweep &sweep : options.sweeps)
                    swept.recipe.typed[sweep.field] = sweep.textAt(frame, frames);
                swept.stop = stopped;
                Recipe drawnRecipe;
                if (painter) {
                    painted = paintedStill(*painter, swept, options, drawnRecipe);
                } else {
                    FramedCanvas framed(surface, fitted(swept, options));
                    if (options.fit)
                        swept.through = &framed;
                    drawnRecipe = headless::draw(surface, swept);
                }
                if (frame == 0)
                    kept = drawnRecipe;
                if (frame < frames - 1)
                    handOver(shown(), 1);
            }
        }
        if (!stopped())
            handOver(shown(), 1 + holdTicks(options));
        if (paintFailed)
            return false;
        if (!queue.close()) {
            encoderFailed = true;
            errno = queue.systemError();
            return false;
        }
        if (cancelled)
            return false;
        if (!sink.finish(note({kept, job.size, job.twipsPerPixel, true}, options, job.seed))) {
            encoderFailed = true;
            return false;
        }
        return true;
    });
    if (cancelled)
        failure = failures::make(failures::Cancelled);
    else if (paintFailed)
        failure =
            Failure{ENOMEM, QStringLiteral("not enough memory to paint the smooth frames of %1x%2 pixels")
                                .arg(job.size.width())
                                .arg(job.size.height())};
    else if (failure && (outcome.refused || encoderFailed) && !sink.error().isEmpty())
        failure = Failure{0, sink.error()};
    outcome.failure = failure;
    return outcome;
}

} // namespace animation
