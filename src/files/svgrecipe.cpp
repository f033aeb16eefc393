// SPDX-License-Identifier: GPL-3.0-or-later
#include "svgrecipe.h"

#include "recipetext.h"

#include <QXmlStreamReader>

#include <algorithm>

namespace svgrecipe {

namespace {

constexpr qint64 firstBlockSize = qint64(4) << 10;
const QString kind = QStringLiteral("SVG");

// Feeds `xml` the device's bytes a block at a time, no more than
// picturetext::searchLimit in all. The reader parses a token cut by the end
// of a block again from its start once more comes, so each block is twice
// the one before: a long token costs a few passes, not one a block.
class Feed {
public:
    Feed(QIODevice &device, QXmlStreamReader &xml) : device_(device), xml_(xml) {}

    // False at the end of the device or of the bound.
    bool more()
    {
        const qint64 room = qint64(picturetext::searchLimit) - taken_;
        if (room <= 0)
            return false;
        const QByteArray block = device_.read(std::min(blockSize_, room));
        if (block.isEmpty())
            return false;
        taken_ += block.size();
        blockSize_ *= 2;
        xml_.addData(block);
        return true;
    }

    bool exhausted() const { return taken_ >= qint64(picturetext::searchLimit); }

private:
    QIODevice &device_;
    QXmlStreamReader &xml_;
    qint64 taken_ = 0;
    qint64 blockSize_ = firstBlockSize;
};

} // namespace

picturetext::Reading read(QIODevice &device)
{
    QXmlStreamReader xml;
    Feed feed(device, xml);
    feed.more();
    int depth = 0;
    bool inMetadata = false;
    QString text;
    while (true) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (xml.hasError()) {
            if (xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)
                return picturetext::unreadable(kind, xml.errorString());
            if (feed.more())
                continue;
            if (feed.exhausted())
                return picturetext::tooLarge();
            return picturetext::unreadable(kind, QStringLiteral("the drawing ends before its recipe"));
        }
        switch (token) {
        case QXmlStreamReader::StartElement:
            ++depth;
            if (depth == 1 && xml.name() != QLatin1String("svg"))
                return picturetext::unreadable(
                    kind, QStringLiteral("the document is <%1>, not an SVG drawing").arg(xml.name()));
            if (depth == 2 && xml.name() == QLatin1String("metadata")) {
                inMetadata = true;
                text.clear();
            }
            // Ours holds text alone; metadata of other programs holds elements.
            if (depth == 3)
                inMetadata = false;
            break;
        case QXmlStreamReader::Characters:
            if (inMetadata && depth == 2) {
                text += xml.text();
                if (std::size_t(text.size()) > picturetext::textLimit)
                    return picturetext::tooLarge();
            }
            break;
        case QXmlStreamReader::EndElement:
            if (inMetadata && depth == 2) {
                if (text.startsWith(QLatin1String(recipetext::versionPrefix)))
                    return picturetext::found(text.toUtf8());
            }
            if (depth == 2)
                inMetadata = false;
            if (--depth == 0)
                return picturetext::noRecipe();
            break;
        case QXmlStreamReader::EndDocument: return picturetext::noRecipe();
        default: break;
        }
    }
}

picturetext::Reading read(const QString &path)
{
    return picturetext::fromFile(path, read);
}

picturetext::Reading readBytes(const QByteArray &bytes)
{
    return picturetext::fromBytes(bytes, read);
}

bool looksLikeXml(const QByteArray &start)
{
    qsizetype i = start.startsWith("\xef\xbb\xbf") ? 3 : 0;
    while (i < start.size() && (start[i] == ' ' || start[i] == '\t' || start[i] == '\r' || start[i] == '\n'))
        ++i;
    return i < start.size() && start[i] == '<';
}

} // namespace svgrecipe
