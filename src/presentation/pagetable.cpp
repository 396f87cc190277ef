#include "presentation/pagetable.h"

namespace korvanta {

const QString WarningText = QStringLiteral("ВНИМАНИЕ! На складе отсутствует!");

namespace {

struct CategoryRow {
    Cat cat;
    CategoryLook look;
};

} // namespace

const CategoryLook& categoryLook(Cat c)
{
    static const std::array<CategoryLook, CategoryCount> looks = [] {
        const QString fddInch = QStringLiteral("3.5\" ");
        const CategoryRow rows[] = {
            {Cat::Base, {QStringLiteral("Цена:"), QStringLiteral("Выберите базовую модель..."), QString()}},
            {Cat::Nout, {QStringLiteral("Цена:"), QStringLiteral("Выберите базовую модель..."), QString()}},
            {Cat::Proc,
             {QStringLiteral("Цена процессора:"), QStringLiteral("Выберите процессор..."), QStringLiteral("Image31")}},
            {Cat::Mat,
             {QStringLiteral("Цена платы:"), QStringLiteral("Выберите материнскую плату..."),
              QStringLiteral("Image32")}},
            {Cat::Fun,
             {QStringLiteral("Цена вентилятора:"), QStringLiteral("Выберите вентилятор..."),
              QStringLiteral("Image33")}},
            {Cat::RAM, {QStringLiteral("Цена модуля:"), QStringLiteral("Выберите RAM..."), QStringLiteral("Image81")}},
            {Cat::Fun1,
             {QStringLiteral("Цена вентилятора:"), QStringLiteral("Выберите вентилятор..."),
              QStringLiteral("Image33")}},
            {Cat::Case,
             {QStringLiteral("Цена корпуса:"), QStringLiteral("Выберите тип корпуса..."), QStringLiteral("Image82")}},
            {Cat::Vint,
             {QStringLiteral("Цена винчестера:"), QStringLiteral("Выберите жесткий диск..."),
              QStringLiteral("Image91")}},
            {Cat::CD,
             {QStringLiteral("Цена CD,DVD-Rom:"), QStringLiteral("Выберите CD-Rom..."), QStringLiteral("Image92")}},
            {Cat::Disk,
             {QStringLiteral("Цена дисковода:"), QStringLiteral("Выберите дополнительный дисковод..."), QString()}},
            {Cat::Fdd,
             {QStringLiteral("Цена ") + fddInch + QStringLiteral("дисковода:"),
              QStringLiteral("Выберите ") + fddInch + QStringLiteral("дисковод..."), QStringLiteral("Image93")}},
            {Cat::Video,
             {QStringLiteral("Цена видеокарты:"), QStringLiteral("Выберите видеокарту..."), QStringLiteral("Image71")}},
            {Cat::Sound,
             {QStringLiteral("Цена звуковой карты:"), QStringLiteral("Выберите звуковую карту..."),
              QStringLiteral("Image72")}},
            {Cat::Speak,
             {QStringLiteral("Цена аудиоколонок:"), QStringLiteral("Выберите аудиоколонки..."),
              QStringLiteral("Image73")}},
            {Cat::Game,
             {QStringLiteral("Цена джойстика:"), QStringLiteral("Выберите джойстик..."), QStringLiteral("Image74")}},
            {Cat::Net,
             {QStringLiteral("Цена сетевой карты:"), QStringLiteral("Выберите сетевую карту..."),
              QStringLiteral("Image64")}},
            {Cat::Mod,
             {QStringLiteral("Цена модема:"), QStringLiteral("Выберите модем..."), QStringLiteral("Image62")}},
            {Cat::Key,
             {QStringLiteral("Цена клавиатуры:"), QStringLiteral("Выберите клавиатуру..."), QStringLiteral("Image61")}},
            {Cat::Mouse, {QStringLiteral("Цена мыши:"), QStringLiteral("Выберите мышь..."), QStringLiteral("Image63")}},
            {Cat::Mon, {QStringLiteral("Цена:"), QStringLiteral("Выберите монитор..."), QString()}},
            {Cat::Prn,
             {QStringLiteral("Цена принтера:"), QStringLiteral("Выберите принтер..."), QStringLiteral("Image42")}},
            {Cat::Scan,
             {QStringLiteral("Цена сканера:"), QStringLiteral("Выберите сканер..."), QStringLiteral("Image41")}},
            {Cat::UPS, {QStringLiteral("Цена ИБП:"), QStringLiteral("Выберите ИБП..."), QStringLiteral("Image43")}},
            {Cat::OS, {QStringLiteral("Цена ОС:"), QStringLiteral("Выберите операционную систему..."), QString()}},
            {Cat::PO, {QStringLiteral("Цена ПО:"), QStringLiteral("Выберите программное обеспечение..."), QString()}},
            {Cat::Dop1, {QStringLiteral("Цена:"), QStringLiteral("Выберите..."), QString()}},
            {Cat::Dop2, {QStringLiteral("Цена:"), QStringLiteral("Выберите..."), QString()}},
        };
        std::array<CategoryLook, CategoryCount> t;
        for (const CategoryRow& r : rows)
            t[size_t(idx(r.cat))] = r.look;
        return t;
    }();
    return looks[size_t(idx(c))];
}

const PageLook& pageLook(Page p)
{
    static const std::array<PageLook, PageCount> looks = {{
        {QStringLiteral("Базовые модели"), QStringLiteral("Image2"), 3},
        {QStringLiteral("Процессор и плата"), QStringLiteral("Image3"), 4},
        {QStringLiteral("RAM"), QStringLiteral("Image8"), 5},
        {QStringLiteral("Диски"), QStringLiteral("Image9"), 6},
        {QStringLiteral("Видео и звук"), QStringLiteral("Image7"), 7},
        {QStringLiteral("Ввод"), QStringLiteral("Image6"), 8},
        {QStringLiteral("Монитор"), QStringLiteral("Image5"), 9},
        {QStringLiteral("Принтер"), QStringLiteral("Image4"), 10},
        {QStringLiteral("Разное"), QStringLiteral("Image10"), 11},
        {QStringLiteral("Ноутбуки"), QStringLiteral("Image11"), 12},
    }}; // in the order of the pages
    return looks[size_t(idx(p))];
}

} // namespace korvanta
