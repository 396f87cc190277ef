#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The journal of stock movements: "journal.csv" in the shop folder, one row per item and
// movement, cp1251 with ';' so that a spreadsheet opens it directly. Rows are only ever appended.
namespace korvanta::stock {

extern const QString JournalFile;     // "journal.csv"
extern const QString TornFile;        // "journal-torn.csv": torn last rows set aside
extern const QString ShipmentOp;      // "отгрузка"
extern const QString ReturnOp;        // "возврат"
extern const QString ReceiptOp;       // "приход"
extern const QString CorrectionOp;    // "правка"

enum Column {
    OrderColumn, DateColumn, TimeColumn, WorkplaceColumn, CustomerColumn, OperationColumn,
    FileColumn, RecordColumn, NameColumn, QuantityColumn, PriceColumn, BeforeColumn, AfterColumn,
    ColumnCount
};

// The header row's captions, in column order.
const QStringList& columnTitles();

struct JournalRow {
    long long order = 0;   // 0: the next number, given when the row is appended
    QString date;          // "dd.MM.yyyy"; empty: stamped when appended
    QString time;          // "HH:mm:ss"
    QString workplace;     // user@host
    QString customer;
    QString operation;
    QString fileName;      // bare price-list file name
    int record = 0;        // 0-based; the file shows displayRecordNumber(record)
    QString name;
    long long quantity = 0;
    QString priceText;
    long long stockBefore = 0;
    long long stockAfter = 0;

    QStringList fields() const;
    // Nothing when the fields are not a movement (the header, a hand-edited line).
    static std::optional<JournalRow> fromFields(const QStringList& fields);
};

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

    // Under the journal's lock: sets a torn last row aside, stamps rows without a date, gives rows
    // with order 0 the next order number (one more than the highest the journal holds, read back
    // past returns and corrections, which may repeat an old number), and appends all rows in one write, with the
    // header first when the journal is new. Returns the order number the rows got (that of the
    // first row). A failed write cuts the journal back and throws Error.
    virtual long long append(std::vector<JournalRow> rows);

private:
    QString m_directory;
};

} // namespace korvanta::stock
