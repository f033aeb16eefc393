#include "settingstext.h"

#include "numbers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace settingstext
{

namespace
{

constexpr std::array<std::string_view, lineCount> comments = {
    " ' foreground red",
    " ' foreground green",
    " ' foreground blue",
    " ' background red",
    " ' background green",
    " ' background blue",
    " ' random colors",
    " ' frame background color",
    " ' frame foreground color",
    " ' Auto clean (1=yes 0=no)",
    " ' Auto redraw (1=yes 0=no - necessary for print/save)",
    " ' step size (default: 100)",
    " ' numbers of turns (default: 1)",
    " ' pen size (1=default and recommended)",
    " ' drawmode (1-16   13=default   See readme.txt for details)",
    " ' height of program window (0=screen height)",
    " ' offset from top of screen",
    " ' width of program window (0=sized to screen height)",
    " ' offset from left side of screen",
    " ' frame offset from right side of the program window",
    " ' offset from left side of program window",
    " ' offset from top of program window",
    " ' part of screen in x-direction used for drawing (1=recommended)",
    " ' part of screen in y-direction used for drawing (1=recommended)",
    " ' delay when mouse is used for determining size of drawings",
    " ' delay between new drawings when auto run is running",
};

// The line of the panel's text colour, which cuts its comment differently.
constexpr int frameForeColorLine = 9;

// The window takes its geometry as 32-bit integers (pixels and twips alike),
// so magnitudes from 2^31 up cannot be carried out. Neither can the largest
// single below it: written with seven digits it reads back as 2^31.
constexpr float geometryLimit = 2147483520.0f;

// The extra width, in twips, of a window whose width line reads 0.
constexpr float widthOverHeight = 2400.0f;

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
class FieldReader
{
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

// A window position or size in single precision, or nothing when the window
// could not take it.
std::optional<float> toGeometry(double value)
{
    const float single = numbers::toSingle(value);
    if (!(std::fabs(single) < geometryLimit))
        return std::nullopt;
    return single;
}

// A single-precision value, or nothing when it is beyond that range.
std::optional<float> toFiniteSingle(double value)
{
    const float single = numbers::toSingle(value);
    if (!std::isfinite(single))
        return std::nullopt;
    return single;
}

// Window height or width from lines 16 and 18: a magnitude of at least 1 is
// the size itself, 0 is `zeroSize`, a fraction is that part of `screenSize`.
// Negative sizes and negative fractions are refused: no window has them. So
// is a fraction that leaves less than 1 twip, which the file could not hold:
// written back, it would read as a fraction again.
std::optional<float> windowSize(double v, float zeroSize, double screenSize)
{
    if (v < 0)
        return std::nullopt;
    if (v >= 1)
        return toGeometry(v);
    if (v == 0)
        return toGeometry(zeroSize);
    const auto size = toGeometry(screenSize * v);
    if (size && *size < 1)
        return std::nullopt;
    return size;
}

template <typename Target> void assign(Target &target, const std::optional<Target> &value)
{
    if (value)
        target = *value;
}

// A colour component: 16-bit like the other small integers, and never
// negative, since a negative component forms no colour.
void assignComponent(int &component, double v)
{
    const auto rounded = numbers::roundToInt16(v);
    if (rounded && *rounded >= 0)
        component = *rounded;
}

// Applies line `line` with its cut field to `s`. Every value that is not
// finite (an exponent beyond the double range) is refused like a blank
// field; integers that do not fit are refused by the rounding itself.
void apply(int line, std::string_view cut, Settings &s, ScreenSize screen)
{
    const double v = numbers::leadingNumber(cut);
    const bool take = !isBlank(cut) && std::isfinite(v);
    switch (line) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6: {
        int *const components[] = {&s.foreRed, &s.foreGreen, &s.foreBlue,
                                   &s.backRed, &s.backGreen, &s.backBlue};
        if (take)
            assignComponent(*components[line - 1], v);
        break;
    }
    case 7:
        if (take)
            assign(s.randomColors, numbers::roundToInt16(v));
        break;
    case 8:
        if (take)
            assign(s.frameBackColor, numbers::roundToInt32(v));
        break;
    case 9:
        if (take)
            assign(s.frameForeColor, numbers::roundToInt32(v));
        break;
    case 10:
        if (take)
            s.autoClean = v;
        // Unchecking the box runs its click behaviour, which sets 0.
        if (s.autoClean == 0) {
            s.autoCleanChecked = false;
            s.autoClean = 0;
        }
        break;
    case 11:
        if (take)
            s.autoRedraw = numbers::parameterText(v);
        if (numbers::leadingNumber(s.autoRedraw) == 1)
            s.autoRedrawChecked = true;
        break;
    case 12:
        if (take && v > 0)
            s.stepSize = v;
        break;
    case 13:
        // A value too small for single precision would give 0 turns, which
        // the line refuses.
        if (take && v > 0) {
            const auto turns = toFiniteSingle(v);
            if (turns && *turns > 0)
                s.turns = *turns;
        }
        break;
    case 14:
        // 32767 itself is refused; a width that rounds to 0 would draw
        // nothing.
        if (take && v > 0 && v < 32767) {
            const auto width = numbers::roundToInt16(v);
            if (width && *width >= 1)
                s.penSize = *width;
        }
        break;
    case 15:
        // Modes run from 1 to 16: values that round to 0 or 17 are refused.
        if (take && v > 0 && v < 17) {
            const auto mode = numbers::roundToInt16(v);
            if (mode && *mode >= 1 && *mode <= 16)
                s.drawMode = *mode;
        }
        break;
    case 16:
        if (take)
            assign(s.windowHeight, windowSize(v, numbers::toSingle(screen.height), screen.height));
        break;
    case 17:
        if (take)
            assign(s.windowTop, toGeometry(v));
        break;
    case 18:
        if (take)
            assign(s.windowWidth, windowSize(v, s.windowHeight + widthOverHeight, screen.width));
        break;
    case 19:
        if (take)
            assign(s.windowLeft, toGeometry(v));
        break;
    case 20:
        if (take)
            assign(s.frameRightOffset, numbers::roundToInt16(v));
        break;
    case 21:
        if (take)
            assign(s.drawLeftOffset, numbers::roundToInt32(v));
        break;
    case 22:
        if (take)
            assign(s.drawTopOffset, numbers::roundToInt32(v));
        break;
    case 23:
        if (take)
            assign(s.drawPartX, toFiniteSingle(v));
        break;
    case 24:
        if (take)
            assign(s.drawPartY, toFiniteSingle(v));
        break;
    case 25:
        if (take)
            assign(s.mouseDelay, numbers::roundToInt32(v));
        break;
    case 26:
        if (take)
            assign(s.autoRunDelay, numbers::roundToInt32(v));
        break;
    default:
        break;
    }
}

std::string doubleText(double value)
{
    return numbers::numberText(value, numbers::Precision::Double);
}
std::string singleText(float value)
{
    return numbers::numberText(value, numbers::Precision::Single);
}

} // namespace

void read(std::string_view fileText, Settings &settings, ScreenSize screen)
{
    FieldReader fields(fileText);
    for (int line = 1; line <= lineCount && !fields.atEnd(); ++line)
        apply(line, cutComment(fields.next(), line), settings, screen);
}

std::string write(const Settings &s, ScreenSize screen)
{
    const bool screenHeight = s.windowHeight == numbers::toSingle(screen.height);
    const bool widthFromHeight = s.windowWidth == s.windowHeight + widthOverHeight;
    const std::array<std::string, lineCount> values = {
        doubleText(s.foreRed),
        doubleText(s.foreGreen),
        doubleText(s.foreBlue),
        doubleText(s.backRed),
        doubleText(s.backGreen),
        doubleText(s.backBlue),
        doubleText(s.randomColors),
        doubleText(s.frameBackColor),
        doubleText(s.frameForeColor),
        doubleText(s.autoCleanChecked ? 1 : 0),
        doubleText(s.autoRedrawChecked ? 1 : 0),
        doubleText(s.stepSize),
        singleText(s.turns),
        doubleText(s.penSize),
        doubleText(s.drawMode),
        screenHeight ? std::string("0") : singleText(s.windowHeight),
        singleText(s.windowTop),
        widthFromHeight ? std::string("0") : singleText(s.windowWidth),
        singleText(s.windowLeft),
        doubleText(s.frameRightOffset),
        doubleText(s.drawLeftOffset),
        doubleText(s.drawTopOffset),
        singleText(s.drawPartX),
        singleText(s.drawPartY),
        doubleText(s.mouseDelay),
        doubleText(s.autoRunDelay),
    };
    std::string text;
    for (int i = 0; i < lineCount; ++i) {
        text += values[i];
        text += comments[i];
        text += "\r\n";
    }
    return text;
}

} // namespace settingstext
