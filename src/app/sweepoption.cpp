// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweepoption.h"

#include "fieldtable.h"
#include "numbers.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace sweepoption {

namespace {

// The forms a field's text may start with, longest first.
QStringList formsOf(fieldtable::Row row)
{
    switch (row) {
    case fieldtable::Amp: return {};
    case fieldtable::Freq:
    case fieldtable::Pwr1:
    case fieldtable::Pwr2: return {"/"};
    case fieldtable::Rot:
    case fieldtable::Wst: break;
    }
    return {"/-", "-"};
}

struct End {
    QString form;
    double value = 0;
};

std::optional<End> readEnd(const QString &text, fieldtable::Row row)
{
    static const QRegularExpression number("^[+-]?([0-9]+[.,]?[0-9]*|[.,][0-9]+)([eE][+-]?[0-9]+)?$");
    End end;
    for (const QString &form : formsOf(row))
        if (text.startsWith(form)) {
            end.form = form;
            break;
        }
    const QString rest = text.mid(end.form.size());
    if (!number.match(rest).hasMatch())
        return std::nullopt;
    QString point = rest;
    point.replace(',', '.');
    end.value = numbers::leadingNumber(point.toStdString());
    if (!std::isfinite(end.value))
        return std::nullopt;
    return end;
}

} // namespace

QString fieldNames()
{
    QStringList names;
    for (const fieldtable::Field &field : fieldtable::inFocusNumberOrder())
        names << field.shortName;
    return names.join(", ");
}

std::variant<animation::Sweep, QString> parse(const QString &text)
{
    static const QRegularExpression form("^([^=]*)=([^:]*):([^:]*)$");
    const auto match = form.match(text);
    if (!match.hasMatch())
        return QString("bad sweep \"%1\": expected FIELD=FROM:TO").arg(text);
    const QString name = match.captured(1).trimmed().toLower();
    const fieldtable::Field *field = fieldtable::byShortName(name.toStdString());
    if (!field)
        return QString("bad sweep \"%1\": no field is called \"%2\"; the fields are %3")
            .arg(text, match.captured(1), fieldNames());
    animation::Sweep sweep;
    sweep.field = field->index;
    sweep.name = field->shortName;
    const QString fromText = match.captured(2).trimmed();
    const QString toText = match.captured(3).trimmed();
    const auto from = readEnd(fromText, field->row);
    const auto to = readEnd(toText, field->row);
    for (const auto &[end, typed] : {std::pair{&from, fromText}, std::pair{&to, toText}})
        if (!*end)
            return QString("bad sweep \"%1\": \"%2\" is no value of the %3 field")
                .arg(text, typed, sweep.name);
    if (from->form != to->form)
        return QString("bad sweep \"%1\": both ends of the %2 field need the same form (\"%3\" and \"%4\")")
            .arg(text, sweep.name, from->form, to->form);
    sweep.prefix = from->form.toStdString();
    sweep.fromText = fromText.toStdString();
    sweep.toText = toText.toStdString();
    sweep.from = from->value;
    sweep.to = to->value;
    return sweep;
}

} // namespace sweepoption
