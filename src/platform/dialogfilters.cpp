// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogfilters.h"

#include <QRegularExpression>

namespace dialogfilters
{

namespace
{

QStringList splitPatterns(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral("[; ]"));
    return text.split(separators, Qt::SkipEmptyParts);
}

// The description without a closing "(...)" that names exactly `patterns`.
QString withoutPatterns(const QString &description, const QStringList &patterns)
{
    const qsizetype open = description.lastIndexOf(u'(');
    if (open < 0 || !description.endsWith(u')'))
        return description;
    if (splitPatterns(description.sliced(open + 1).chopped(1)) != patterns)
        return description;
    return description.first(open).trimmed();
}

} // namespace

QStringList nameFilters(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QStringList patterns = splitPatterns(parts[i + 1]);
        if (patterns.isEmpty())
            continue;
        const QString qtPatterns = patterns.join(u' ');
        const QString description = withoutPatterns(parts[i].trimmed(), patterns);
        result << (description.isEmpty() ? qtPatterns
                                         : description + QStringLiteral(" (") + qtPatterns + u')');
    }
    return result;
}

} // namespace dialogfilters
