// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingstext.h"

#include "numbers.h"
#include "settingrules.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <type_traits>

namespace settingstext {

namespace {

// The extra width, in twips, of a window whose width line reads 0.
constexpr float widthOverHeight = 2400.0f;

// The line of the panel's text colour, which cuts its comment differently.
constexpr int frameForeColorLine = 9;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isBlank(std::string_view text)
{
    for (const char c : text)
        if (!isBlank(c))
            return false;
    return true;
}

// Splits the file into fields: blanks in front of a field are skipped; a
// field that begins with a double quote runs to the next double quote; any
// other field runs to the next comma or line end. CR LF and a lone LF both end
// a line, so an empty line is an empty field.
class FieldReader {
public:
    explicit FieldReader(std::string_view text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }

    std::string_view next()
    {
        while (pos_ < text_.size() && isBlank(text_[pos_]))
            ++pos_;
        std::string_view field;
        if (pos_ < text_.size() && text_[pos_] == '"') {
            const std::size_t start = pos_ + 1;
            const std::size_t quote = std::min(text_.find('"', start), text_.size());
            field = text_.substr(start, quote - start);
            pos_ = std::min(quote + 1, text_.size());
        } else {
            const std::size_t start = pos_;
            while (pos_ < text_.size() && text_[pos_] != ',' && lineEndAt(pos_) == 0)
                ++pos_;
            field = text_.substr(start, pos_ - start);
        }
        skipPastSeparator();
        return field;
    }

private:
    std::size_t lineEndAt(std::size_t i) const
    {
        if (text_[i] == '\n')
            return 1;
        if (text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n')
            return 2;
        return 0;
    }

    // Whatever follows a closing quote up to the comma or line end belongs
    // to no field.
    void skipPastSeparator()
    {
        while (pos_ < text_.size() && text_[pos_] != ',' && lineEndAt(pos_) == 0)
            ++pos_;
        if (pos_ < text_.size())
            pos_ += text_[pos_] == ',' ? 1 : lineEndAt(pos_);
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

// Cuts the comment off: after the first apostrophe, which stays, so that a
// line holding only a comment still reads as 0. Line 9 keeps only what
// stands before the apostrophe, behind one blank, so that there a bare
// comment is blank.
std::string cutComment(std::string_view field, int line)
{
    const std::size_t apostrophe = field.find('\'');
    if (apostrophe == std::string_view::npos)
        return std::string(field);
    if (line == frameForeColorLine)
        return " " + std::string(field.substr(0, apostrophe));
    return std::string(field.substr(0, apostrophe + 1));
}

// A setting of Settings, of its drawing preferences or of their placement.
template <typename Owner, typename T> T &at(Settings &s, T Owner::*member)
{
    if constexpr (std::is_base_of_v<Owner, Settings>)
        return s.*member;
    else if constexpr (std::is_same_v<Owner, DrawingPrefs>)
        return s.prefs.*member;
    else
        return s.prefs.placement.*member;
}
template <typename Owner, typename T> const T &at(const Settings &s, T Owner::*member)
{
    return at(const_cast<Settings &>(s), member);
}

// What a line does with its value, which is empty for a blank field or one
// that is no finite number (an exponent beyond the double range). Returns
// whether the value was taken.
using Apply = bool (*)(Settings &, std::optional<double> value, ScreenSize);
using Write = std::string (*)(const Settings &, ScreenSize);

template <auto member, auto rule> bool take(Settings &s, std::optional<double> value, ScreenSize)
{
    const auto ruled = value ? rule(*value) : std::nullopt;
    if (ruled)
        at(s, member) = *ruled;
    return ruled.has_value();
}

template <auto member> std::string doubleText(const Settings &s, ScreenSize)
{
    return numbers::numberText(at(s, member), numbers::Precision::Double);
}
template <auto member> std::string singleText(const Settings &s, ScreenSize)
{
    return numbers::numberText(at(s, member), numbers::Precision::Single);
}

bool takeAutoClean(Settings &s, std::optional<double> value, ScreenSize)
{
    if (value)
        s.autoClean = *value;
    // Unchecking the box runs its click behaviour, which sets 0.
    if (s.autoClean == 0) {
        s.autoCleanChecked = false;
        s.autoClean = 0;
    }
    return value.has_value();
}
std::string autoCleanText(const Settings &s, ScreenSize)
{
    return numbers::numberText(s.autoCleanChecked ? 1 : 0, numbers::Precision::Double);
}

bool takeAutoRedraw(Settings &s, std::optional<double> value, ScreenSize)
{
    if (value)
        s.autoRedraw = numbers::parameterText(*value);
    if (numbers::leadingNumber(s.autoRedraw) == 1)
        s.autoRedrawChecked = true;
    return value.has_value();
}
std::string autoRedrawText(const Settings &s, ScreenSize)
{
    return numbers::numberText(s.autoRedrawChecked ? 1 : 0, numbers::Precision::Double);
}

bool takeWindowHeight(Settings &s, std::optional<double> value, ScreenSize screen)
{
    const auto size = value
                          ? settingrules::windowSize(*value, numbers::toSingle(screen.height), screen.height)
                          : std::nullopt;
    if (size)
        s.windowHeight = *size;
    return size.has_value();
}
std::string windowHeightText(const Settings &s, ScreenSize screen)
{
    // 0 stands for the screen's height.
    if (s.windowHeight == numbers::toSingle(screen.height))
        return "0";
    return singleText<&Settings::windowHeight>(s, screen);
}

bool takeWindowWidth(Settings &s, std::optional<double> value, ScreenSize screen)
{
    const auto size = value ? settingrules::windowSize(*value, s.windowHeight + widthOverHeight, screen.width)
                            : std::nullopt;
    if (size)
        s.windowWidth = *size;
    return size.has_value();
}
std::string windowWidthText(const Settings &s, ScreenSize screen)
{
    // 0 stands for a width made from the height.
    if (s.windowWidth == s.windowHeight + widthOverHeight)
        return "0";
    return singleText<&Settings::windowWidth>(s, screen);
}

struct Line {
    std::string_view name;
    std::string_view range;
    Apply apply;
    Write write;
    std::string_view comment;
};

namespace rules = settingrules;

// The file's lines in order.
constexpr std::array<Line, lineCount> lines = {{
    {"foreRed",
     {},
     take<&Settings::foreRed, rules::component>,
     doubleText<&Settings::foreRed>,
     " ' foreground red"},
    {"foreGreen",
     {},
     take<&Settings::foreGreen, rules::component>,
     doubleText<&Settings::foreGreen>,
     " ' foreground green"},
    {"foreBlue",
     {},
     take<&Settings::foreBlue, rules::component>,
     doubleText<&Settings::foreBlue>,
     " ' foreground blue"},
    {"backRed",
     {},
     take<&Settings::backRed, rules::component>,
     doubleText<&Settings::backRed>,
     " ' background red"},
    {"backGreen",
     {},
     take<&Settings::backGreen, rules::component>,
     doubleText<&Settings::backGreen>,
     " ' background green"},
    {"backBlue",
     {},
     take<&Settings::backBlue, rules::component>,
     doubleText<&Settings::backBlue>,
     " ' background blue"},
    {"randomColors",
     {},
     take<&DrawingPrefs::randomColors, rules::int16>,
     doubleText<&DrawingPrefs::randomColors>,
     " ' random colors"},
    {"frameBackColor",
     {},
     take<&Settings::frameBackColor, rules::int32>,
     doubleText<&Settings::frameBackColor>,
     " ' frame background color"},
    {"frameForeColor",
     {},
     take<&Settings::frameForeColor, rules::int32>,
     doubleText<&Settings::frameForeColor>,
     " ' frame foreground color"},
    {"autoClean", {}, takeAutoClean, autoCleanText, " ' Auto clean (1=yes 0=no)"},
    {"autoRedraw",
     {},
     takeAutoRedraw,
     autoRedrawText,
     " ' Auto redraw (1=yes 0=no - necessary for print/save)"},
    {"stepSize", "above 0", take<&DrawingPrefs::stepSize, rules::stepSize>,
     doubleText<&DrawingPrefs::stepSize>, " ' step size (default: 100)"},
    {"turns", "above 0", take<&DrawingPrefs::turns, rules::turns>, singleText<&DrawingPrefs::turns>,
     " ' numbers of turns (default: 1)"},
    {"penSize", "from 1 to 32766", take<&DrawingPrefs::penSize, rules::penSize>,
     doubleText<&DrawingPrefs::penSize>, " ' pen size (1=default and recommended)"},
    {"drawMode", "from 1 to 16", take<&DrawingPrefs::drawMode, rules::drawMode>,
     doubleText<&DrawingPrefs::drawMode>, " ' drawmode (1-16   13=default   See readme.txt for details)"},
    {"windowHeight", {}, takeWindowHeight, windowHeightText, " ' height of program window (0=screen height)"},
    {"windowTop",
     {},
     take<&Settings::windowTop, rules::geometry>,
     singleText<&Settings::windowTop>,
     " ' offset from top of screen"},
    {"windowWidth",
     {},
     takeWindowWidth,
     windowWidthText,
     " ' width of program window (0=sized to screen height)"},
    {"windowLeft",
     {},
     take<&Settings::windowLeft, rules::geometry>,
     singleText<&Settings::windowLeft>,
     " ' offset from left side of screen"},
    {"frameRightOffset",
     {},
     take<&Settings::frameRightOffset, rules::int16>,
     doubleText<&Settings::frameRightOffset>,
     " ' frame offset from right side of the program window"},
    {"drawLeftOffset",
     {},
     take<&Placement::drawLeftOffset, rules::int32>,
     doubleText<&Placement::drawLeftOffset>,
     " ' offset from left side of program window"},
    {"drawTopOffset",
     {},
     take<&Placement::drawTopOffset, rules::int32>,
     doubleText<&Placement::drawTopOffset>,
     " ' offset from top of program window"},
    {"drawPartX",
     {},
     take<&Placement::drawPartX, rules::single>,
     singleText<&Placement::drawPartX>,
     " ' part of screen in x-direction used for drawing (1=recommended)"},
    {"drawPartY",
     {},
     take<&Placement::drawPartY, rules::single>,
     singleText<&Placement::drawPartY>,
     " ' part of screen in y-direction used for drawing (1=recommended)"},
    {"mouseDelay",
     {},
     take<&DrawingPrefs::mouseDelay, rules::int32>,
     doubleText<&DrawingPrefs::mouseDelay>,
     " ' delay when mouse is used for determining size of drawings"},
    {"autoRunDelay",
     {},
     take<&DrawingPrefs::autoRunDelay, rules::int32>,
     doubleText<&DrawingPrefs::autoRunDelay>,
     " ' delay between new drawings when auto run is running"},
}};

const Line *lineAt(int line)
{
    return line >= 1 && line <= lineCount ? &lines[std::size_t(line - 1)] : nullptr;
}

// Reads one field's value as line `line` does and applies it.
bool applyField(int line, std::string_view field, Settings &settings, ScreenSize screen)
{
    const std::string cut = cutComment(field, line);
    const double v = numbers::leadingNumber(cut);
    const bool number = !isBlank(cut) && std::isfinite(v);
    return lineAt(line)->apply(settings, number ? std::optional<double>(v) : std::nullopt, screen);
}

// Whether a field holds anything before its comment.
bool hasValue(std::string_view field)
{
    return !isBlank(field.substr(0, field.find('\'')));
}

} // namespace

std::vector<int> read(std::string_view fileText, Settings &settings, ScreenSize screen)
{
    std::vector<int> refused;
    FieldReader fields(fileText);
    for (int line = 1; line <= lineCount && !fields.atEnd(); ++line) {
        const std::string_view field = fields.next();
        if (!applyField(line, field, settings, screen) && hasValue(field))
            refused.push_back(line);
    }
    return refused;
}

std::string write(const Settings &settings, ScreenSize screen)
{
    std::string text;
    for (const Line &line : lines) {
        text += line.write(settings, screen);
        text += line.comment;
        text += "\r\n";
    }
    return text;
}

int lineNamed(std::string_view name)
{
    for (int line = 1; line <= lineCount; ++line)
        if (lines[std::size_t(line - 1)].name == name)
            return line;
    return 0;
}

std::string_view rangeOf(int line)
{
    const Line *found = lineAt(line);
    return found ? found->range : std::string_view();
}

bool applyText(int line, std::string_view text, Settings &settings, ScreenSize screen)
{
    return lineAt(line) && applyField(line, FieldReader(text).next(), settings, screen);
}

bool applyNumber(int line, double value, Settings &settings, ScreenSize screen)
{
    return lineAt(line) &&
           lineAt(line)->apply(settings, std::isfinite(value) ? std::optional<double>(value) : std::nullopt,
                               screen);
}

} // namespace settingstext
