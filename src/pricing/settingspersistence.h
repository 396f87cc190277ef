#pragma once

#include "pricing/selection.h"

#include <array>

namespace korvanta {

class SettingsStore;

extern const QString SettingsKeyPath;      // "software\microsoft\windows\korvanta"
extern const QString SettingsErrorMessage; // "Ошибка записи в реестр! ..."

// The six values in their load order, stored as curs, rub, val, ndse, nds, add.
enum class SettingField { ExchangeRate, InLocalCurrency, CurrencyName, VatCharged, VatPercent, MarkupPercent };
using SettingFlags = std::array<bool, 6>;

// Loads the six values in order, writing the default of each missing one at once. Returns false
// after the first failure; the field being processed keeps its default (a failed write) or its
// zero (a failed read), the fields after it keep zero, off and empty. `loaded` tells which
// fields now hold what the store holds (or the default written to it).
bool loadPricingSettings(SettingsStore& store, PricingSettings& settings, SettingFlags& loaded);

// Writes curs, nds, add, rub, ndse, val in this order, only those marked in `write`. Returns false
// after the first failure.
bool savePricingSettings(SettingsStore& store, const PricingSettings& settings, const SettingFlags& write);

} // namespace korvanta
