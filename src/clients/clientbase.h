#pragma once

#include "files/textlines.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace korvanta {

// The client base: the file "clients.dat" (four lines per customer: full name, phone, e-mail,
// notes) and the grid the window edits it in. Row 0 of the grid is the title row and column 0 the
// narrow fixed column; rows 1..n hold the customers, columns 1..4 their fields. The line buffer
// `ClBox` stands between the file and the grid: the file is loaded into it and saved from it.
class ClientBase {
public:
    static constexpr int FieldCount = 4;
    static constexpr int ColumnCount = FieldCount + 1;
    // The grid as designed, before any file is read: the title row and seven empty rows.
    static constexpr int DesignRowCount = 8;

    static QString fileName();              // "clients.dat"
    static QString columnTitle(int column); // "Ф.И.О.", "Телефон", "E-mail", "Примечания"; column 0 is ""

    // The file lies in the directory given, or by its bare name in the working directory.
    explicit ClientBase(const QString& directory = QString());

    QString filePath() const { return m_filePath; }

    // The grid. Row 0 reads as the titles (written by the loading) and column 0 is always empty;
    // neither can be written. A cell outside the grid throws Error("Grid index out of range").
    int rowCount() const { return int(m_rows.size()) + 1; }
    int customerCount() const { return int(m_rows.size()); }
    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString& text);
    // The texts of one row, columns 0..4.
    QStringList rowTexts(int row) const;
    // Moves customer row `from` to the place of row `to` (both 1..n); the rows between shift by one.
    void moveRow(int from, int to);

    // The current row of the grid: 1..n, or 0 when the grid has no customer row.
    int currentRow() const { return m_currentRow; }
    void setCurrentRow(int row);

    bool addEnabled() const { return m_addEnabled; }
    bool delEnabled() const { return m_delEnabled; }

    // The line buffer `ClBox`.
    const TextLines& lineBuffer() const { return m_buffer; }

    // Empties the buffer, enables both buttons, writes the titles, reads the file and fills
    // round(lines / 4) customer rows (a half rounds to even), overwriting every cell of each; a row
    // reaching past the end of the file shows the missing fields empty. A file that cannot be read
    // throws Error("Cannot open file ...") and leaves the rows as they were.
    void load();

    // The rows in their current order, four lines each (empty rows as four empty
    // lines), replace the file at once, under the file's lock. When another copy has saved the file
    // since this grid read it, its changes are merged in first (see mergeRows) and true is
    // returned: the grid then holds what the file now holds. A text the file cannot hold throws an
    // Error naming its row and column before anything is written; so do a file that is there but
    // cannot be read, a lock that cannot be had and a file that cannot be written
    // ("Cannot create file ..."). The grid is left as it was then.
    bool save();
    // Told when a save merged another copy's changes.
    static QString mergedMessage();

    using Row = std::array<QString, FieldCount>;
    // The three-way merge of whole customers: `ours` in its order, less the customers the other
    // copy removed or changed since `base` (where ours still has them unchanged), then the
    // customers the other copy added or changed, in its order, unless ours added the same. Nothing
    // either copy added or changed is lost; a customer both changed is kept in both forms.
    static std::vector<Row> mergeRows(const std::vector<Row>& base, const std::vector<Row>& ours,
                                      const std::vector<Row>& theirs);

    // The customers the file holds now, when another copy saved it since this grid read or wrote
    // it; nothing otherwise (nor when the file cannot be read: saving will say why).
    std::optional<std::vector<Row>> savedElsewhere() const;
    // Shows what another copy saved (`now`, from savedElsewhere): the grid becomes the file's
    // customers with this grid's own changes merged in as a save merges them, and a later save
    // merges against `now`.
    void takeSavedElsewhere(const std::vector<Row>& now);
    // Asked when another copy saved the file while the window is open.
    static QString savedElsewhereQuestion();

    // One empty row at the end.
    void addRow();
    // Removes the last row, whichever is current; the title row stays.
    void deleteRow();
    // The full name in the current row, edited or not; nothing without a customer row.
    std::optional<QString> choose() const;

    // Where a cell text cannot go into the file as it stands: the position of the first character
    // that cp1251 lacks or that would break the file's lines (CR, LF, NUL), or -1.
    static int firstUnstorable(const QString& text);

private:
    void checkCell(int row, int column) const;
    void checkStorable() const;

    QString m_filePath;
    std::vector<Row> m_rows;
    std::vector<Row> m_fileRows; // the customers as the file held them when last read or written
    TextLines m_buffer;
    int m_currentRow = 1;
    bool m_addEnabled = false;
    bool m_delEnabled = false;
};

} // namespace korvanta
