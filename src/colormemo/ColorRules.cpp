#include "ColorRules.h"
#include "platform/AsciiCase.h"

namespace {

bool isBlank(const QString &s)
{
    for (QChar c : s)
        if (!c.isSpace())
            return false;
    return true;
}

// Reads "$" followed by hexadecimal digits, or decimal digits, as a 32-bit
// value; anything else fails.
bool readInteger(const QString &text, qint64 *value)
{
    if (text.startsWith(u'$')) {
        const QStringView digits = QStringView(text).mid(1);
        if (digits.isEmpty())
            return false;
        qint64 v = 0;
        for (QChar c : digits) {
            const char16_t u = c.unicode();
            int d;
            if (u >= u'0' && u <= u'9')
                d = u - u'0';
            else if (u >= u'A' && u <= u'F')
                d = u - u'A' + 10;
            else
                return false;
            v = v * 16 + d;
            if (v > 0xFFFFFFFFLL)
                return false;
        }
        *value = v;
        return true;
    }
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    *value = v;
    return ok;
}

} // namespace

TColor ColorFromText(const QString &text)
{
    const QString t = Ascii::upper(text.trimmed()).left(10);
    static const struct
    {
        const char16_t *name;
        TColor color;
    } names[] = {
        {u"BLACK", clBlack}, {u"MAROON", clMaroon}, {u"GREEN", clGreen},   {u"OLIVE", clOlive},
        {u"NAVY", clNavy},   {u"PURPLE", clPurple}, {u"TEAL", clTeal},     {u"GRAY", clGray},
        {u"SILVER", clSilver}, {u"RED", clRed},     {u"LIME", clLime},     {u"YELLOW", clYellow},
        {u"BLUE", clBlue},   {u"FUCHSIA", clFuchsia}, {u"AQUA", clAqua},   {u"WHITE", clWhite},
    };
    for (const auto &n : names)
        if (t == QStringView(n.name))
            return n.color;

    QString digits = t;
    const qsizetype hash = digits.indexOf(u'#');
    if (hash >= 0)
        digits.remove(hash, 1);
    if (!digits.contains(u'$'))
        digits.prepend(u'$');
    qint64 v = 0;
    if (!readInteger(digits, &v))
        return clWhite;
    // HTML writes RRGGBB; the platform keeps red in the low byte.
    return TColor((v & 0xFF00) + ((v & 0xFF) << 16) + ((v & 0xFF0000) >> 16));
}

// ---------------------------------------------------------------- TColorRule

TColorRule::TColorRule(TDrawRules *collection)
    : m_memo(collection ? collection->Owner() : nullptr)
{
    clearMarkers();
}

void TColorRule::Assign(const TColorRule &source)
{
    if (&source == this)
        return;
    m_kind = source.m_kind;
    m_zOrder = source.m_zOrder;
    m_keyMaxHeight = source.m_keyMaxHeight;
    m_keyCase = source.m_keyCase;
    m_enabled = source.m_enabled;
    m_partWord = source.m_partWord;
    m_defKeyColor = source.m_defKeyColor;
    m_keyBrushColor = source.m_keyBrushColor;
    SetKeywords(source.m_keywords);
    SetKeyLineEndLst(source.m_keyLineEnd);
    SetKeyBegEndLst(source.m_keyBegEnd);
}

void TColorRule::SetKeywords(const QStringList &lines)
{
    m_compiled = false;
    compileKeywords(lines);
    if (&lines != &m_keywords)
        m_keywords = lines;
}

void TColorRule::SetKeyBegEndLst(const QStringList &lines)
{
    m_compiled = false;
    compileBegEnd(lines);
    if (&lines != &m_keyBegEnd)
        m_keyBegEnd = lines;
}

void TColorRule::SetKeyLineEndLst(const QStringList &lines)
{
    m_compiled = false;
    compileLineEnd(lines);
    if (&lines != &m_keyLineEnd)
        m_keyLineEnd = lines;
}

bool TColorRule::UpdateLists()
{
    bool hasEntries = !m_keyBegEnd.isEmpty();
    if (m_kind == dtKeyShow)
        hasEntries = hasEntries || !m_keywords.isEmpty();
    if (m_kind == dtBeginLineEnd)
        hasEntries = hasEntries || !m_keyLineEnd.isEmpty();
    // Compiling the same lists again gives the same tables; skipping it
    // keeps the passes that run on every keystroke free of allocations.
    // A list changed in place no longer shares its data with the copy kept
    // at the last compilation.
    auto same = [](const QStringList &a, const QStringList &b) { return a.isSharedWith(b) || a == b; };
    if (m_compiled && same(m_keyBegEnd, m_compiledBegEnd) && same(m_keywords, m_compiledKeywords)
        && same(m_keyLineEnd, m_compiledLineEnd) && m_compiledKind == m_kind && m_compiledCase == m_keyCase
        && m_compiledDefColor == m_defKeyColor)
        return hasEntries;

    compileBegEnd(m_keyBegEnd);
    if (m_kind == dtKeyShow)
        compileKeywords(m_keywords);
    if (m_kind == dtBeginLineEnd)
        compileLineEnd(m_keyLineEnd);
    m_compiled = true;
    m_compiledBegEnd = m_keyBegEnd;
    m_compiledKeywords = m_keywords;
    m_compiledLineEnd = m_keyLineEnd;
    m_compiledKind = m_kind;
    m_compiledCase = m_keyCase;
    m_compiledDefColor = m_defKeyColor;
    return hasEntries;
}

