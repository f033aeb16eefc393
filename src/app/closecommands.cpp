#include "closecommands.h"

#include "numbers.h"

#include <cmath>
#include <optional>

namespace closecommands {

namespace {

// The number in a field, or nothing for an empty field.
std::optional<double> valueOf(const QLineEdit *field)
{
    const QString text = field->text();
    if (text.isEmpty())
        return std::nullopt;
    return numbers::leadingNumber(text.toStdString());
}

template <typename T> void assign(T &target, std::optional<T> value)
{
    if (value)
        target = *value;
}

std::optional<int> component(const QLineEdit *field)
{
    const auto v = valueOf(field);
    if (!v)
        return std::nullopt;
    const auto rounded = numbers::roundToInt16(*v);
    if (!rounded || *rounded < 0)
        return std::nullopt;
    return int(*rounded);
}

} // namespace

void settingsFromFields(const ControlPanel &panel, FormState &state, DrawingSurface &surface)
{
    // A value too small for single precision would give 0 turns, which the
    // settings file could not carry back.
    if (const auto v = valueOf(panel.Text2); v && *v > 0) {
        if (const float turns = numbers::toSingle(*v); turns > 0 && std::isfinite(turns))
            state.turns = turns;
    }
    if (const auto v = valueOf(panel.Text3); v && *v > 0 && *v < 32767) {
        if (const auto width = numbers::roundToInt16(*v); width && *width >= 1)
            surface.setDrawWidth(*width);
    }
    if (const auto v = valueOf(panel.Text4); v && *v > 0 && *v < 17) {
        if (const auto mode = numbers::roundToInt16(*v); mode && *mode >= 1 && *mode <= 16)
            surface.setDrawMode(*mode);
    }
    if (const auto v = valueOf(panel.Text5); v && *v > 0 && std::isfinite(*v))
        state.stepSize = *v;
    if (const auto v = valueOf(panel.Text6))
        assign(state.frameRightOffset, numbers::roundToInt16(*v));
    if (const auto v = valueOf(panel.Text13))
        assign(state.mouseDelay, numbers::roundToInt32(std::fabs(*v)));
    if (const auto v = valueOf(panel.Text14))
        assign(state.autoRunDelay, numbers::roundToInt32(std::fabs(*v)));
    if (const auto v = valueOf(panel.Text7))
        assign(state.randomColors, numbers::roundToInt16(*v));
    if (const auto v = valueOf(panel.Text8); v && std::fabs(*v) < 7) {
        if (const auto style = numbers::roundToInt16(std::fabs(*v)); style && *style <= 6)
            surface.setDrawStyle(*style);
    }
    if (const auto v = valueOf(panel.Text9))
        assign(state.drawLeftOffset, numbers::roundToInt32(*v));
    if (const auto v = valueOf(panel.Text10))
        assign(state.drawTopOffset, numbers::roundToInt32(*v));
}

void coloursFromFields(const ControlPanel &panel, FormState &state, DrawingSurface &surface)
{
    assign(state.foreRed, component(panel.Text2));
    assign(state.foreGreen, component(panel.Text5));
    assign(state.foreBlue, component(panel.Text6));
    if (const auto v = valueOf(panel.Text3))
        assign(state.randomColors, numbers::roundToInt16(*v));
    assign(state.backRed, component(panel.Text4));
    assign(state.backGreen, component(panel.Text13));
    assign(state.backBlue, component(panel.Text14));
    state.foregroundColor = colors::rgb(state.foreRed, state.foreGreen, state.foreBlue);
    state.backgroundColor = colors::rgb(state.backRed, state.backGreen, state.backBlue);
    surface.setBackColor(state.backgroundColor);
}

} // namespace closecommands
