#include "categorytable.h"

namespace korvanta {

const QString NoneEntry = QStringLiteral("нет");
const QString WarningText = QStringLiteral("ВНИМАНИЕ! На складе отсутствует!");

namespace {

std::vector<CategoryInfo> makeCategories()
{
    const QString fddInch = QStringLiteral("3.5\" ");
    auto plain = [](Cat c, const char* key, const char* file, Page p, const QString& placeholder,
                    const QString& caption, const char* warning, const QString& hint, const char* picture) {
        const QString k = QString::fromLatin1(key);
        return CategoryInfo{c,
                            k,
                            {QString::fromLatin1(file)},
                            p,
                            k + QStringLiteral("Box"),
                            {k + QStringLiteral("Box1")},
                            placeholder,
                            caption,
                            QStringLiteral("Price") + k + QStringLiteral("Label"),
                            k + QStringLiteral("Label"),
                            QString::fromLatin1(warning),
                            hint,
                            QString::fromLatin1(picture),
                            Variant::Plain,
                            QString()};
    };
    std::vector<CategoryInfo> t;
    t.push_back(plain(Cat::Base, "Base", "Base.dat", Page::Base, QStringLiteral("Базовые модели"),
                      QStringLiteral("Цена:"), "BaseL", QStringLiteral("Выберите базовую модель..."), ""));
    t.push_back(plain(Cat::Nout, "Nout", "Nout.dat", Page::Nout, QStringLiteral("Ноутбуки"), QStringLiteral("Цена:"),
                      "NoutL", QStringLiteral("Выберите базовую модель..."), ""));
    t.push_back(plain(Cat::Proc, "Proc", "", Page::Proc, QStringLiteral("Процессоры"),
                      QStringLiteral("Цена процессора:"), "ProcL", QStringLiteral("Выберите процессор..."), "Image31"));
    t.back().files = {QStringLiteral("Proc_int.dat"), QStringLiteral("Proc_amd.dat")};
    t.back().hiddenLists = {QStringLiteral("Proc1Box1"), QStringLiteral("Proc2Box1")};
    t.back().variant = Variant::Platform;
    t.push_back(plain(Cat::Mat, "Mat", "", Page::Proc, QStringLiteral("Материнские платы"),
                      QStringLiteral("Цена платы:"), "ProcL", QStringLiteral("Выберите материнскую плату..."),
                      "Image32"));
    t.back().files = {QStringLiteral("Mat_int.dat"), QStringLiteral("Mat_amd.dat")};
    t.back().hiddenLists = {QStringLiteral("Mat1Box1"), QStringLiteral("Mat2Box1")};
    t.back().variant = Variant::Platform;
    t.push_back(plain(Cat::Fun, "Fun", "Fun.dat", Page::Proc, QStringLiteral("Вентиляторы ЦПУ"),
                      QStringLiteral("Цена вентилятора:"), "ProcL", QStringLiteral("Выберите вентилятор..."),
                      "Image33"));
    t.push_back(plain(Cat::RAM, "RAM", "Ram.dat", Page::RAM, QStringLiteral("Модули памяти"),
                      QStringLiteral("Цена модуля:"), "RamL", QStringLiteral("Выберите RAM..."), "Image81"));
    t.back().itemLabel = QStringLiteral("RamLabel");
    t.back().variant = Variant::Quantity;
    t.back().quantityList = QStringLiteral("NumBox");
    t.push_back(plain(Cat::Fun1, "Fun1", "Fun1.dat", Page::RAM, QStringLiteral("Вентиляторы шасси"),
                      QStringLiteral("Цена вентилятора:"), "RamL", QStringLiteral("Выберите вентилятор..."),
                      "Image33"));
    t.back().variant = Variant::Quantity;
    t.back().quantityList = QStringLiteral("Num1Box");
    t.push_back(plain(Cat::Case, "Case", "Case.dat", Page::RAM, QStringLiteral("Корпуса"),
                      QStringLiteral("Цена корпуса:"), "RamL", QStringLiteral("Выберите тип корпуса..."), "Image82"));
    t.push_back(plain(Cat::Vint, "Vint", "Vint.dat", Page::Disk, QStringLiteral("Винчестеры"),
                      QStringLiteral("Цена винчестера:"), "DiskL", QStringLiteral("Выберите жесткий диск..."),
                      "Image91"));
    t.push_back(plain(Cat::CD, "CD", "Cd.dat", Page::Disk, QStringLiteral("CD,DVD-Rom"),
                      QStringLiteral("Цена CD,DVD-Rom:"), "DiskL", QStringLiteral("Выберите CD-Rom..."), "Image92"));
    t.push_back(plain(Cat::Disk, "Disk", "Disk.dat", Page::Disk, QStringLiteral("Дисководы, картридеры"),
                      QStringLiteral("Цена дисковода:"), "DiskL",
                      QStringLiteral("Выберите дополнительный дисковод..."), ""));
    t.push_back(plain(Cat::Fdd, "Fdd", "Fdd.dat", Page::Disk, fddInch + QStringLiteral("дисководы"),
                      QStringLiteral("Цена ") + fddInch + QStringLiteral("дисковода:"), "DiskL",
                      QStringLiteral("Выберите ") + fddInch + QStringLiteral("дисковод..."), "Image93"));
    t.push_back(plain(Cat::Video, "Video", "Video.dat", Page::Video, QStringLiteral("Видеокарты"),
                      QStringLiteral("Цена видеокарты:"), "VideoL", QStringLiteral("Выберите видеокарту..."),
                      "Image71"));
    t.push_back(plain(Cat::Sound, "Sound", "Sound.dat", Page::Video, QStringLiteral("Звуковые карты"),
                      QStringLiteral("Цена звуковой карты:"), "VideoL", QStringLiteral("Выберите звуковую карту..."),
                      "Image72"));
    t.push_back(plain(Cat::Speak, "Speak", "Speak.dat", Page::Video, QStringLiteral("Аудиоколонки"),
                      QStringLiteral("Цена аудиоколонок:"), "VideoL", QStringLiteral("Выберите аудиоколонки..."),
                      "Image73"));
    t.push_back(plain(Cat::Game, "Game", "Game.dat", Page::Video, QStringLiteral("Джойстики"),
                      QStringLiteral("Цена джойстика:"), "VideoL", QStringLiteral("Выберите джойстик..."),
                      "Image74"));
    t.push_back(plain(Cat::Net, "Net", "Net.dat", Page::Other, QStringLiteral("Сетевые карты"),
                      QStringLiteral("Цена сетевой карты:"), "NetL", QStringLiteral("Выберите сетевую карту..."),
                      "Image64"));
    t.push_back(plain(Cat::Mod, "Mod", "Modem.dat", Page::Other, QStringLiteral("Модемы"),
                      QStringLiteral("Цена модема:"), "NetL", QStringLiteral("Выберите модем..."), "Image62"));
    t.push_back(plain(Cat::Key, "Key", "Key.dat", Page::Other, QStringLiteral("Клавиатура"),
                      QStringLiteral("Цена клавиатуры:"), "NetL", QStringLiteral("Выберите клавиатуру..."),
                      "Image61"));
    t.push_back(plain(Cat::Mouse, "Mouse", "Mouse.dat", Page::Other, QStringLiteral("Мышь"),
                      QStringLiteral("Цена мыши:"), "NetL", QStringLiteral("Выберите мышь..."), "Image63"));
    t.push_back(plain(Cat::Mon, "Mon", "Monitor.dat", Page::Mon, QStringLiteral("Мониторы"), QStringLiteral("Цена:"),
                      "MonL", QStringLiteral("Выберите монитор..."), ""));
    t.push_back(plain(Cat::Prn, "Prn", "Printer.dat", Page::Prn, QStringLiteral("Принтеры"),
                      QStringLiteral("Цена принтера:"), "PrnL", QStringLiteral("Выберите принтер..."), "Image42"));
    t.push_back(plain(Cat::Scan, "Scan", "Scan.dat", Page::Prn, QStringLiteral("Сканеры"),
                      QStringLiteral("Цена сканера:"), "PrnL", QStringLiteral("Выберите сканер..."), "Image41"));
    t.push_back(plain(Cat::UPS, "UPS", "Ups.dat", Page::Prn, QStringLiteral("Источники бесперебойного питания"),
                      QStringLiteral("Цена ИБП:"), "PrnL", QStringLiteral("Выберите ИБП..."), "Image43"));
    t.push_back(plain(Cat::OS, "OS", "Os.dat", Page::Dop, QStringLiteral("Операционные системы"),
                      QStringLiteral("Цена ОС:"), "DopL", QStringLiteral("Выберите операционную систему..."), ""));
    t.push_back(plain(Cat::PO, "PO", "Po.dat", Page::Dop, QStringLiteral("Программное обеспечение"),
                      QStringLiteral("Цена ПО:"), "DopL", QStringLiteral("Выберите программное обеспечение..."), ""));
    t.push_back(plain(Cat::Dop1, "Dop1", "Dop1.dat", Page::Dop, QStringLiteral("Дополнительно"),
                      QStringLiteral("Цена:"), "DopL", QStringLiteral("Выберите..."), ""));
    t.push_back(plain(Cat::Dop2, "Dop2", "Dop2.dat", Page::Dop, QStringLiteral("Дополнительно"),
                      QStringLiteral("Цена:"), "DopL", QStringLiteral("Выберите..."), ""));
    return t;
}

std::vector<PageInfo> makePages()
{
    return {
        {Page::Base, QStringLiteral("BaseSheet"), QStringLiteral("Базовые модели"), {Cat::Base},
         QStringLiteral("BaseL"), QStringLiteral("Image2"), 3, QStringLiteral("HelpButton1")},
        {Page::Proc, QStringLiteral("ProcSheet"), QStringLiteral("Процессор и плата"), {Cat::Proc, Cat::Mat, Cat::Fun},
         QStringLiteral("ProcL"), QStringLiteral("Image3"), 4, QStringLiteral("HelpButton2")},
        {Page::RAM, QStringLiteral("RAMSheet"), QStringLiteral("RAM"), {Cat::RAM, Cat::Fun1, Cat::Case},
         QStringLiteral("RamL"), QStringLiteral("Image8"), 5, QStringLiteral("HelpButton3")},
        {Page::Disk, QStringLiteral("DiskSheet"), QStringLiteral("Диски"), {Cat::Vint, Cat::CD, Cat::Disk, Cat::Fdd},
         QStringLiteral("DiskL"), QStringLiteral("Image9"), 6, QStringLiteral("HelpButton4")},
        {Page::Video, QStringLiteral("VideoSheet"), QStringLiteral("Видео и звук"),
         {Cat::Video, Cat::Sound, Cat::Speak, Cat::Game}, QStringLiteral("VideoL"), QStringLiteral("Image7"), 7,
         QStringLiteral("BitBtn1")},
        {Page::Other, QStringLiteral("OtherSheet"), QStringLiteral("Ввод"), {Cat::Net, Cat::Mod, Cat::Key, Cat::Mouse},
         QStringLiteral("NetL"), QStringLiteral("Image6"), 8, QStringLiteral("HelpButton6")},
        {Page::Mon, QStringLiteral("MonSheet"), QStringLiteral("Монитор"), {Cat::Mon}, QStringLiteral("MonL"),
         QStringLiteral("Image5"), 9, QStringLiteral("BitBtn2")},
        {Page::Prn, QStringLiteral("PrnSheet"), QStringLiteral("Принтер"), {Cat::Prn, Cat::Scan, Cat::UPS},
         QStringLiteral("PrnL"), QStringLiteral("Image4"), 10, QStringLiteral("HelpButton8")},
        {Page::Dop, QStringLiteral("DopSheet"), QStringLiteral("Разное"), {Cat::OS, Cat::PO, Cat::Dop1, Cat::Dop2},
         QStringLiteral("DopL"), QStringLiteral("Image10"), 11, QStringLiteral("HelpButton9")},
        {Page::Nout, QStringLiteral("NoutSheet"), QStringLiteral("Ноутбуки"), {Cat::Nout}, QStringLiteral("NoutL"),
         QStringLiteral("Image11"), 12, QStringLiteral("HelpButton10")},
    };
}

const std::vector<CategoryInfo>& categories()
{
    static const std::vector<CategoryInfo> t = makeCategories();
    return t;
}

const std::vector<PageInfo>& pages()
{
    static const std::vector<PageInfo> p = makePages();
    return p;
}

} // namespace

const CategoryInfo& category(Cat c)
{
    return categories()[size_t(idx(c))];
}

const PageInfo& page(Page p)
{
    return pages()[size_t(idx(p))];
}

const std::array<Cat, CategoryCount>& allCategories()
{
    static const std::array<Cat, CategoryCount> a = [] {
        std::array<Cat, CategoryCount> r{};
        for (int i = 0; i < CategoryCount; ++i)
            r[size_t(i)] = static_cast<Cat>(i);
        return r;
    }();
    return a;
}

const std::array<Page, PageCount>& allPages()
{
    static const std::array<Page, PageCount> a = {Page::Base, Page::Proc, Page::RAM, Page::Disk, Page::Video,
                                                  Page::Other, Page::Mon, Page::Prn, Page::Dop, Page::Nout};
    return a;
}

const std::array<Cat, CategoryCount>& summaryOrder()
{
    static const std::array<Cat, CategoryCount> a = {
        Cat::Base,  Cat::Nout,  Cat::Proc, Cat::Mat, Cat::Fun,   Cat::RAM,  Cat::Fun1, Cat::Case, Cat::Vint, Cat::Disk,
        Cat::CD,    Cat::Fdd,   Cat::Video, Cat::Sound, Cat::Game, Cat::Net, Cat::Mod, Cat::Key,  Cat::Mouse, Cat::Mon,
        Cat::Prn,   Cat::Scan,  Cat::Speak, Cat::UPS, Cat::OS,   Cat::PO,   Cat::Dop1, Cat::Dop2};
    return a;
}

const std::array<Cat, CategoryCount>& selectionOrder()
{
    static const std::array<Cat, CategoryCount> a = {
        Cat::Base, Cat::Nout, Cat::Proc,  Cat::Mat,  Cat::Fun, Cat::RAM, Cat::Fun1, Cat::Case, Cat::Vint, Cat::CD,
        Cat::Disk, Cat::Fdd,  Cat::Video, Cat::Sound, Cat::Game, Cat::Net, Cat::Mod, Cat::Key,  Cat::Mouse, Cat::Mon,
        Cat::Prn,  Cat::Speak, Cat::Scan, Cat::UPS,  Cat::OS,  Cat::PO,  Cat::Dop1, Cat::Dop2};
    return a;
}

bool categoryByKey(const QString& key, Cat& out)
{
    for (const CategoryInfo& info : categories()) {
        if (info.key == key) {
            out = info.cat;
            return true;
        }
    }
    return false;
}

} // namespace korvanta
