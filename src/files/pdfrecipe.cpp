// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdfrecipe.h"

#include <QXmlStreamReader>

#include <algorithm>
#include <optional>

namespace pdfrecipe {

namespace {

// The first block holds a small file whole; later ones grow to a size
// that reads a large file at little cost.
constexpr qint64 firstBlockSize = qint64(4) << 10;
constexpr qint64 largestBlockSize = qint64(1) << 20;
const QString kind = QStringLiteral("PDF");
const QByteArray packetBegin = "<?xpacket begin=";
const QByteArray packetEnd = "<?xpacket end=";
const QByteArray instructionEnd = "?>";

// The recipe element of one packet: its text, nothing when the packet holds
// none, or why the packet does not read.
struct PacketReading {
    std::optional<QByteArray> text;
    QString error;
};

PacketReading readPacket(const QByteArray &packet)
{
    QXmlStreamReader xml(packet);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement &&
            xml.namespaceUri() == QLatin1String(namespaceUri) && xml.name() == QLatin1String(elementName)) {
            const QString text = xml.readElementText();
            if (xml.hasError())
                break;
            return {text.toUtf8(), {}};
        }
    }
    return {std::nullopt, xml.hasError() ? xml.errorString() : QString()};
}

} // namespace

QByteArray xmpMetadata(const QString &recipeText)
{
    QString text = recipeText;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    // XML reads a carriage return as a line feed unless it is a reference.
    const QByteArray escaped =
        text.toHtmlEscaped().replace(QLatin1String("\r"), QLatin1String("&#13;")).toUtf8();
    return QByteArray("<?xpacket begin=\"\xef\xbb\xbf\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
                      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
                      " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
                      "  <rdf:Description rdf:about=\"\" xmlns:volutra=\"") +
           namespaceUri + "\">\n   <volutra:" + elementName + ">" + escaped + "</volutra:" + elementName +
           ">\n  </rdf:Description>\n </rdf:RDF>\n</x:xmpmeta>\n<?xpacket end=\"r\"?>";
}

picturetext::Reading read(QIODevice &device)
{
    qint64 blockSize = firstBlockSize;
    QByteArray pending = device.read(blockSize);
    if (!isPdf(pending))
        return picturetext::unreadable(kind, QStringLiteral("it does not begin with %PDF-"));
    QString packetError;
    qsizetype packetStart = -1;
    qsizetype searchFrom = 0;
    bool atEnd = false;
    while (true) {
        if (packetStart < 0) {
            packetStart = pending.indexOf(packetBegin, searchFrom);
            if (packetStart < 0) {
                // A marker may straddle two blocks.
                pending = pending.right(packetBegin.size() - 1);
                searchFrom = 0;
            }
        }
        if (packetStart >= 0) {
            const qsizetype end = pending.indexOf(packetEnd, std::max(searchFrom, packetStart));
            const qsizetype close = end < 0 ? -1 : pending.indexOf(instructionEnd, end);
            if (close >= 0) {
                const PacketReading packet =
                    readPacket(pending.mid(packetStart, close + instructionEnd.size() - packetStart));
                if (packet.text)
                    return picturetext::found(*packet.text);
                if (!packet.error.isEmpty())
                    packetError = packet.error;
                pending.remove(0, close + instructionEnd.size());
                packetStart = -1;
                searchFrom = 0;
                continue;
            }
            if (pending.size() - packetStart > qsizetype(picturetext::searchLimit))
                return picturetext::tooLarge();
            // Look again only where a new block may complete the end marker.
            searchFrom = end >= 0 ? end : std::max(packetStart, pending.size() - packetEnd.size() + 1);
        }
        if (atEnd)
            break;
        blockSize = std::min(blockSize * 2, largestBlockSize);
        const QByteArray block = device.read(blockSize);
        atEnd = block.isEmpty();
        pending += block;
    }
    if (packetStart >= 0)
        return picturetext::unreadable(kind, QStringLiteral("its metadata is cut short"));
    if (!packetError.isEmpty())
        return picturetext::unreadable(kind, QStringLiteral("its metadata does not read: ") + packetError);
    return picturetext::noRecipe();
}

picturetext::Reading read(const QString &path)
{
    return picturetext::fromFile(path, read);
}

picturetext::Reading readBytes(const QByteArray &bytes)
{
    return picturetext::fromBytes(bytes, read);
}

bool isPdf(const QByteArray &start)
{
    return start.startsWith("%PDF-");
}

} // namespace pdfrecipe
