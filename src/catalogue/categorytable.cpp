#include "catalogue/categorytable.h"

namespace korvanta {

const QString NoneEntry = QStringLiteral("нет");

namespace {

std::vector<CategoryInfo> makeCategories()
{
    const QString fddInch = QStringLiteral("3.5\" ");
    auto plain = [](Cat c, const char* key, const char* file, Page p, const QString& title) {
        return CategoryInfo{c, QString::fromLatin1(key), {QString::fromLatin1(file)}, p, title, Variant::Plain};
    };
    std::vector<CategoryInfo> t;
    t.push_back(plain(Cat::Base, "Base", "Base.dat", Page::Base, QStringLiteral("Базовые модели")));
    t.push_back(plain(Cat::Nout, "Nout", "Nout.dat", Page::Nout, QStringLiteral("Ноутбуки")));
    t.push_back(plain(Cat::Proc, "Proc", "", Page::Proc, QStringLiteral("Процессоры")));
    t.back().files = {QStringLiteral("Proc_int.dat"), QStringLiteral("Proc_amd.dat")};
    t.back().variant = Variant::Platform;
    t.push_back(plain(Cat::Mat, "Mat", "", Page::Proc, QStringLiteral("Материнские платы")));
    t.back().files = {QStringLiteral("Mat_int.dat"), QStringLiteral("Mat_amd.dat")};
    t.back().variant = Variant::Platform;
    t.push_back(plain(Cat::Fun, "Fun", "Fun.dat", Page::Proc, QStringLiteral("Вентиляторы ЦПУ")));
    t.push_back(plain(Cat::RAM, "RAM", "Ram.dat", Page::RAM, QStringLiteral("Модули памяти")));
    t.back().variant = Variant::Quantity;
    t.push_back(plain(Cat::Fun1, "Fun1", "Fun1.dat", Page::RAM, QStringLiteral("Вентиляторы шасси")));
    t.back().variant = Variant::Quantity;
    t.push_back(plain(Cat::Case, "Case", "Case.dat", Page::RAM, QStringLiteral("Корпуса")));
    t.push_back(plain(Cat::Vint, "Vint", "Vint.dat", Page::Disk, QStringLiteral("Винчестеры")));
    t.push_back(plain(Cat::CD, "CD", "Cd.dat", Page::Disk, QStringLiteral("CD,DVD-Rom")));
    t.push_back(plain(Cat::Disk, "Disk", "Disk.dat", Page::Disk, QStringLiteral("Дисководы, картридеры")));
    t.push_back(plain(Cat::Fdd, "Fdd", "Fdd.dat", Page::Disk, fddInch + QStringLiteral("дисководы")));
    t.push_back(plain(Cat::Video, "Video", "Video.dat", Page::Video, QStringLiteral("Видеокарты")));
    t.push_back(plain(Cat::Sound, "Sound", "Sound.dat", Page::Video, QStringLiteral("Звуковые карты")));
    t.push_back(plain(Cat::Speak, "Speak", "Speak.dat", Page::Video, QStringLiteral("Аудиоколонки")));
    t.push_back(plain(Cat::Game, "Game", "Game.dat", Page::Video, QStringLiteral("Джойстики")));
    t.push_back(plain(Cat::Net, "Net", "Net.dat", Page::Other, QStringLiteral("Сетевые карты")));
    t.push_back(plain(Cat::Mod, "Mod", "Modem.dat", Page::Other, QStringLiteral("Модемы")));
    t.push_back(plain(Cat::Key, "Key", "Key.dat", Page::Other, QStringLiteral("Клавиатура")));
    t.push_back(plain(Cat::Mouse, "Mouse", "Mouse.dat", Page::Other, QStringLiteral("Мышь")));
    t.push_back(plain(Cat::Mon, "Mon", "Monitor.dat", Page::Mon, QStringLiteral("Мониторы")));
    t.push_back(plain(Cat::Prn, "Prn", "Printer.dat", Page::Prn, QStringLiteral("Принтеры")));
    t.push_back(plain(Cat::Scan, "Scan", "Scan.dat", Page::Prn, QStringLiteral("Сканеры")));
    t.push_back(plain(Cat::UPS, "UPS", "Ups.dat", Page::Prn, QStringLiteral("Источники бесперебойного питания")));
    t.push_back(plain(Cat::OS, "OS", "Os.dat", Page::Dop, QStringLiteral("Операционные системы")));
    t.push_back(plain(Cat::PO, "PO", "Po.dat", Page::Dop, QStringLiteral("Программное обеспечение")));
    t.push_back(plain(Cat::Dop1, "Dop1", "Dop1.dat", Page::Dop, QStringLiteral("Дополнительно")));
    t.push_back(plain(Cat::Dop2, "Dop2", "Dop2.dat", Page::Dop, QStringLiteral("Дополнительно")));
    return t;
}

std::vector<PageInfo> makePages()
{
    return {
        {Page::Base, {Cat::Base}},
        {Page::Proc, {Cat::Proc, Cat::Mat, Cat::Fun}},
        {Page::RAM, {Cat::RAM, Cat::Fun1, Cat::Case}},
        {Page::Disk, {Cat::Vint, Cat::CD, Cat::Disk, Cat::Fdd}},
        {Page::Video, {Cat::Video, Cat::Sound, Cat::Speak, Cat::Game}},
        {Page::Other, {Cat::Net, Cat::Mod, Cat::Key, Cat::Mouse}},
        {Page::Mon, {Cat::Mon}},
        {Page::Prn, {Cat::Prn, Cat::Scan, Cat::UPS}},
        {Page::Dop, {Cat::OS, Cat::PO, Cat::Dop1, Cat::Dop2}},
        {Page::Nout, {Cat::Nout}},
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
    static const std::array<Page, PageCount> a = {Page::Base,  Page::Proc, Page::RAM, Page::Disk, Page::Video,
                                                  Page::Other, Page::Mon,  Page::Prn, Page::Dop,  Page::Nout};
    return a;
}

const std::array<Cat, CategoryCount>& summaryOrder()
{
    static const std::array<Cat, CategoryCount> a = {
        Cat::Base, Cat::Nout, Cat::Proc,  Cat::Mat,   Cat::Fun,  Cat::RAM, Cat::Fun1, Cat::Case, Cat::Vint,  Cat::Disk,
        Cat::CD,   Cat::Fdd,  Cat::Video, Cat::Sound, Cat::Game, Cat::Net, Cat::Mod,  Cat::Key,  Cat::Mouse, Cat::Mon,
        Cat::Prn,  Cat::Scan, Cat::Speak, Cat::UPS,   Cat::OS,   Cat::PO,  Cat::Dop1, Cat::Dop2};
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
