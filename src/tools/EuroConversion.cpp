#include "EuroConversion.h"

namespace Tools {

namespace {
constexpr int maxDigits = 15;

// Products of an amount and a rate overflow 64 bits before the division.
__extension__ typedef __int128 Wide;

Wide power10(int n)
{
    Wide p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

// numerator / denominator rounded half away from zero; denominator > 0.
qint64 roundedDivision(Wide numerator, Wide denominator)
{
    const bool negative = numerator < 0;
    const Wide n = negative ? -numerator : numerator;
    const Wide q = (2 * n + denominator) / (2 * denominator);
    return qint64(negative ? -q : q);
}
} // namespace

const QList<EuroCurrency> &euroCurrencies()
{
    static const QList<EuroCurrency> list = {
        {QStringLiteral("FRF"), QStringLiteral("Franc français"), QStringLiteral("6.55957"), 6559570, 2},
        {QStringLiteral("DEM"), QStringLiteral("Mark allemand"), QStringLiteral("1.95583"), 1955830, 2},
        {QStringLiteral("BEF"), QStringLiteral("Franc belge"), QStringLiteral("40.3399"), 40339900, 0},
        {QStringLiteral("LUF"), QStringLiteral("Franc luxembourgeois"), QStringLiteral("40.3399"), 40339900, 0},
        {QStringLiteral("ESP"), QStringLiteral("Peseta espagnole"), QStringLiteral("166.386"), 166386000, 0},
        {QStringLiteral("ITL"), QStringLiteral("Lire italienne"), QStringLiteral("1936.27"), 1936270000, 0},
        {QStringLiteral("NLG"), QStringLiteral("Florin néerlandais"), QStringLiteral("2.20371"), 2203710, 2},
        {QStringLiteral("ATS"), QStringLiteral("Schilling autrichien"), QStringLiteral("13.7603"), 13760300, 2},
        {QStringLiteral("PTE"), QStringLiteral("Escudo portugais"), QStringLiteral("200.482"), 200482000, 0},
        {QStringLiteral("FIM"), QStringLiteral("Mark finlandais"), QStringLiteral("5.94573"), 5945730, 2},
        {QStringLiteral("IEP"), QStringLiteral("Livre irlandaise"), QStringLiteral("0.787564"), 787564, 2},
        {QStringLiteral("GRD"), QStringLiteral("Drachme grecque"), QStringLiteral("340.750"), 340750000, 0},
    };
    return list;
}

std::optional<Amount> parseAmount(const QString &text)
{
    QString s = text.trimmed();
    s.remove(u' ');
    s.remove(QChar(0x00A0));
    s.remove(QChar(0x202F));
    bool negative = false;
    if (s.startsWith(u'-') || s.startsWith(QChar(0x2212))) {
        negative = true;
        s.remove(0, 1);
    } else if (s.startsWith(u'+')) {
        s.remove(0, 1);
    }
    Amount amount;
    bool seenSeparator = false;
    int digits = 0;
    for (QChar c : s) {
        if (c == u',' || c == u'.') {
            if (seenSeparator)
                return std::nullopt;
            seenSeparator = true;
        } else if (c >= u'0' && c <= u'9') {
            if (++digits > maxDigits)
                return std::nullopt;
            amount.units = amount.units * 10 + (c.unicode() - u'0');
            if (seenSeparator)
                ++amount.decimals;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (negative)
        amount.units = -amount.units;
    return amount;
}

Amount toEuro(const Amount &national, const EuroCurrency &currency)
{
    // euros * 100 = units / 10^decimals / (rate / 10^6) * 100
    const Wide numerator = Wide(national.units) * 100 * 1000000;
    const Wide denominator = Wide(currency.rateMillionths) * power10(national.decimals);
    return {roundedDivision(numerator, denominator), 2};
}

Amount fromEuro(const Amount &euros, const EuroCurrency &currency)
{
    const Wide numerator = Wide(euros.units) * currency.rateMillionths * power10(currency.decimals);
    const Wide denominator = Wide(1000000) * power10(euros.decimals);
    return {roundedDivision(numerator, denominator), currency.decimals};
}

QString formatAmount(const Amount &amount)
{
    const bool negative = amount.units < 0;
    QString digits = QString::number(negative ? -amount.units : amount.units);
    if (digits.size() <= amount.decimals)
        digits.prepend(QString(amount.decimals - digits.size() + 1, u'0'));
    const QString fraction = digits.right(amount.decimals);
    QString whole = digits.left(digits.size() - amount.decimals);
    for (int i = whole.size() - 3; i > 0; i -= 3)
        whole.insert(i, QChar(0x00A0));
    QString text = negative ? QStringLiteral("-") + whole : whole;
    if (amount.decimals > 0)
        text += u',' + fraction;
    return text;
}

QString formatRate(const EuroCurrency &currency)
{
    return QString(currency.rateText).replace(u'.', u',');
}

} // namespace Tools
