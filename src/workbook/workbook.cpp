#include "workbook/workbook.h"

#include "base/error.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <xlsxwriter.h>
#include <zip.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace korvanta::workbook {

namespace {

// The sheet limits of the format.
constexpr int MaxRows = 1048576;
constexpr int MaxColumns = 16384;
// A part larger than this, or a sheet of more cells, is refused rather than read into memory.
constexpr zip_uint64_t MaxPartBytes = 1024ull * 1024 * 1024;
constexpr qsizetype MaxCells = 20'000'000;

const QString RelationshipsNs = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");

// "B12" -> column 1; -1 when the reference has no column letters or too many.
int columnOf(QStringView reference)
{
    int column = 0;
    int letters = 0;
    for (QChar c : reference) {
        const char16_t u = c.unicode();
        if (u >= u'A' && u <= u'Z')
            column = column * 26 + (u - u'A' + 1);
        else if (u >= u'a' && u <= u'z')
            column = column * 26 + (u - u'a' + 1);
        else
            break;
        if (++letters > 3)
            return -1;
    }
    return letters == 0 || column > MaxColumns ? -1 : column - 1;
}

// Row 11, column 1 -> "B12", as the spreadsheet names the cell.
QString cellName(int row, int column)
{
    QString letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row + 1);
}

class Archive {
public:
    explicit Archive(QByteArrayView bytes)
    {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* source = zip_source_buffer_create(bytes.data(), zip_uint64_t(bytes.size()), 0, &error);
        if (source)
            m_zip = zip_open_from_source(source, ZIP_RDONLY, &error);
        if (!m_zip) {
            if (source)
                zip_source_free(source);
            zip_error_fini(&error);
            throw Error(QStringLiteral("Файл — не книга .xlsx: это не архив ZIP или архив повреждён."));
        }
        zip_error_fini(&error);
    }
    ~Archive() { zip_discard(m_zip); }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    bool has(const QString& name) const { return zip_name_locate(m_zip, name.toUtf8().constData(), 0) >= 0; }

    QByteArray part(const QString& name) const
    {
        const QByteArray path = name.toUtf8();
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat(m_zip, path.constData(), 0, &stat) != 0)
            throw Error(QStringLiteral("В книге нет части «%1».").arg(name));
        if (!(stat.valid & ZIP_STAT_SIZE) || stat.size > MaxPartBytes)
            throw Error(QStringLiteral("Часть книги «%1» слишком велика.").arg(name));
        std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> file(zip_fopen(m_zip, path.constData(), 0), zip_fclose);
        QByteArray bytes(qsizetype(stat.size), Qt::Uninitialized);
        if (!file || zip_fread(file.get(), bytes.data(), stat.size) != zip_int64_t(stat.size))
            throw Error(QStringLiteral("Часть книги «%1» не читается: архив повреждён.").arg(name));
        return bytes;
    }

private:
    zip_t* m_zip = nullptr;
};

[[noreturn]] void refuseXml(const QString& part, const QXmlStreamReader& xml)
{
    throw Error(QStringLiteral("Часть книги «%1» повреждена (строка %2: %3).")
                    .arg(part)
                    .arg(xml.lineNumber())
                    .arg(xml.errorString()));
}

// A part's relationships: id -> target, and the target of the first relationship of a type.
struct Relationships {
    QHash<QString, QString> targets;
    QString sharedStrings;
};

// "worksheets/sheet1.xml" from "xl/_rels/workbook.xml.rels" -> "xl/worksheets/sheet1.xml".
QString resolve(const QString& folder, const QString& target)
{
    if (target.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(target.mid(1));
    return QDir::cleanPath(folder + QLatin1Char('/') + target);
}

Relationships readRelationships(const Archive& archive, const QString& part, const QString& folder)
{
    Relationships rels;
    if (!archive.has(part))
        return rels;
    QXmlStreamReader xml(archive.part(part));
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != u"Relationship")
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        const QString target = resolve(folder, a.value(QLatin1String("Target")).toString());
        rels.targets.insert(a.value(QLatin1String("Id")).toString(), target);
        if (a.value(QLatin1String("Type")).endsWith(u"/sharedStrings") && rels.sharedStrings.isEmpty())
            rels.sharedStrings = target;
    }
    if (xml.hasError())
        refuseXml(part, xml);
    return rels;
}

// The text of an <si> or <is> element, its runs joined; the phonetic runs left out.
QString readRichText(QXmlStreamReader& xml)
{
    QString text;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"t")
            text += xml.readElementText();
        else if (xml.name() == u"r")
            text += readRichText(xml);
        else
            xml.skipCurrentElement();
    }
    return text;
}

QStringList readSharedStrings(const Archive& archive, const QString& part)
{
    QStringList strings;
    if (part.isEmpty() || !archive.has(part))
        return strings;
    QXmlStreamReader xml(archive.part(part));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"si")
            strings << readRichText(xml);
    }
    if (xml.hasError())
        refuseXml(part, xml);
    return strings;
}

