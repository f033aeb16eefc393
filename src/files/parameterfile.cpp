// SPDX-License-Identifier: GPL-3.0-or-later
#include "parameterfile.h"

#include "fileopen.h"
#include "numbers.h"
#include "safesave.h"

#include <QByteArray>
#include <QFile>
#include <QStringDecoder>

#include <cerrno>
#include <string_view>

namespace parameterfile
{

namespace
{

constexpr int textCount = 12;
constexpr int valueCount = 14;

// A longer line cannot come from the program; refusing it keeps a hostile
// file from filling the memory.
constexpr qsizetype maxLineLength = 16 * 1024 * 1024;
constexpr qsizetype chunkSize = 64 * 1024;

QByteArray colorLine(colors::Color color)
{
    return (color >= 0 ? QByteArrayLiteral(" ") : QByteArray()) + QByteArray::number(color);
}

enum class LineStatus { Read, EndOfFile, TooLong, ReadFailed };

// Hands out one line at a time, ended by CR LF, LF or a lone CR, holding no
// more than the current line and one chunk of the file.
class LineReader
{
  public:
    explicit LineReader(QIODevice &device) : device(device) {}
    LineStatus next(QByteArray &line);
    int readError() const { return error; }

  private:
    QIODevice &device;
    QByteArray buffer;
    qsizetype start = 0;
    qsizetype scanned = 0;
    bool skipLineFeed = false;
    bool atEnd = false;
    int error = 0;
};

LineStatus LineReader::next(QByteArray &line)
{
    for (;;) {
        // A CR ends a line; a LF right after it belongs to the same line end.
        if (skipLineFeed && start < buffer.size()) {
            if (buffer.at(start) == '\n')
                scanned = ++start;
            skipLineFeed = false;
        }
        while (scanned < buffer.size() && buffer.at(scanned) != '\r' && buffer.at(scanned) != '\n')
            ++scanned;
        if (scanned - start > maxLineLength)
            return LineStatus::TooLong;
        if (scanned < buffer.size()) {
            line = buffer.mid(start, scanned - start);
            skipLineFeed = buffer.at(scanned) == '\r';
            start = ++scanned;
            return LineStatus::Read;
        }
        if (atEnd) {
            if (start == buffer.size())
                return LineStatus::EndOfFile;
            line = buffer.mid(start);
            start = scanned = buffer.size();
            return LineStatus::Read;
        }
        buffer.remove(0, start);
        scanned -= start;
        start = 0;
        const qsizetype kept = buffer.size();
        buffer.resize(kept + chunkSize);
        errno = 0;
        const qint64 count = device.read(buffer.data() + kept, chunkSize);
        if (count < 0) {
            error = errno;
            return LineStatus::ReadFailed;
        }
        buffer.resize(kept + count);
        atEnd = count == 0;
    }
}

QByteArray withoutLeadingBlanks(const QByteArray &line)
{
    qsizetype first = 0;
    while (first < line.size() && (line.at(first) == ' ' || line.at(first) == '\t'))
        ++first;
    return line.mid(first);
}

QString decoded(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

// A failure to read part-way: files know their error, other devices can only
// report a device error.
Failure readFailure(const QIODevice &device, const QString &path, int systemError)
{
    if (const auto *file = qobject_cast<const QFileDevice *>(&device))
        return failures::fromFile(*file, path, systemError);
    return failures::make(failures::DeviceError);
}

} // namespace

QByteArray bytes(const FieldTexts &texts, colors::Color foreground, colors::Color background)
{
    QByteArray fileBytes;
    for (const QString &text : texts)
        fileBytes += text.toUtf8() + "\r\n";
    fileBytes += colorLine(foreground) + "\r\n";
    fileBytes += colorLine(background) + "\r\n";
    return fileBytes;
}

std::optional<Failure> write(const QString &path, const FieldTexts &texts, colors::Color foreground,
                             colors::Color background)
{
    return safesave::writeFile(path, bytes(texts, foreground, background));
}

Contents read(const QString &path)
{
    QFile file(path);
    errno = 0;
    // A pipe that nobody writes into reads as an empty file.
    if (!fileopen::open(file, QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        const int error = errno;
        Contents contents;
        contents.failure = failures::fromFile(file, path, error);
        return contents;
    }
    return read(file, path);
}

Contents read(QIODevice &device, const QString &pathForErrors)
{
    Contents contents;
    LineReader reader(device);
    for (int index = 0; index < valueCount; ++index) {
        QByteArray line;
        switch (reader.next(line)) {
        case LineStatus::Read:
            break;
        case LineStatus::EndOfFile:
            contents.failure = failures::make(failures::PastEndOfFile);
            return contents;
        case LineStatus::TooLong:
            contents.failure = failures::make(failures::OutOfMemory);
            return contents;
        case LineStatus::ReadFailed:
            contents.failure = readFailure(device, pathForErrors, reader.readError());
            return contents;
        }
        const QByteArray value = withoutLeadingBlanks(line);
        if (index < textCount) {
            contents.texts.push_back(decoded(value));
            continue;
        }
        const auto color =
            numbers::roundToInt32(numbers::leadingNumber(std::string_view(value.constData(), value.size())));
        if (!color) {
            contents.failure = failures::make(failures::Overflow);
            return contents;
        }
        (index == textCount ? contents.foreground : contents.background) = *color;
    }
    return contents;
}

} // namespace parameterfile
