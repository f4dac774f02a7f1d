#include "TextSearch.h"

#include "platform/AsciiCase.h"

#include <algorithm>

namespace TextSearch {

QChar upper1252(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return Ascii::toUpper(c);
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) // à..þ, not the division sign
        return QChar(char16_t(u - 32));
    switch (u) {
    case 0xFF: return QChar(char16_t(0x178)); // ÿ -> Ÿ
    case 0x153: return QChar(char16_t(0x152)); // œ -> Œ
    case 0x161: return QChar(char16_t(0x160)); // š -> Š
    case 0x17E: return QChar(char16_t(0x17D)); // ž -> Ž
    default: return c;
    }
}

namespace {

// A window over the text that is refilled as the search walks on, so a
// search near the caret reads only a few lines of a large page.
class Reader
{
public:
    Reader(int length, const Fetch &fetch, int needle, bool down)
        : m_length(length), m_fetch(fetch), m_margin(needle + 2), m_down(down),
          m_chunk(std::max(65536, 4 * needle + 16))
    {
    }

    QChar at(int offset)
    {
        if (offset < m_start || offset >= m_start + int(m_buffer.size()))
            refill(offset);
        return m_buffer.at(offset - m_start);
    }

private:
    void refill(int offset)
    {
        int from, to;
        if (m_down) {
            from = std::max(0, offset - m_margin);
            to = std::min(m_length, from + m_chunk);
        } else {
            to = std::min(m_length, offset + m_margin + 1);
            from = std::max(0, to - m_chunk);
        }
        m_buffer.resize(0);
        m_fetch(from, to, m_buffer);
        m_start = from;
    }

    int m_length;
    const Fetch &m_fetch;
    int m_margin;
    bool m_down;
    int m_chunk;
    QString m_buffer;
    int m_start = 0;
};

} // namespace

int find(int n, const Fetch &fetch, QStringView s, int selStart, int selLength, SearchOptions options)
{
    const int m = int(s.size());
    if (m == 0 || n <= 0)
        return -1;
    const bool down = options.testFlag(SearchOption::Down);
    const bool matchCase = options.testFlag(SearchOption::MatchCase);
    const bool wholeWord = options.testFlag(SearchOption::WholeWord);

    QString needle = s.toString();
    if (!matchCase)
        for (QChar &c : needle)
            c = upper1252(c);

    Reader text(n, fetch, m, down);
    auto matchesAt = [&](int p) {
        if (p < 0 || p + m > n)
            return false;
        for (int i = 0; i < m; ++i) {
            const QChar c = text.at(p + i);
            if ((matchCase ? c : upper1252(c)) != needle.at(i))
                return false;
        }
        return !wholeWord || p + m == n || !isWordChar(text.at(p + m));
    };

    if (down) {
        int p = selStart + selLength;
        if (p < 0 || p > n)
            return -1;
        const int last = n - m;
        for (;;) {
            if (wholeWord) {
                // Stand on the next word start. A position that already
                // starts a word is tested as it is: the word right at the
                // caret must not be skipped.
                if (p > 0 && p < n && isWordChar(text.at(p)) && isWordChar(text.at(p - 1)))
                    while (p < n && isWordChar(text.at(p)))
                        ++p;
                while (p < n && !isWordChar(text.at(p)))
                    ++p;
            }
            if (p > last)
                return -1;
            if (matchesAt(p))
                return p;
            ++p;
        }
    }

    int p = selStart - m;
    if (p < 0 || p > n)
        return -1;
    while (p >= 0) {
        if (wholeWord) {
            while (p >= 0 && !isWordChar(text.at(p)))
                --p;
            if (p < 0)
                return -1;
            while (p > 0 && isWordChar(text.at(p - 1)))
                --p;
        }
        if (matchesAt(p))
            return p;
        --p;
    }
    return -1;
}

int find(QStringView text, QStringView s, int selStart, int selLength, SearchOptions options)
{
    const Fetch fetch = [text](int from, int to, QString &out) { out.append(text.mid(from, to - from)); };
    return find(int(text.size()), fetch, s, selStart, selLength, options);
}

} // namespace TextSearch
