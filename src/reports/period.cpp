#include "reports/period.h"

#include <QLocale>

#include <algorithm>

namespace korvanta::reports {

namespace {

QDate lastOfMonth(const QDate& date)
{
    return QDate(date.year(), date.month(), date.daysInMonth());
}

QString dayText(const QDate& date)
{
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

} // namespace

Period periodOf(PeriodKind kind, const QDate& today, const QDate& from, const QDate& to)
{
    switch (kind) {
    case PeriodKind::Today:
        return {today, today};
    case PeriodKind::ThisWeek:
        return {groupStart(today, Grouping::Week), today};
    case PeriodKind::ThisMonth:
        return {groupStart(today, Grouping::Month), today};
    case PeriodKind::LastMonth: {
        const QDate first = groupStart(today, Grouping::Month).addMonths(-1);
        return {first, lastOfMonth(first)};
    }
    case PeriodKind::ThisYear:
        return {QDate(today.year(), 1, 1), today};
    case PeriodKind::Custom:
        break;
    }
    return from <= to ? Period{from, to} : Period{to, from};
}

Period previousPeriod(const Period& period)
{
    if (!period.isValid())
        return {};
    const QDate& from = period.from;
    const QDate& to = period.to;
    if (from.day() == 1 && from != to) {
        // A year so far (more than its first month), whole months, or a month so far.
        if (from.month() == 1 && to.year() == from.year() && to.month() > 1)
            return {from.addYears(-1), to.addYears(-1)};
        const int months = (to.year() - from.year()) * 12 + to.month() - from.month() + 1;
        if (months >= 1 && to == lastOfMonth(to))
            return {from.addMonths(-months), lastOfMonth(to.addMonths(-months))};
        if (months == 1)
            return {from.addMonths(-1), std::min(to.addMonths(-1), lastOfMonth(from.addMonths(-1)))};
    }
    const qint64 days = period.days();
    return {from.addDays(-days), from.addDays(-1)};
}

QDate groupStart(const QDate& date, Grouping grouping)
{
    switch (grouping) {
    case Grouping::Day:
        return date;
    case Grouping::Week:
        return date.addDays(1 - date.dayOfWeek());
    case Grouping::Month:
        return QDate(date.year(), date.month(), 1);
    }
    return date;
}

QDate groupEnd(const QDate& date, Grouping grouping)
{
    switch (grouping) {
    case Grouping::Day:
        return date;
    case Grouping::Week:
        return groupStart(date, grouping).addDays(6);
    case Grouping::Month:
        return lastOfMonth(date);
    }
    return date;
}

std::vector<QDate> groupStarts(const Period& period, Grouping grouping)
{
    std::vector<QDate> starts;
    if (!period.isValid())
        return starts;
    for (QDate d = groupStart(period.from, grouping); d <= period.to; d = groupEnd(d, grouping).addDays(1))
        starts.push_back(d);
    return starts;
}

QString groupLabel(const QDate& start, Grouping grouping)
{
    switch (grouping) {
    case Grouping::Day:
        return dayText(start);
    case Grouping::Week: {
        const QDate end = start.addDays(6);
        return start.toString(QStringLiteral("dd.MM")) + QStringLiteral("–") + dayText(end);
    }
    case Grouping::Month: {
        QString name = QLocale(QLocale::Russian).standaloneMonthName(start.month());
        if (!name.isEmpty())
            name[0] = name[0].toUpper();
        return name + QLatin1Char(' ') + QString::number(start.year());
    }
    }
    return dayText(start);
}

QString periodLabel(const Period& period)
{
    if (period.from == period.to)
        return dayText(period.from);
    return dayText(period.from) + QStringLiteral(" – ") + dayText(period.to);
}

} // namespace korvanta::reports
