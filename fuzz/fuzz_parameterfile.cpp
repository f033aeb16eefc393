// SPDX-License-Identifier: GPL-3.0-or-later
// Reads any bytes as a parameter file and checks what the reader found
// against the file's lines; then writes what it found in the writer's form
// and reads that back, which must give the same texts and colours. Texts cut
// from the input are written and read back as well.
#include "fuzzcheck.h"
#include "numbers.h"
#include "parameterfile.h"

#include <QBuffer>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringDecoder>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace {

constexpr int textCount = 12;
constexpr int valueCount = 14;

parameterfile::Contents readBytes(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return parameterfile::read(buffer, QStringLiteral("fuzz.par"));
}

// The lines of a file, ended by CR LF, LF or a lone CR; a last line without
// its end counts when it holds anything.
QList<QByteArray> linesOf(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    QByteArray line;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        if (c == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
            ++i;
        lines.append(line);
        line.clear();
    }
    if (!line.isEmpty())
        lines.append(line);
    return lines;
}

QByteArray withoutLeadingBlanks(QByteArray line)
{
    while (!line.isEmpty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove(0, 1);
    return line;
}

// UTF-8 when the bytes are valid UTF-8, a byte order mark at the start kept
// as a character; Latin-1 otherwise.
QString textOf(const QByteArray &value)
{
    if (!value.isValidUtf8())
        return QString::fromLatin1(value);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return utf8(value);
}

std::optional<colors::Color> colorOf(const QByteArray &value)
{
    return numbers::roundToInt32(numbers::leadingNumber(std::string_view(value.constData(), value.size())));
}

// What the reader must find in `bytes`.
void checkAgainstLines(const QByteArray &bytes, const parameterfile::Contents &contents)
{
    const QList<QByteArray> lines = linesOf(bytes);
    const qsizetype texts = std::min<qsizetype>(lines.size(), textCount);
    check(contents.texts.size() == std::size_t(texts));
    for (qsizetype i = 0; i < texts; ++i)
        check(contents.texts[i] == textOf(withoutLeadingBlanks(lines[i])));
    if (lines.size() <= textCount) {
        check(!contents.foreground && !contents.background);
        check(contents.failure && contents.failure->number == failures::PastEndOfFile);
        return;
    }
    const auto foreground = colorOf(withoutLeadingBlanks(lines[textCount]));
    check(contents.foreground == foreground);
    if (!foreground) {
        check(!contents.background);
        check(contents.failure && contents.failure->number == failures::Overflow);
        return;
    }
    if (lines.size() < valueCount) {
        check(!contents.background);
        check(contents.failure && contents.failure->number == failures::PastEndOfFile);
        return;
    }
    const auto background = colorOf(withoutLeadingBlanks(lines[textCount + 1]));
    check(contents.background == background);
    check(background ? !contents.failure
                     : contents.failure && contents.failure->number == failures::Overflow);
}

// A read without a failure holds everything; a failure names what is missing.
void checkShape(const parameterfile::Contents &contents)
{
    check(contents.texts.size() <= std::size_t(textCount));
    if (contents.foreground)
        check(contents.texts.size() == std::size_t(textCount));
    if (contents.background)
        check(contents.foreground.has_value());
    if (!contents.failure)
        check(contents.background.has_value());
    else
        check(!contents.failure->description.isEmpty());
}

// Writes the texts and colours and reads them back: a text comes back without
// its leading blanks and tabs, and a text holding a line end splits its line,
// so only the texts before the first such text, and the colours only when
// there is none, are sure to come back.
void checkRoundTrip(const parameterfile::FieldTexts &texts, colors::Color foreground,
                    colors::Color background)
{
    const parameterfile::Contents back = readBytes(parameterfile::bytes(texts, foreground, background));
    checkShape(back);
    for (int i = 0; i < textCount; ++i) {
        const QString &text = texts[i];
        if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')))
            return;
        qsizetype first = 0;
        while (first < text.size() && (text[first] == QLatin1Char(' ') || text[first] == QLatin1Char('\t')))
            ++first;
        check(std::size_t(i) < back.texts.size() && back.texts[i] == text.mid(first));
    }
    check(!back.failure);
    check(back.foreground == foreground && back.background == background);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));

    const parameterfile::Contents contents = readBytes(bytes);
    checkShape(contents);
    checkAgainstLines(bytes, contents);

    // What was read carries no leading blanks or tabs and no line ends, so
    // all of it comes back; missing values are written as empty texts and
    // black.
    parameterfile::FieldTexts texts;
    for (std::size_t i = 0; i < contents.texts.size(); ++i) {
        const QString &text = contents.texts[i];
        check(!text.startsWith(QLatin1Char(' ')) && !text.startsWith(QLatin1Char('\t')));
        check(!text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')));
        texts[i] = text;
    }
    checkRoundTrip(texts, contents.foreground.value_or(0), contents.background.value_or(0));

    // The input cut at NUL bytes into twelve texts, any characters included;
    // the colours come from the lengths of the first two.
    const QList<QByteArray> parts = bytes.split('\0');
    parameterfile::FieldTexts cut;
    for (qsizetype i = 0; i < std::min<qsizetype>(parts.size(), textCount); ++i)
        cut[i] = QString::fromUtf8(parts[i]);
    const auto lengthColor = [&](qsizetype i) {
        return i < parts.size() ? colors::Color(parts[i].size() * 65537 - 40000) : colors::Color(0);
    };
    checkRoundTrip(cut, lengthColor(0), lengthColor(1));
    return 0;
}