// The part of the workbook's first sheet.
QString firstSheet(const Archive& archive)
{
    const QString book = QStringLiteral("xl/workbook.xml");
    if (!archive.has(book))
        throw Error(QStringLiteral("Файл — не книга .xlsx: в архиве нет «%1».").arg(book));
    QXmlStreamReader xml(archive.part(book));
    QString id;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"sheet") {
            const QXmlStreamAttributes a = xml.attributes();
            id = a.value(RelationshipsNs, QStringLiteral("id")).toString();
            // Strict workbooks name the namespace differently; the attribute is still "id".
            for (qsizetype i = 0; id.isEmpty() && i < a.size(); ++i)
                if (a[i].name() == u"id")
                    id = a[i].value().toString();
            break;
        }
    }
    if (xml.hasError())
        refuseXml(book, xml);
    if (id.isEmpty())
        throw Error(QStringLiteral("В книге нет ни одного листа."));
    const Relationships rels =
        readRelationships(archive, QStringLiteral("xl/_rels/workbook.xml.rels"), QStringLiteral("xl"));
    const QString sheet = rels.targets.value(id);
    if (sheet.isEmpty() || !archive.has(sheet))
        throw Error(
            QStringLiteral("В книге нет первого листа: часть «%1» не найдена.").arg(sheet.isEmpty() ? id : sheet));
    return sheet;
}

QString sharedStringsPart(const Archive& archive)
{
    const Relationships rels =
        readRelationships(archive, QStringLiteral("xl/_rels/workbook.xml.rels"), QStringLiteral("xl"));
    return rels.sharedStrings.isEmpty() ? QStringLiteral("xl/sharedStrings.xml") : rels.sharedStrings;
}

class SheetReader {
public:
    SheetReader(const QString& part, const QByteArray& bytes, const QStringList& strings)
        : m_part(part), m_xml(bytes), m_strings(strings)
    {
    }

    std::vector<Row> read()
    {
        int row = -1;
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (!m_xml.isStartElement())
                continue;
            if (m_xml.name() == u"row") {
                const QStringView number = m_xml.attributes().value(QLatin1String("r"));
                bool ok = true;
                row = number.isEmpty() ? row + 1 : number.toInt(&ok) - 1;
                if (!ok || row < 0 || row >= MaxRows)
                    throw Error(QStringLiteral("Лист книги повреждён: строка «%1».").arg(number));
                m_column = -1;
            } else if (m_xml.name() == u"c") {
                if (row < 0)
                    row = 0;
                readCell(row);
            }
        }
        if (m_xml.hasError())
            refuseXml(m_part, m_xml);
        for (Row& r : m_rows)
            while (!r.empty() && r.back().kind == Cell::Kind::Empty)
                r.pop_back();
        while (!m_rows.empty() && m_rows.back().empty())
            m_rows.pop_back();
        return std::move(m_rows);
    }

private:
    void readCell(int row)
    {
        const QXmlStreamAttributes a = m_xml.attributes();
        const QStringView reference = a.value(QLatin1String("r"));
        int column = reference.isEmpty() ? m_column + 1 : columnOf(reference);
        if (column < 0 || column >= MaxColumns)
            throw Error(QStringLiteral("Лист книги повреждён: ячейка «%1».").arg(reference));
        m_column = column;
        const QString type = a.value(QLatin1String("t")).toString();
        QString value;
        bool hasValue = false;
        QString inlineText;
        bool hasInline = false;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"v") {
                value = m_xml.readElementText();
                hasValue = true;
            } else if (m_xml.name() == u"is") {
                inlineText = readRichText(m_xml);
                hasInline = true;
            } else {
                m_xml.skipCurrentElement();
            }
        }
        Cell cell;
        // Named only for a message: most cells need no name.
        const auto name = [&] { return reference.isEmpty() ? cellName(row, column) : reference.toString(); };
        if (type == u"inlineStr") {
            cell = Cell::ofText(inlineText);
        } else if (!hasValue) {
            if (hasInline)
                cell = Cell::ofText(inlineText);
        } else if (type == u"s") {
            bool ok = false;
            const int index = value.trimmed().toInt(&ok);
            if (!ok || index < 0 || index >= m_strings.size())
                throw Error(QStringLiteral("Лист книги повреждён: ячейка %1 ссылается на строку %2, которой нет.")
                                .arg(name(), value));
            cell = Cell::ofText(m_strings[index]);
        } else if (type == u"str" || type == u"d") {
            cell = Cell::ofText(value);
        } else if (type == u"b") {
            cell = {Cell::Kind::Boolean, value.trimmed(), value.trimmed() == u"1" ? 1.0 : 0.0};
        } else if (type == u"e") {
            cell = {Cell::Kind::Error, value, 0};
        } else if (type.isEmpty() || type == u"n") {
            bool ok = false;
            const double number = value.trimmed().toDouble(&ok); // the file's own form, always '.'
            if (!ok || !std::isfinite(number))
                throw Error(QStringLiteral("Лист книги повреждён: в ячейке %1 «%2» вместо числа.").arg(name(), value));
            cell = Cell::ofNumber(number);
        } else {
            throw Error(QStringLiteral("Лист книги повреждён: у ячейки %1 неизвестный тип «%2».").arg(name(), type));
        }
        if (cell.kind == Cell::Kind::Empty)
            return;
        if (size_t(row) >= m_rows.size())
            m_rows.resize(size_t(row) + 1);
        Row& r = m_rows[size_t(row)];
        if (size_t(column) >= r.size()) {
            m_cells += qsizetype(column) + 1 - qsizetype(r.size());
            if (m_cells > MaxCells)
                throw Error(QStringLiteral("Лист книги слишком велик."));
            r.resize(size_t(column) + 1);
        }
        r[size_t(column)] = std::move(cell);
    }

    QString m_part;
    QXmlStreamReader m_xml;
    const QStringList& m_strings;
    std::vector<Row> m_rows;
    int m_column = -1;
    qsizetype m_cells = 0;
};

