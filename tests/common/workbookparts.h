#pragma once

// Workbook parts as a spreadsheet program stores them, for the tests that read workbooks they
// build: a zip of given parts, and a workbook around one sheet's rows.
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QPair>
#include <QString>
#include <QTemporaryDir>

#include <zip.h>

namespace korvanta::testing {

// A zip of the given parts, as a spreadsheet program would store them.
inline QByteArray zipOf(const QList<QPair<QString, QByteArray>>& parts)
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("book.xlsx")));
    int error = 0;
    zip_t* zip = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        return {};
    for (const auto& [name, bytes] : parts) {
        zip_source_t* source = zip_source_buffer(zip, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        zip_file_add(zip, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
    }
    zip_close(zip);
    QFile file(QString::fromLocal8Bit(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline const QByteArray Book = R"(<?xml version="1.0" encoding="UTF-8"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"
 xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<sheets><sheet name="Лист1" sheetId="1" r:id="rId2"/></sheets></workbook>)";
inline const QByteArray BookRels = R"(<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="strings.xml"/>
<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>
</Relationships>)";
inline const QByteArray Strings = R"(<?xml version="1.0" encoding="UTF-8"?>
<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="3" uniqueCount="3">
<si><t>Файл</t></si><si><t xml:space="preserve"> 00123 </t></si>
<si><r><t>Ram </t></r><r><rPr><b/></rPr><t>A</t></r><rPh><t>ラム</t></rPh></si></sst>)";

inline QByteArray sheetXml(const QByteArray& rows)
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)" +
           rows + "</sheetData></worksheet>";
}

inline QByteArray bookWithSheet(const QByteArray& rows)
{
    return zipOf({{"xl/workbook.xml", Book},
                  {"xl/_rels/workbook.xml.rels", BookRels},
                  {"xl/strings.xml", Strings},
                  {"xl/worksheets/sheet1.xml", sheetXml(rows)}});
}

} // namespace korvanta::testing
