#pragma once

#include <QDate>
#include <QString>

#include <vector>

// Report periods and their groups of days. Weeks start on Monday.
namespace korvanta::reports {

enum class PeriodKind { Today, ThisWeek, ThisMonth, LastMonth, ThisYear, Custom };
enum class Grouping { Day, Week, Month };

// Both ends included.
struct Period {
    QDate from;
    QDate to;

    bool isValid() const { return from.isValid() && to.isValid() && from <= to; }
    bool contains(const QDate& date) const { return date >= from && date <= to; }
    qint64 days() const { return isValid() ? from.daysTo(to) + 1 : 0; }
    bool operator==(const Period& o) const { return from == o.from && to == o.to; }
};

// The period of that kind around `today`; Custom is `from`..`to` (swapped when given backwards).
Period periodOf(PeriodKind kind, const QDate& today, const QDate& from = QDate(), const QDate& to = QDate());

// The period before, to compare with. One day: the day before. From 1 January to a later month of that year: the same
// days a year before. Whole months: as many months just before. A month so far (the 1st to the 17th): the 1st to the
// 17th of the month before, its last day when that month is shorter. Any other: as many days just before.
Period previousPeriod(const Period& period);

// The first day of the group holding `date`.
QDate groupStart(const QDate& date, Grouping grouping);
QDate groupEnd(const QDate& date, Grouping grouping);

// The groups covering the period, as their first days, in order; the first and last group may
// reach beyond it.
std::vector<QDate> groupStarts(const Period& period, Grouping grouping);

// "07.12.2026", "07.12–13.12.2026", "Декабрь 2026".
QString groupLabel(const QDate& start, Grouping grouping);
// "01.12.2026 – 31.12.2026", or one date.
QString periodLabel(const Period& period);

} // namespace korvanta::reports
