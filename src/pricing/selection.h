#pragma once

#include "catalogue/categorytable.h"

#include <QString>
#include <array>

namespace korvanta {

// The chosen item of one category: the order line's text and its price text (without a unit),
// and the record they were read from, which a shipment lowers once it still carries that name.
struct SelectionPair {
    QString item;
    QString price;
    int record = -1;    // position in the category's price list
    QString recordName; // the record's name when it was chosen
};

// True when the item text counts as chosen: neither empty nor exactly "нет".
bool isChosenItem(const QString& item);

// The selection state: one pair per category, keyed by the category, and the two quantities.
struct Computer {
    std::array<SelectionPair, CategoryCount> pairs;
    quint16 memoryCount = 0; // memory modules
    quint16 fanCount = 0;    // case fans

    SelectionPair& operator[](Cat c) { return pairs[size_t(idx(c))]; }
    const SelectionPair& operator[](Cat c) const { return pairs[size_t(idx(c))]; }
    bool isChosen(Cat c) const { return isChosenItem((*this)[c].item); }
};

struct PricingSettings {
    double exchangeRate = 0;      // local currency units for 1 у.е.
    bool inLocalCurrency = false; // prices in the local currency
    QString currencyName;
    bool vatCharged = false;
    double vatPercent = 0;
    double markupPercent = 0;
};

// The unit every price and amount is shown in: a blank and the currency's name, or " у.е.".
QString unitSuffix(const PricingSettings& settings);

struct OrderDate {
    quint16 day = 0;
    quint16 month = 0;
    quint16 year = 0;
};

} // namespace korvanta
