// SPDX-License-Identifier: GPL-3.0-or-later
#include "renderanimation.h"

#include "animation.h"
#include "renderprogress.h"
#include "stopsignals.h"
#include "sweepoption.h"

#include <QCommandLineParser>
#include <QElapsedTimer>

#include <cmath>
#include <variant>

#include <unistd.h>

namespace renderanimation {

namespace {

// A number of seconds between `least` (excluded when `aboveLeast`) and the
// longest an animation may take.
std::optional<Refusal> readSeconds(const QCommandLineParser &parser, const QString &name, bool aboveLeast,
                                   double &seconds)
{
    if (!parser.isSet(name))
        return std::nullopt;
    bool ok = false;
    const QString text = parser.value(name);
    seconds = text.toDouble(&ok);
    if (!ok || !(aboveLeast ? seconds > 0 : seconds >= 0) || seconds > animation::maximumSeconds)
        return Refusal{2, QString("bad %1 \"%2\": expected seconds, %3 to %4")
                              .arg(name, text, aboveLeast ? "above 0" : "0")
                              .arg(animation::maximumSeconds)};
    return std::nullopt;
}

std::optional<Refusal> readWhole(const QCommandLineParser &parser, const QString &name, int most, int &value)
{
    if (!parser.isSet(name))
        return std::nullopt;
    bool ok = false;
    const QString text = parser.value(name);
    const qlonglong number = text.toLongLong(&ok);
    // More frames than allowed are told by the animation's own refusal.
    if (!ok || number < 1 || (most > 0 && number > most))
        return Refusal{
            2, most > 0 ? QString("bad %1 \"%2\": expected a whole number, 1 to %3").arg(name, text).arg(most)
                        : QString("bad %1 \"%2\": expected a whole number of 1 or more").arg(name, text)};
    value = int(std::min<qlonglong>(number, animation::maximumFrames + 1));
    return std::nullopt;
}

std::optional<Refusal> readOptions(const QCommandLineParser &parser, animation::Options &options)
{
    if (const auto refused = readSeconds(parser, "duration", true, options.duration))
        return refused;
    if (const auto refused = readSeconds(parser, "hold", false, options.hold))
        return refused;
    if (const auto refused = readWhole(parser, "fps", animation::maximumFps, options.fps))
        return refused;
    for (const QString &text : parser.values("sweep")) {
        const auto parsed = sweepoption::parse(text);
        if (const auto *refused = std::get_if<QString>(&parsed))
            return Refusal{2, *refused};
        options.sweeps.push_back(std::get<animation::Sweep>(parsed));
    }
    if (parser.isSet("frames") && options.sweeps.empty())
        return Refusal{2, "--frames counts the frames of a --sweep; a traced animation takes --duration "
                          "and --fps"};
    return readWhole(parser, "frames", 0, options.frames);
}

} // namespace

bool wanted(const QCommandLineParser &parser)
{
    return parser.isSet("animate") || parser.isSet("sweep");
}

std::optional<Refusal> render(const QCommandLineParser &parser, const headless::Job &job,
                              fileformat::Format format, const QString &output, const picturelook::Look &look,
                              double budget, QTextStream &err)
{
    if (!fileformat::isAnimation(format))
        return Refusal{2, QString("cannot write %1: an animation is a .gif, .webp or .mp4 file").arg(output)};
    animation::Options options;
    if (const auto refused = readOptions(parser, options))
        return refused;
    options.fit = look.fit;
    options.smooth = look.smooth;
    if (const auto refused = animation::refusal(options, format, job.size))
        return Refusal{2, *refused, false};
    if (const auto refused = renderrefusal::beyondBudget(animation::estimate(job, options), budget))
        return refused;

    std::optional<RenderProgress> progress;
    if (!parser.isSet("quiet") && ::isatty(STDERR_FILENO)) {
        QElapsedTimer clock;
        clock.start();
        progress.emplace(
            animation::frameCount(options), 1,
            [&err](const QByteArray &text) {
                err << QString::fromLocal8Bit(text);
                err.flush();
                stopsignals::setLineOpen(true);
            },
            [clock] { return double(clock.nsecsElapsed()) / 1e9; });
        progress->setUnit("frames");
    }
    const animation::Outcome outcome =
        animation::write(format, output, job, options, [&progress](int drawn, int) {
            if (progress)
                progress->reached(drawn);
            return true;
        });
    if (progress) {
        progress->finish();
        stopsignals::setLineOpen(false);
    }
    if (outcome.refused)
        return Refusal{2, QString("cannot write %1: %2").arg(output, outcome.failure->description), false};
    if (outcome.failure)
        return Refusal{1, QString("cannot write %1: %2 (error %3)")
                              .arg(output, outcome.failure->description)
                              .arg(outcome.failure->number)};
    return std::nullopt;
}

} // namespace renderanimation