int TColorRule::markerCount() const
{
    int n = 0;
    while (n < MarkerCount && !m_markers[n].begin.isEmpty())
        ++n;
    return n;
}

void TColorRule::clearMarkers()
{
    for (TMarkerEntry &e : m_markers) {
        e.begin.clear();
        e.end.clear();
        e.color = 0;
        e.lastPos = -1;
    }
}

void TColorRule::compileBegEnd(const QStringList &lines)
{
    clearMarkers();
    const int n = std::min<int>(int(lines.size()), MarkerCount);
    for (int i = 0; i < n; ++i) {
        const QString &line = lines.at(i);
        const qsizetype semi = line.indexOf(u';');
        // No ";" or a line starting with one leaves the entry empty, which
        // ends the table.
        if (semi < 1)
            break;
        TMarkerEntry &e = m_markers[i];
        e.begin = line.left(semi).left(MarkerLength);
        const QString rest = line.mid(semi + 1);
        const qsizetype semi2 = rest.indexOf(u';');
        e.end = (semi2 < 0 ? rest : rest.left(semi2)).left(MarkerLength);
        const QString colorText = semi2 < 0 ? QString() : rest.mid(semi2 + 1);
        e.color = isBlank(colorText) ? m_defKeyColor : ColorFromText(colorText);
    }
}

void TColorRule::compileLineEnd(const QStringList &lines)
{
    clearMarkers();
    const int n = std::min<int>(int(lines.size()), MarkerCount);
    for (int i = 0; i < n; ++i) {
        const QString &line = lines.at(i);
        if (line.isEmpty())
            break;
        QString marker;
        QString colorText;
        const qsizetype semi = line.indexOf(u';');
        if (line.startsWith(QStringLiteral(";;"))) {
            marker = QStringLiteral(";");
            colorText = line.mid(2);
        } else if (semi <= 0) {
            marker = line;
        } else {
            marker = line.left(semi);
            colorText = line.mid(semi + 1);
        }
        TMarkerEntry &e = m_markers[i];
        e.begin = marker.left(MarkerLength);
        e.color = isBlank(colorText) ? m_defKeyColor : ColorFromText(colorText);
    }
}

void TColorRule::compileKeywords(const QStringList &lines)
{
    m_keys.clear();
    m_keyColorCount = 0;
    for (const QString &line : lines) {
        if (isBlank(line))
            continue;
        const qsizetype semi = line.indexOf(u';');
        QString key = (semi < 0 ? line : line.left(semi)).left(KeywordLength);
        const QString colorText = semi < 0 ? QString() : line.mid(semi + 1);
        // An empty keyword would match everywhere without moving on.
        if (key.isEmpty())
            continue;
        const TColor color = isBlank(colorText) ? m_defKeyColor : ColorFromText(colorText);
        if (!m_keyCase)
            key = Ascii::upper(key);

        int index = 0;
        for (int c = 0; c < m_keyColorCount; ++c)
            if (m_keyColors[c] == color) {
                index = c + 1;
                break;
            }
        if (index == 0) {
            if (m_keyColorCount < KeyColorCount) {
                m_keyColors[m_keyColorCount++] = color;
                index = m_keyColorCount;
            } else {
                // The table is full: the keyword shares the colour of the one
                // before it.
                index = m_keys.empty() ? 1 : m_keys.back().colorIndex;
            }
        }
        m_keys.push_back({key, index});
    }
}

// ---------------------------------------------------------------- TDrawRules

TColorRule *TDrawRules::Add()
{
    m_items.push_back(std::make_unique<TColorRule>(this));
    return m_items.back().get();
}

void TDrawRules::Assign(const TDrawRules &source)
{
    if (&source == this)
        return;
    m_items.clear();
    for (const auto &rule : source.m_items)
        Add()->Assign(*rule);
    m_compile = true;
}

void TDrawRules::UpdateRules()
{
    if (!m_compile) {
        m_compile = true;
        return;
    }
    bool any = false;
    for (const auto &rule : m_items)
        any = rule->UpdateLists() || any;
    if (any)
        m_compile = false;
}
