#pragma once
// Conversions between the euro and the currencies it replaced, at the fixed
// and irrevocable rates. Amounts are exact decimals (no floating point), so
// that a sum in francs always gives the same cents as the official rule:
// divide by the rate, round half away from zero to the cent.
#include <QList>
#include <QString>
#include <optional>

namespace Tools {

struct EuroCurrency {
    QString code;      // "FRF"
    QString name;      // "Franc français"
    QString rateText;  // units for one euro, as fixed: "6.55957"
    qint64 rateMillionths; // the same rate times 10^6
    int decimals;      // digits after the comma of the currency's smallest coin in use
};

// French franc first, then the other founding currencies and the drachma.
const QList<EuroCurrency> &euroCurrencies();

// A decimal amount: units / 10^decimals.
struct Amount {
    qint64 units = 0;
    int decimals = 0;
    bool operator==(const Amount &) const = default;
};

// Reads "1 234,56", "1234.56", "-3" (blanks between digits allowed). Gives
// nothing for an empty, malformed or too long text (more than 15 digits).
std::optional<Amount> parseAmount(const QString &text);

// National currency to euros, rounded to the cent.
Amount toEuro(const Amount &national, const EuroCurrency &currency);
// Euros to the national currency, rounded to its smallest coin.
Amount fromEuro(const Amount &euros, const EuroCurrency &currency);

// French writing: digits grouped by three with no-break spaces, decimal comma.
QString formatAmount(const Amount &amount);
// "6,55957" for the franc.
QString formatRate(const EuroCurrency &currency);

} // namespace Tools
