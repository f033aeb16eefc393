// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "failure.h"
#include "fileformat.h"
#include "headlessdrawing.h"
#include "parametertexts.h"
#include "picturelook.h"
#include "recipetext.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class FrameSink;

// A figure as an animation: traced, each frame adding the next points to the
// one before until the last shows the whole figure, or swept, each frame the
// whole figure with parameters moved from one value to another. The frames
// are drawn by the same headless drawing as the still picture, so the last
// frame of a trace is that picture, and handed to the format's encoder on a
// thread of its own.
namespace animation {

// One parameter moved across the frames: its field text is `prefix` (a
// field's special form, such as "/" of a frequency) and a number going from
// `from` to `to` in equal steps. The first and last frames take the end
// texts as given.
struct Sweep {
    ParameterTexts::Index field = ParameterTexts::XAmp;
    // The name the option used for the field, for the note.
    QString name;
    std::string prefix;
    std::string fromText;
    std::string toText;
    double from = 0;
    double to = 0;

    // The field text of frame `frame` of `frames`.
    std::string textAt(int frame, int frames) const;
};

struct Options {
    double duration = 6;
    int fps = 30;
    // The last frame is shown this much longer.
    double hold = 2;
    // Empty for a trace.
    std::vector<Sweep> sweeps;
    // The frames of a sweep; 0 takes duration x fps.
    int frames = 0;
    // Each frame's figure scaled and centred as --fit does for a still: a
    // trace in the frame of its whole figure, a sweep's frame in its own.
    std::optional<picturelook::Margin> fit;
    // Each frame painted from strokes, anti-aliased, as --smooth paints a
    // still: a trace adds the strokes of its new points to the frame before,
    // and its last frame is the smooth still.
    bool smooth = false;
};

inline constexpr int maximumFrames = 10000;
inline constexpr int maximumFps = 120;
inline constexpr double maximumSeconds = 3600;

// The frames drawn (the held last one counted once) and the ticks of 1/fps
// second the last one is held beyond its own.
int frameCount(const Options &options);
int holdTicks(const Options &options);

// Why the options or the size cannot make an animation in `format`: too
// many frames, a size the format cannot hold.
std::optional<QString> refusal(const Options &options, fileformat::Format format, QSize size);

// The work of the whole animation: the drawing (once for a trace, once a
// frame for a sweep) and encoding every frame.
headless::Work estimate(const headless::Job &job, const Options &options);

// The note the file carries: the recipe's text, then the animation's options
// one "name value" line each, so that the animation can be made again.
QByteArray note(const recipetext::FigureRecipe &kept, const Options &options, std::uint64_t seed);

// The encoder of an animation format, from the encoders' module, which is
// loaded the first time; nothing, with `why`, when the module is missing.
std::unique_ptr<FrameSink> sinkFor(fileformat::Format format, QString &why);

// Told how many of the frames are drawn; returning false stops the
// animation, which then writes nothing.
using Progress = std::function<bool(int drawn, int frames)>;

struct Outcome {
    // Why nothing was written; Cancelled when `progress` stopped it.
    std::optional<Failure> failure;
    // Whether the encoder refused the animation before any frame (exit 2
    // rather than a failed write).
    bool refused = false;
};

// Draws the animation of `job` and writes it to `path`, completely or not at
// all.
Outcome write(fileformat::Format format, const QString &path, const headless::Job &job,
              const Options &options, const Progress &progress = {});
// The same through a given encoder.
Outcome write(FrameSink &sink, const QString &path, const headless::Job &job, const Options &options,
              const Progress &progress = {});

} // namespace animation
