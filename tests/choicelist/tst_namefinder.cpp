// Type-to-find over choice-list entries against a plain case-insensitive search.
#include "choicelist/namefinder.h"
#include "common/names.h"
#include "common/shopfiles.h"
#include "text/cp1251.h"

#include <QtTest>

#include <algorithm>

using namespace korvanta;
using namespace korvanta::testing;

namespace {

// The entries as a price list gives them: cp1251 bytes of a file, one name per line.
ChoiceItems itemsOf(const QStringList& names)
{
    return ChoiceItems(TextLines::fromBytes(crlf(names)), 0, 1, int(names.size()));
}

int plainFirstEqual(const QStringList& names, const QString& text, Qt::CaseSensitivity cs)
{
    for (int i = 0; i < names.size(); ++i)
        if (names.at(i).compare(text, cs) == 0)
            return i;
    return -1;
}

} // namespace

class TestNameFinder : public QObject {
    Q_OBJECT

private slots:
    void findAgreesWithPlainSearch_data()
    {
        // Texts typed one after another into the same list: growing, shrinking and edited texts.
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("typing Russian") << QStringList{"м", "мО", "мон", "МОНИ", "монитор", "монитор ", "монитор 1"};
        QTest::newRow("typing and deleting") << QStringList{"s", "sa", "sAm", "samsung", "samsun", "sam", "s", ""};
        QTest::newRow("Ё is not Е") << QStringList{"ё", "Ё", "ЁМКОСТЬ", "е", "емкость"};
        QTest::newRow("edited in the middle") << QStringList{"монитор 12", "монитор 2", "мон 2", "монитор 12"};
        QTest::newRow("signs and Ukrainian") << QStringList{"27\"", "µ-", "-блок", "ї", "ЇЖАК"};
        QTest::newRow("letters of no code page") << QStringList{"日本", "ſ", "K", "μ", "Μ", "ı", "İ"};
        QTest::newRow("across names") << QStringList{"1\nм", "\n", "7 м"};
        QTest::newRow("nothing and spaces") << QStringList{"zzz", " ", "  ", "нет"};
    }

    void findAgreesWithPlainSearch()
    {
        QFETCH(QStringList, texts);
        const QStringList names = generatedNames(3000);
        NameFinder finder(itemsOf(names));
        for (const QString& text : texts)
            QVERIFY2(finder.find(text) == plainSearch(names, text), qPrintable(text));
    }

    void everyCharacterFoldsAsQtDoes()
    {
        // Every character of the code page as a name of its own, searched for by every character of
        // the code page in both letter cases and by letters of other scripts that fold onto them.
        QStringList names;
        QString typed = QStringLiteral("ſKΜμẞßİıǅǆ");
        for (int b = 1; b < 256; ++b) {
            const char byte = char(b);
            const QString c = cp1251::decode(QByteArrayView(&byte, 1));
            if (b != '\r' && b != '\n')
                names.append(c);
            typed += c + c.toUpper() + c.toLower();
        }
        NameFinder finder(itemsOf(names));
        for (const QChar c : typed)
            QVERIFY2(finder.find(QString(c)) == plainSearch(names, QString(c)),
                     qPrintable(QString::number(c.unicode(), 16)));
    }

    // Typing a name key by key, in one finder, keeps that name among the offers at every key, the
    // last key included; the first and the last entry of the list are the edges of the folded block.
    void typingAWholeNameKeepsIt_data()
    {
        QTest::addColumn<int>("position");
        QTest::newRow("first entry") << 0;
        QTest::newRow("in the middle") << 250;
        QTest::newRow("a name listed twice") << 6;
        QTest::newRow("last entry") << 499;
    }

    void typingAWholeNameKeepsIt()
    {
        QFETCH(int, position);
        const QStringList names = generatedNames(500);
        const QString name = names.at(position);
        NameFinder finder(itemsOf(names));
        for (int typed = 1; typed <= name.size(); ++typed) {
            const std::vector<int>& found = finder.find(name.left(typed));
            QVERIFY2(std::binary_search(found.begin(), found.end(), position), qPrintable(name.left(typed)));
        }
    }

    void findEqual_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("caseSensitive");
        const QStringList names = generatedNames(500);
        QTest::newRow("a name") << names.at(300) << false;
        QTest::newRow("a name in capitals") << names.at(300).toUpper() << false;
        QTest::newRow("capitals, case counts") << names.at(300).toUpper() << true;
        QTest::newRow("a name listed twice") << names.at(6) << true;
        QTest::newRow("part of a name") << names.at(300).left(5) << false;
        QTest::newRow("no code page") << QStringLiteral("日本") << true;
    }

    void findEqual()
    {
        QFETCH(QString, text);
        QFETCH(bool, caseSensitive);
        const QStringList names = generatedNames(500);
        NameFinder finder(itemsOf(names));
        QCOMPARE(finder.findEqual(text, caseSensitive),
                 plainFirstEqual(names, text, caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive));
    }
};

QTEST_GUILESS_MAIN(TestNameFinder)
#include "tst_namefinder.moc"
