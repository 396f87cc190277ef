#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The journal of stock movements: "journal.csv" in the shop folder, one row per item and
// movement, cp1251 with ';' so that a spreadsheet opens it directly. Rows are only ever appended.
namespace korvanta::stock {

extern const QString JournalFile;  // "journal.csv"
extern const QString TornFile;     // "journal-torn.csv": torn last rows set aside
extern const QString CounterFile;  // "journal-number.txt": the last order number given out
extern const QString ShipmentOp;   // "отгрузка"
extern const QString ReturnOp;     // "возврат"
extern const QString ReceiptOp;    // "приход"
extern const QString CorrectionOp; // "правка"

enum Column {
    OrderColumn,
    DateColumn,
    TimeColumn,
    WorkplaceColumn,
    CustomerColumn,
    OperationColumn,
    FileColumn,
    RecordColumn,
    NameColumn,
    QuantityColumn,
    PriceColumn,
    BeforeColumn,
    AfterColumn,
    // What the printed order said about a shipped item; empty in other rows and in rows written
    // before the journal had them (BaseColumnCount columns).
    OrderLineColumn,
    UnitPriceColumn,
    AmountColumn,
    UnitColumn,
    RateColumn,
    MarkupColumn,
    VatColumn,
    OrderDateColumn,
    LinePositionColumn,
    ColumnCount
};
constexpr int BaseColumnCount = OrderLineColumn;

// The header row's captions, in column order.
const QStringList& columnTitles();

struct JournalRow {
    long long order = 0; // 0: the next number, given when the row is appended
    QString date;        // "dd.MM.yyyy"; empty: stamped when appended
    QString time;        // "HH:mm:ss"
    QString workplace;   // user@host
    QString customer;
    QString operation;
    QString fileName; // bare price-list file name
    int record = 0;   // 0-based; the file shows displayRecordNumber(record)
    QString name;
    long long quantity = 0;
    QString priceText;
    long long stockBefore = 0;
    long long stockAfter = 0;
    // As printed, numbers with the writing copy's decimal separator; see the column names.
    QString orderLine;    // the item's line text, memory and fans with their count
    QString unitPrice;    // in the order's unit
    QString amount;       // the line's amount as printed, before markup and VAT
    QString unit;         // "у.е." or the currency's name
    QString rate;         // local currency units per у.е.
    QString markup;       // percent
    QString vat;          // percent; empty when VAT was not charged
    QString orderDate;    // "d.m.yyyy" as the date line printed it
    int linePosition = 0; // 1: the first item line of the printed order; 0: none

    QStringList fields() const;
    // Nothing when the fields are not a movement (the header, a hand-edited line).
    static std::optional<JournalRow> fromFields(const QStringList& fields);
};

// A number of the journal's charged columns written with `decimal`: the shortest text that reads
// back to the same value. A rate always shows its separator, so that a reader can tell which
// separator the writing copy used.
QString journalNumber(double value, QChar decimal, bool showSeparator = false);
// Such a number read back, with ',' or '.'; nothing when the text is empty or not a number.
std::optional<double> readJournalNumber(const QString& text);

// The separator a row's charged numbers were written with (the rate always shows it), or
// `fallback` for a row that shows none.
QChar decimalOf(const JournalRow& row, QChar fallback);

// Gives the rows without a date this moment's date and time, as the journal writes them.
void stampUndated(std::vector<JournalRow>& rows);

// "user@host" of this copy of the program.
QString currentWorkplace();

// The journal of one shop folder.
class Journal {
public:
    explicit Journal(QString directory = QString());
    virtual ~Journal() = default;

    QString path() const;
    QString tornPath() const;
    const QString& directory() const { return m_directory; }
    // A price-list file of the same folder.
    QString listPath(const QString& fileName) const;
    // The last order number given out, kept beside the journal so that a number reserved for a
    // print is never given again even before its rows are written.
    QString counterPath() const;

    // Under the journal's lock: the next order number, above every number the journal or the
    // counter holds, recorded in the counter at once.
    long long reserveOrder();

    // Under the journal's lock: sets a torn last row aside, stamps rows without a date, gives rows
    // with order 0 the next order number (as reserveOrder would), and appends all rows in one write, with the
    // header first when the journal is new. Returns the order number the rows got (that of the
    // first row). A failed write cuts the journal back and throws Error.
    virtual long long append(std::vector<JournalRow> rows);

private:
    QString m_directory;
};

} // namespace korvanta::stock
