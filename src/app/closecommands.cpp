// SPDX-License-Identifier: GPL-3.0-or-later
#include "closecommands.h"

#include "drawingrun.h"
#include "numbers.h"
#include "settingstext.h"

#include <cmath>
#include <optional>
#include <span>

namespace closecommands {

namespace {

// A field of a hidden command and the setting it sets, with the rule of the
// settings file's line for that setting.
struct FieldSetting {
    QLineEdit *ControlPanel::*field;
    const char *setting;
    // The delays take the number's magnitude.
    bool magnitude = false;
};

constexpr FieldSetting settingFields[] = {
    {&ControlPanel::Text2, "turns"},
    {&ControlPanel::Text3, "penSize"},
    {&ControlPanel::Text4, "drawMode"},
    {&ControlPanel::Text5, "stepSize"},
    {&ControlPanel::Text6, "frameRightOffset"},
    {&ControlPanel::Text13, "mouseDelay", true},
    {&ControlPanel::Text14, "autoRunDelay", true},
    {&ControlPanel::Text7, "randomColors"},
    {&ControlPanel::Text9, "drawLeftOffset"},
    {&ControlPanel::Text10, "drawTopOffset"},
};

constexpr FieldSetting colourFields[] = {
    {&ControlPanel::Text2, "foreRed"},   {&ControlPanel::Text5, "foreGreen"},
    {&ControlPanel::Text6, "foreBlue"},  {&ControlPanel::Text3, "randomColors"},
    {&ControlPanel::Text4, "backRed"},   {&ControlPanel::Text13, "backGreen"},
    {&ControlPanel::Text14, "backBlue"},
};

// The number in a field, or nothing for an empty field.
std::optional<double> valueOf(const QLineEdit *field)
{
    const QString text = field->text();
    if (text.isEmpty())
        return std::nullopt;
    return numbers::leadingNumber(text.toStdString());
}

void takeFields(const ControlPanel &panel, std::span<const FieldSetting> fields, Settings &settings)
{
    for (const FieldSetting &f : fields)
        if (const auto v = valueOf(panel.*f.field))
            settingstext::applyNumber(settingstext::lineNamed(f.setting), f.magnitude ? std::fabs(*v) : *v,
                                      settings, ScreenSize{});
}

} // namespace

void settingsFromFields(const ControlPanel &panel, FormState &state, DrawingSurface &surface)
{
    Settings settings;
    settings.prefs = drawing::withCanvasPen(state.prefs, surface);
    settings.frameRightOffset = state.frameRightOffset;
    takeFields(panel, settingFields, settings);
    state.prefs = settings.prefs;
    state.frameRightOffset = settings.frameRightOffset;
    surface.setDrawWidth(state.prefs.penSize);
    surface.setDrawMode(state.prefs.drawMode);
    // The line style is no setting of the file.
    if (const auto v = valueOf(panel.Text8); v && std::fabs(*v) < 7) {
        if (const auto style = numbers::roundToInt16(std::fabs(*v)); style && *style <= 6)
            surface.setDrawStyle(*style);
    }
}

void coloursFromFields(const ControlPanel &panel, FormState &state, DrawingSurface &surface)
{
    Settings settings;
    static_cast<colors::PenAndBackground &>(settings) = state;
    settings.prefs = state.prefs;
    takeFields(panel, colourFields, settings);
    static_cast<colors::PenAndBackground &>(state) = settings;
    state.prefs.randomColors = settings.prefs.randomColors;
    state.foregroundColor = state.foreground();
    state.backgroundColor = state.background();
    surface.setBackColor(state.backgroundColor);
}

} // namespace closecommands
