#include "HtmlEntities.h"

#include "platform/Latin1Entities.h"

#include "platform/Windows1252.h"

#include <QHash>

namespace HtmlEntities {
namespace {

// U+00A0 to U+00FF, in order. Browsers also read these, and the four below,
// without their ";", as pages of old often wrote them.
constexpr const auto &latin1 = Platform::latin1EntityNames;

struct Named {
    const char16_t *name;
    char16_t code;
};
constexpr Named others[] = {
    {u"quot", 34}, {u"amp", 38}, {u"lt", 60}, {u"gt", 62},
    {u"apos", 39}, {u"OElig", 338}, {u"oelig", 339}, {u"Scaron", 352}, {u"scaron", 353}, {u"Yuml", 376},
    {u"fnof", 402}, {u"circ", 710}, {u"tilde", 732}, {u"thetasym", 977}, {u"upsih", 978}, {u"piv", 982},
    {u"ensp", 8194}, {u"emsp", 8195}, {u"thinsp", 8201}, {u"zwnj", 8204}, {u"zwj", 8205}, {u"lrm", 8206},
    {u"rlm", 8207}, {u"ndash", 8211}, {u"mdash", 8212}, {u"lsquo", 8216}, {u"rsquo", 8217}, {u"sbquo", 8218},
    {u"ldquo", 8220}, {u"rdquo", 8221}, {u"bdquo", 8222}, {u"dagger", 8224}, {u"Dagger", 8225},
    {u"bull", 8226}, {u"hellip", 8230}, {u"permil", 8240}, {u"prime", 8242}, {u"Prime", 8243},
    {u"lsaquo", 8249}, {u"rsaquo", 8250}, {u"oline", 8254}, {u"frasl", 8260}, {u"euro", 8364},
    {u"image", 8465}, {u"weierp", 8472}, {u"real", 8476}, {u"trade", 8482}, {u"alefsym", 8501},
    {u"larr", 8592}, {u"uarr", 8593}, {u"rarr", 8594}, {u"darr", 8595}, {u"harr", 8596}, {u"crarr", 8629},
    {u"lArr", 8656}, {u"uArr", 8657}, {u"rArr", 8658}, {u"dArr", 8659}, {u"hArr", 8660},
    {u"forall", 8704}, {u"part", 8706}, {u"exist", 8707}, {u"empty", 8709}, {u"nabla", 8711},
    {u"isin", 8712}, {u"notin", 8713}, {u"ni", 8715}, {u"prod", 8719}, {u"sum", 8721}, {u"minus", 8722},
    {u"lowast", 8727}, {u"radic", 8730}, {u"prop", 8733}, {u"infin", 8734}, {u"ang", 8736}, {u"and", 8743},
    {u"or", 8744}, {u"cap", 8745}, {u"cup", 8746}, {u"int", 8747}, {u"there4", 8756}, {u"sim", 8764},
    {u"cong", 8773}, {u"asymp", 8776}, {u"ne", 8800}, {u"equiv", 8801}, {u"le", 8804}, {u"ge", 8805},
    {u"sub", 8834}, {u"sup", 8835}, {u"nsub", 8836}, {u"sube", 8838}, {u"supe", 8839}, {u"oplus", 8853},
    {u"otimes", 8855}, {u"perp", 8869}, {u"sdot", 8901}, {u"lceil", 8968}, {u"rceil", 8969},
    {u"lfloor", 8970}, {u"rfloor", 8971}, {u"lang", 9001}, {u"rang", 9002}, {u"loz", 9674},
    {u"spades", 9824}, {u"clubs", 9827}, {u"hearts", 9829}, {u"diams", 9830},
};
constexpr int legacyOthers = 4;     // quot, amp, lt, gt

// Capital Greek letters from U+0391 (U+03A2 has no letter), small ones
// from U+03B1.
constexpr const char16_t *greek[] = {
    u"Alpha", u"Beta", u"Gamma", u"Delta", u"Epsilon", u"Zeta", u"Eta", u"Theta", u"Iota", u"Kappa",
    u"Lambda", u"Mu", u"Nu", u"Xi", u"Omicron", u"Pi", u"Rho", nullptr, u"Sigma", u"Tau", u"Upsilon",
    u"Phi", u"Chi", u"Psi", u"Omega"};
constexpr const char16_t *smallGreek[] = {
    u"alpha", u"beta", u"gamma", u"delta", u"epsilon", u"zeta", u"eta", u"theta", u"iota", u"kappa",
    u"lambda", u"mu", u"nu", u"xi", u"omicron", u"pi", u"rho", u"sigmaf", u"sigma", u"tau", u"upsilon",
    u"phi", u"chi", u"psi", u"omega"};

struct Entry {
    QString text;
    bool legacy = false;        // also read without ";"
};

const QHash<QString, Entry> &table()
{
    static const QHash<QString, Entry> t = [] {
        QHash<QString, Entry> h;
        for (int k = 0; k < 96; ++k)
            h.insert(QString::fromUtf16(latin1[k]), {QString(QChar(char16_t(0xA0 + k))), true});
        for (int k = 0; k < int(std::size(others)); ++k)
            h.insert(QString::fromUtf16(others[k].name), {QString(QChar(others[k].code)), k < legacyOthers});
        for (int k = 0; k < int(std::size(greek)); ++k) {
            if (greek[k])
                h.insert(QString::fromUtf16(greek[k]), {QString(QChar(char16_t(0x391 + k)))});
            h.insert(QString::fromUtf16(smallGreek[k]), {QString(QChar(char16_t(0x3B1 + k)))});
        }
        // The export has always written these two this way: a plain space,
        // and the copyright sign in letters.
        h[QStringLiteral("nbsp")].text = QStringLiteral(" ");
        h[QStringLiteral("copy")].text = QStringLiteral("(c)");
        return h;
    }();
    return t;
}

bool isAsciiAlnum(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

// A numeric reference at text[at] ("&#..."): appends the character and
// returns the position after the reference, or -1 when it is none.
qsizetype numeric(QStringView text, qsizetype at, QString &out)
{
    qsizetype k = at + 2;
    const bool hex = k < text.size() && (text[k] == u'x' || text[k] == u'X');
    if (hex)
        ++k;
    const qsizetype digits = k;
    char32_t code = 0;
    for (; k < text.size(); ++k) {
        const QChar c = text[k];
        int v;
        if (c >= u'0' && c <= u'9')
            v = c.unicode() - u'0';
        else if (hex && c >= u'a' && c <= u'f')
            v = c.unicode() - u'a' + 10;
        else if (hex && c >= u'A' && c <= u'F')
            v = c.unicode() - u'A' + 10;
        else
            break;
        if (code <= 0x10FFFF)
            code = code * (hex ? 16 : 10) + char32_t(v);
    }
    if (k == digits || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return -1;
    if (k < text.size() && text[k] == u';')
        ++k;
    if (code >= 0x80 && code < 0xA0)
        out += Platform::fromWindows1252(uchar(code));
    else
        out += QString::fromUcs4(&code, 1);
    return k;
}

// A named reference at text[at]: appends its text and returns the position
// after it, or -1 when it names nothing known.
qsizetype named(QStringView text, qsizetype at, QString &out)
{
    qsizetype end = at + 1;
    while (end < text.size() && isAsciiAlnum(text[end]))
        ++end;
    const QStringView name = text.mid(at + 1, end - at - 1);
    if (name.isEmpty())
        return -1;
    const QHash<QString, Entry> &t = table();
    if (end < text.size() && text[end] == u';') {
        const auto it = t.constFind(name.toString());
        if (it != t.constEnd()) {
            out += it->text;
            return end + 1;
        }
    }
    // Without ";" only the old names count, the longest that starts the run:
    // "&eacutee" is "ée".
    for (qsizetype length = qMin<qsizetype>(name.size(), 6); length >= 2; --length) {
        const auto it = t.constFind(name.left(length).toString());
        if (it != t.constEnd() && it->legacy) {
            out += it->text;
            return at + 1 + length;
        }
    }
    return -1;
}

} // namespace

QString decode(QStringView text)
{
    qsizetype amp = text.indexOf(u'&');
    if (amp < 0)
        return text.toString();
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    while (amp >= 0) {
        out += text.mid(from, amp - from);
        qsizetype next = -1;
        if (amp + 1 < text.size())
            next = text[amp + 1] == u'#' ? numeric(text, amp, out) : named(text, amp, out);
        if (next < 0) {
            out += u'&';
            next = amp + 1;
        }
        from = next;
        amp = text.indexOf(u'&', from);
    }
    out += text.mid(from);
    return out;
}

} // namespace HtmlEntities