// Frees the workbook if it was never closed (closing writes it).
struct BookCloser {
    lxw_workbook* book;
    ~BookCloser()
    {
        if (book)
            workbook_close(book);
    }
};

} // namespace

QByteArray write(const QString& sheetName, const std::vector<Row>& rows)
{
    if (rows.size() > size_t(MaxRows))
        throw Error(QStringLiteral("Строк больше, чем вмещает лист книги (%1).").arg(MaxRows));
    // The library writes a file by name: a temporary one, whose bytes the caller puts in place.
    QTemporaryDir folder;
    if (!folder.isValid())
        throw Error(QStringLiteral("Cannot create a temporary folder. %1").arg(folder.errorString()));
    const QString path = folder.filePath(QStringLiteral("sheet.xlsx"));
    // Rows go out in order, so the library keeps one row in memory, not the whole sheet; its own
    // temporary files go to the same folder.
    const QByteArray temporary = QFile::encodeName(folder.path());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char*>(temporary.constData());
    BookCloser closer{workbook_new_opt(QFile::encodeName(path).constData(), &options)};
    if (!closer.book)
        throw Error(QStringLiteral("Cannot create file \"%1\".").arg(path));
    lxw_worksheet* sheet = workbook_add_worksheet(closer.book, sheetName.toUtf8().constData());
    lxw_format* bold = workbook_add_format(closer.book);
    if (!sheet || !bold)
        throw Error(QStringLiteral("Cannot create a sheet named \"%1\".").arg(sheetName));
    format_set_bold(bold);

    std::vector<int> widths;
    for (size_t r = 0; r < rows.size(); ++r) {
        lxw_format* format = r == 0 ? bold : nullptr;
        const Row& row = rows[r];
        if (row.size() > size_t(MaxColumns))
            throw Error(QStringLiteral("Столбцов больше, чем вмещает лист книги (%1).").arg(MaxColumns));
        widths.resize(std::max(widths.size(), row.size()), 0);
        for (size_t c = 0; c < row.size(); ++c) {
            const Cell& cell = row[c];
            lxw_error result = LXW_NO_ERROR;
            const auto at = [&](auto write, auto... value) {
                result = write(sheet, lxw_row_t(r), lxw_col_t(c), value..., format);
            };
            switch (cell.kind) {
            case Cell::Kind::Empty:
                break;
            case Cell::Kind::Text:
            case Cell::Kind::Error:
                if (!cell.text.isEmpty())
                    at(worksheet_write_string, cell.text.toUtf8().constData());
                break;
            case Cell::Kind::Number:
                at(worksheet_write_number, cell.number);
                break;
            case Cell::Kind::Boolean:
                at(worksheet_write_boolean, int(cell.number != 0));
                break;
            }
            if (result != LXW_NO_ERROR)
                throw Error(QStringLiteral("Ячейку %1 нельзя записать в книгу: %2.")
                                .arg(cellName(int(r), int(c)), QString::fromUtf8(lxw_strerror(result))));
            widths[c] = std::max(widths[c], int(cell.kind == Cell::Kind::Number ? 10 : cell.text.size()));
        }
    }
    // Columns as wide as their text, within reason.
    for (size_t c = 0; c < widths.size(); ++c)
        worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), std::clamp(widths[c] + 2, 6, 60), nullptr);
    worksheet_freeze_panes(sheet, 1, 0);

    lxw_workbook* book = closer.book;
    closer.book = nullptr;
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR)
        throw Error(QStringLiteral("Cannot write file \"%1\". %2").arg(path, QString::fromUtf8(lxw_strerror(closed))));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    return file.readAll();
}

std::vector<Row> read(QByteArrayView bytes)
{
    const Archive archive(bytes);
    const QString sheet = firstSheet(archive);
    const QStringList strings = readSharedStrings(archive, sharedStringsPart(archive));
    return SheetReader(sheet, archive.part(sheet), strings).read();
}

} // namespace korvanta::workbook
