#pragma once

#include "stock/journal.h"
#include "text/csv.h"

#include <QDate>
#include <QRandomGenerator>
#include <QStringList>

#include <cmath>
#include <deque>
#include <functional>
#include <vector>

// A generated journal of a shop's trading: shipments in у.е. and in a local currency with markup
// and VAT, returns of earlier lines, receipts and corrections; rows before `chargedFrom` written
// in the old 13-column form. The rows are kept, so that tests count them on their own.
namespace korvanta::testing {

struct MadeItem {
    QString file;
    int record = 1; // from 1
    QString name;
    double price = 10;
};

struct MadeRow {
    stock::JournalRow row;
    bool charged = false; // has the columns after the 13th
    QString orderLine;
    double unitPrice = 0;
    double amount = 0; // line amount in the order's unit
    QString unit;      // "у.е." or the currency
    double rate = 1;
    double markup = 0;
    double vat = -1; // below 0: not charged
    QDate day() const { return QDate::fromString(row.date, QStringLiteral("dd.MM.yyyy")); }
    // Revenue as charged, in у.е.; for an old row its price text, the line's amount.
    double chargedUe() const
    {
        if (!charged)
            return QString(row.priceText).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
        return unit == QStringLiteral("у.е.") ? chargedInUnit() : chargedInUnit() / rate;
    }
    double chargedInUnit() const { return amount * (1 + markup / 100) * (1 + (vat < 0 ? 0 : vat) / 100); }

    QStringList fields(QChar decimal) const
    {
        // The 13 columns journals had before the charged ones.
        QStringList f = row.fields().mid(0, stock::BaseColumnCount);
        if (!charged)
            return f;
        const auto number = [&](double v) {
            QString t = QString::number(v, 'f', 2);
            return t.replace(QLatin1Char('.'), decimal);
        };
        f << orderLine << number(unitPrice) << number(amount) << unit << number(rate) << number(markup)
          << (vat < 0 ? QString() : number(vat)) << row.date << QStringLiteral("1");
        return f;
    }
};

struct JournalMaker {
    std::vector<MadeItem> items;
    QDate from;
    QDate to;
    QDate chargedFrom;    // rows from this day on have the charged columns
    int ordersPerDay = 6; // on average
    quint32 seed = 7;
    QChar decimal = QLatin1Char(',');

    std::vector<MadeRow> rows;

    // Keeps every row in `rows`.
    void make()
    {
        rows.clear();
        make([this](const MadeRow& r) { rows.push_back(r); });
    }

    // Hands each row to `sink` and keeps only the last shipments, for journals of any size.
    void make(const std::function<void(const MadeRow&)>& sink)
    {
        QRandomGenerator random(seed);
        long long order = 0;
        std::deque<MadeRow> shipped; // the recent shipments, which may come back
        std::vector<long long> stock(items.size(), 20);
        for (QDate day = from; day <= to; day = day.addDays(1)) {
            // Busier on weekdays and towards the end of the range.
            const int weekday = day.dayOfWeek() >= 6 ? 1 : 2;
            const int orders = int(random.bounded(ordersPerDay * weekday)) + (day.day() % 3);
            for (int o = 0; o < orders; ++o) {
                ++order;
                const bool local = random.bounded(3) == 0;
                const double rate = local ? 29.7 + random.bounded(20) / 10.0 : 1.0;
                const double markup = double(random.bounded(3) * 5);
                const double vat = random.bounded(2) ? 20 : -1;
                const int lines = 1 + int(random.bounded(4));
                const QString time =
                    QTime(9, 0).addSecs(int(random.bounded(10 * 3600))).toString(QStringLiteral("HH:mm:ss"));
                for (int l = 0; l < lines; ++l) {
                    // A few items sell much more than the others.
                    const size_t i = random.bounded(4) == 0 ? random.bounded(quint32(std::min<size_t>(5, items.size())))
                                                            : random.bounded(quint32(items.size()));
                    const MadeItem& item = items[i];
                    const long long quantity = 1 + (random.bounded(5) == 0 ? 1 : 0);
                    MadeRow r;
                    r.row = {order,
                             day.toString(QStringLiteral("dd.MM.yyyy")),
                             time,
                             QStringLiteral("anna@kassa1"),
                             o % 4 == 0 ? QStringLiteral("ООО \"Вектор; Плюс\"") : QStringLiteral("Иванов"),
                             stock::ShipmentOp,
                             item.file,
                             item.record - 1,
                             item.name,
                             quantity,
                             QString::number(item.price * double(quantity), 'f', 2).replace(QLatin1Char('.'), decimal),
                             stock[i],
                             stock[i] - quantity};
                    stock[i] -= quantity;
                    r.charged = day >= chargedFrom;
                    r.unit = local ? QStringLiteral("руб.") : QStringLiteral("у.е.");
                    r.rate = local ? rate : 29.7;
                    r.unitPrice = local ? std::round(item.price * rate * 100) / 100 : item.price;
                    r.amount = r.unitPrice * double(quantity);
                    r.markup = markup;
                    r.vat = vat;
                    r.orderLine = quantity > 1 ? QStringLiteral("%1 - %2шт.").arg(item.name).arg(quantity) : item.name;
                    sink(r);
                    shipped.push_back(r);
                    if (shipped.size() > 500)
                        shipped.pop_front();
                }
            }
            // Now and then a line of an earlier order comes back, one piece of it.
            for (int k = orders / 20; !shipped.empty() && k >= 0; --k) {
                if (random.bounded(3) != 0)
                    continue;
                // Each shipped line comes back at most once.
                const auto which = shipped.begin() + random.bounded(quint32(shipped.size()));
                MadeRow r = *which;
                shipped.erase(which);
                const long long quantity = 1;
                r.row.date = day.toString(QStringLiteral("dd.MM.yyyy"));
                r.row.operation = stock::ReturnOp;
                r.row.quantity = quantity;
                r.amount = r.unitPrice * double(quantity);
                sink(r);
            }
            // Goods come in on Mondays; a count is put right now and then.
            if (day.dayOfWeek() == 1) {
                for (size_t i = 0; i < items.size(); i += 1 + random.bounded(3)) {
                    MadeRow r;
                    r.row = {++order,
                             day.toString(QStringLiteral("dd.MM.yyyy")),
                             QStringLiteral("08:30:00"),
                             QStringLiteral("owner@office"),
                             QString(),
                             stock::ReceiptOp,
                             items[i].file,
                             items[i].record - 1,
                             items[i].name,
                             10,
                             QString(),
                             stock[i],
                             stock[i] + 10};
                    stock[i] += 10;
                    sink(r);
                }
            }
            if (day.day() == 15) {
                MadeRow r;
                const size_t i = random.bounded(quint32(items.size()));
                r.row = {++order,
                         day.toString(QStringLiteral("dd.MM.yyyy")),
                         QStringLiteral("19:00:00"),
                         QStringLiteral("owner@office"),
                         QString(),
                         stock::CorrectionOp,
                         items[i].file,
                         items[i].record - 1,
                         items[i].name,
                         -1,
                         QString(),
                         stock[i],
                         stock[i] - 1};
                stock[i] -= 1;
                sink(r);
            }
        }
    }

    QByteArray bytes() const
    {
        QByteArray out = csv::row(stock::columnTitles());
        for (const MadeRow& r : rows)
            out += csv::row(r.fields(decimal));
        return out;
    }
};

} // namespace korvanta::testing
