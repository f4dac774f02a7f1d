#include "SpellCheck.h"

#include <hunspell.hxx>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>

namespace Spelling {
namespace {

bool isJoiner(QChar c) { return c == u'\'' || c == QChar(0x2019) || c == u'-'; }
bool isWordLetter(QChar c) { return c.isLetter() || c.isMark(); }

} // namespace

QList<Word> wordsOf(QStringView line, const FrenchTypography::LineState &start, FrenchTypography::LineState *end)
{
    QList<FrenchTypography::TextUnit> units;
    const FrenchTypography::LineState after = FrenchTypography::readText(line, start, units);
    if (end)
        *end = after;
    QList<Word> words;
    const int n = int(units.size());
    int k = 0;
    while (k < n) {
        if (!isWordLetter(units.at(k).ch) || units.at(k).opaque) {
            ++k;
            continue;
        }
        // A word runs over letters, and over an apostrophe or a hyphen
        // between two letters ("aujourd'hui", "peut-être"); a stretch the
        // source breaks (a tag in the middle: "<b>m</b>ot") ends it.
        int j = k + 1;
        bool skip = !units.at(k).checked;
        bool lower = units.at(k).ch.isLower();
        while (j < n) {
            const FrenchTypography::TextUnit &u = units.at(j);
            if (u.from != units.at(j - 1).to)
                break;
            if (isWordLetter(u.ch) && !u.opaque) {
                lower = lower || u.ch.isLower();
                skip = skip || !u.checked;
                ++j;
                continue;
            }
            if (isJoiner(u.ch) && j + 1 < n && units.at(j + 1).from == u.to && isWordLetter(units.at(j + 1).ch)
                && !units.at(j + 1).opaque) {
                ++j;
                continue;
            }
            break;
        }
        // Letters glued to digits or to an unknown character: a code, a
        // reference, a unit ("h2o", "10e"), nothing to check. Letters that
        // a tag splits ("<b>M</b>ot") are one word to the reader but two
        // stretches of the source: neither is judged.
        const auto glued = [&](int at) {
            if (at < 0 || at >= n)
                return false;
            const FrenchTypography::TextUnit &u = units.at(at);
            const bool touching = at < k ? u.to == units.at(k).from : u.from == units.at(j - 1).to;
            return isWordLetter(u.ch) || ((u.ch.isDigit() || u.opaque || u.ch == u'_') && touching);
        };
        if (glued(k - 1) || glued(j))
            skip = true;
        if (!skip && j - k > 1 && lower) {
            Word w;
            w.start = units.at(k).from;
            w.length = units.at(j - 1).to - w.start;
            w.text.reserve(j - k);
            for (int u = k; u < j; ++u)
                w.text.append(units.at(u).ch == QChar(0x2019) ? QChar(u'\'') : units.at(u).ch);
            words << w;
        }
        k = j;
    }
    return words;
}

QString pageLanguage(const QStringList &lines, TextPoint *tagEnd)
{
    static const QRegularExpression html(QStringLiteral("<html\\b([^>]*)>"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression lang(QStringLiteral("(?:^|\\s)(?:xml:)?lang\\s*=\\s*[\"']?\\s*([A-Za-z]{2,3}(?:[-_][A-Za-z0-9]+)*)"),
                                         QRegularExpression::CaseInsensitiveOption);
    // The element stands near the top; a tag may run over a few lines.
    QString head;
    for (int i = 0; i < std::min<int>(lines.size(), 200) && head.size() < 20000; ++i)
        head += lines.at(i) + u'\n';
    const QRegularExpressionMatch m = html.match(head);
    if (tagEnd)
        *tagEnd = TextPoint();
    if (!m.hasMatch())
        return QString();
    if (tagEnd) {
        // The first tag found is the leftmost: what follows its ">" takes
        // no part in finding it.
        qsizetype lineStart = 0;
        int line = 0;
        for (; line < lines.size(); ++line) {
            const qsizetype next = lineStart + lines.at(line).size() + 1;
            if (m.capturedEnd() < next)
                break;
            lineStart = next;
        }
        *tagEnd = TextPoint{line, int(m.capturedEnd() - lineStart)};
    }
    const QRegularExpressionMatch l = lang.match(m.captured(1));
    return l.hasMatch() ? l.captured(1) : QString();
}

QStringList dictionaryFolders()
{
    QStringList folders;
    const QString own = qEnvironmentVariable("PEMO_HUNSPELL_DIR");
    if (!own.isEmpty())
        folders << own;
    folders << QStringLiteral("/usr/share/hunspell") << QStringLiteral("/usr/local/share/hunspell")
            << QStringLiteral("/usr/share/myspell");
    return folders;
}

QString dictionaryFor(const QString &language)
{
    QStringList names;
    for (const QString &folder : dictionaryFolders()) {
        const QDir dir(folder);
        for (const QString &aff : dir.entryList({QStringLiteral("*.aff")}, QDir::Files)) {
            const QString name = aff.chopped(4);
            if (dir.exists(name + QStringLiteral(".dic")) && !names.contains(name))
                names << name;
        }
    }
    const auto find = [&names](const QString &wanted) -> QString {
        for (const QString &n : names)
            if (n.compare(wanted, Qt::CaseInsensitive) == 0)
                return n;
        return QString();
    };
    QString code = language.trimmed();
    code.replace(u'-', u'_');
    if (!code.isEmpty()) {
        // "fr-CA": fr_CA, else fr, else any fr_*.
        if (QString n = find(code); !n.isEmpty())
            return n;
        const QString base = code.section(u'_', 0, 0);
        if (QString n = find(base); !n.isEmpty())
            return n;
        for (const QString &n : names)
            if (n.section(u'_', 0, 0).compare(base, Qt::CaseInsensitive) == 0)
                return n;
    }
    for (const QString &wanted : {QStringLiteral("fr"), QStringLiteral("fr_FR")})
        if (QString n = find(wanted); !n.isEmpty())
            return n;
    for (const QString &n : names)
        if (n.startsWith(QStringLiteral("fr_")))
            return n;
    return QString();
}

} // namespace Spelling

namespace SpellWords {
namespace {

struct Store {
    QMutex mutex;
    QSet<QString> ignored;
    QSet<QString> personal;
    QStringList personalOrder;
    bool read = false;
    QDateTime stamp;
    qint64 size = -1;
    QElapsedTimer sinceLook;
    int generation = 0;
};

Store &store()
{
    static Store s;
    return s;
}

// Reads the list again when the file is not what was read. The caller holds the mutex.
void refresh(Store &s, bool force)
{
    if (s.read && !force && s.sinceLook.isValid() && s.sinceLook.elapsed() < 500)
        return;
    s.sinceLook.start();
    const QFileInfo info(personalFile());
    const QDateTime stamp = info.exists() ? info.lastModified() : QDateTime();
    const qint64 size = info.exists() ? info.size() : -1;
    if (s.read && stamp == s.stamp && size == s.size)
        return;
    s.read = true;
    s.stamp = stamp;
    s.size = size;
    s.personal.clear();
    s.personalOrder.clear();
    QFile file(info.filePath());
    if (file.open(QIODevice::ReadOnly)) {
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        for (QString w : lines) {
            w = w.trimmed();
            if (!w.isEmpty() && !s.personal.contains(w)) {
                s.personal.insert(w);
                s.personalOrder << w;
            }
        }
    }
    ++s.generation;
}

QString normalized(const QString &word)
{
    QString w = word.trimmed();
    w.replace(QChar(0x2019), u'\'');
    return w;
}

bool containsWord(const QSet<QString> &set, const QString &word)
{
    if (set.contains(word))
        return true;
    // "Bonjour" at a sentence's start is the word "bonjour".
    if (!word.isEmpty() && word.at(0).isUpper()) {
        QString lower = word;
        lower[0] = lower.at(0).toLower();
        return set.contains(lower);
    }
    return false;
}

} // namespace

QString personalFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/dictionnaire-personnel.txt");
}

QStringList personalWords()
{
    Store &s = store();
    QMutexLocker lock(&s.mutex);
    refresh(s, true);
    return s.personalOrder;
}

bool isPersonal(const QString &word)
{
    Store &s = store();
    QMutexLocker lock(&s.mutex);
    refresh(s, false);
    return !s.personal.isEmpty() && containsWord(s.personal, normalized(word));
}

bool addPersonal(const QString &word, QString *error)
{
    const QString w = normalized(word);
    if (w.isEmpty() || w.contains(u'\n') || w.contains(u'\r'))
        return false;
    Store &s = store();
    QMutexLocker lock(&s.mutex);
    // What another window wrote since is kept.
    refresh(s, true);
    if (s.personal.contains(w))
        return true;
    s.personal.insert(w);
    s.personalOrder << w;
    ++s.generation;
    const QString path = personalFile();
    QString reason;
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        reason = QStringLiteral("le dossier ne peut pas être créé");
    } else {
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            file.write((s.personalOrder.join(u'\n') + u'\n').toUtf8());
            if (file.commit()) {
                const QFileInfo info(path);
                s.stamp = info.lastModified();
                s.size = info.size();
                return true;
            }
        }
        reason = file.errorString();
    }
    if (error)
        *error = QStringLiteral("Le mot « %1 » n'a pas pu être ajouté au dictionnaire personnel %2 : %3.\n"
                                "Il est accepté jusqu'à la fin de la session.")
                     .arg(w, QDir::toNativeSeparators(path), reason);
    return false;
}

void ignore(const QString &word)
{
    Store &s = store();
    QMutexLocker lock(&s.mutex);
    // For the session, in any case: "Bonjoru" at a sentence's start and
    // "bonjoru" further on are the same slip.
    s.ignored.insert(normalized(word).toLower());
    ++s.generation;
}

bool isIgnored(const QString &word)
{
    Store &s = store();
    QMutexLocker lock(&s.mutex);
    return !s.ignored.isEmpty() && s.ignored.contains(normalized(word).toLower());
}

int generation()
{
    Store &s = store();
    QMutexLocker lock(&s.mutex);
    refresh(s, false);
    return s.generation;
}

void reset()
{
    Store &s = store();
    QMutexLocker lock(&s.mutex);
    s.ignored.clear();
    s.personal.clear();
    s.personalOrder.clear();
    s.read = false;
    ++s.generation;
}

} // namespace SpellWords

TSpellChecker::TSpellChecker(const QString &dictionary)
    : m_dictionary(dictionary)
{
    for (const QString &folder : Spelling::dictionaryFolders()) {
        const QString base = folder + u'/' + dictionary;
        if (!QFileInfo::exists(base + QStringLiteral(".aff")) || !QFileInfo::exists(base + QStringLiteral(".dic")))
            continue;
        m_hunspell = std::make_unique<Hunspell>(QFile::encodeName(base + QStringLiteral(".aff")).constData(),
                                                QFile::encodeName(base + QStringLiteral(".dic")).constData());
        QString encoding = QString::fromStdString(m_hunspell->get_dict_encoding()).toUpper();
        m_utf8 = encoding.remove(u'-') == QLatin1String("UTF8");
        return;
    }
    m_error = QStringLiteral("Le dictionnaire « %1 » est introuvable (paquet hunspell-fr).").arg(dictionary);
}

TSpellChecker::~TSpellChecker() = default;

QByteArray TSpellChecker::encode(const QString &word, bool *ok) const
{
    *ok = true;
    if (m_utf8)
        return word.toUtf8();
    // A dictionary in ISO-8859-1 or -15: a word it cannot hold is not its
    // to judge.
    QStringEncoder encoder(QString::fromStdString(m_hunspell->get_dict_encoding()).toLatin1().constData());
    if (!encoder.isValid()) {
        for (QChar c : word)
            if (c.unicode() > 0xFF)
                *ok = false;
        return word.toLatin1();
    }
    QByteArray bytes = encoder.encode(word);
    *ok = !encoder.hasError();
    return bytes;
}

QString TSpellChecker::decode(const std::string &bytes) const
{
    if (m_utf8)
        return QString::fromStdString(bytes);
    QStringDecoder decoder(QString::fromStdString(m_hunspell->get_dict_encoding()).toLatin1().constData());
    if (!decoder.isValid())
        return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    return decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

bool TSpellChecker::isCorrect(const QString &word)
{
    if (!m_hunspell)
        return true;
    if (SpellWords::isIgnored(word) || SpellWords::isPersonal(word))
        return true;
    const auto known = m_known.constFind(word);
    if (known != m_known.constEnd())
        return *known;
    bool ok = true;
    const QByteArray bytes = encode(word, &ok);
    const bool correct = !ok || m_hunspell->spell(bytes.toStdString());
    if (m_known.size() > 200000)
        m_known.clear();
    m_known.insert(word, correct);
    return correct;
}

QStringList TSpellChecker::suggestions(const QString &word, int limit)
{
    QStringList out;
    if (!m_hunspell || limit <= 0)
        return out;
    bool ok = true;
    const QByteArray bytes = encode(word, &ok);
    if (!ok)
        return out;
    for (const std::string &s : m_hunspell->suggest(bytes.toStdString())) {
        const QString text = decode(s);
        if (!text.isEmpty() && !out.contains(text))
            out << text;
        if (out.size() >= limit)
            break;
    }
    return out;
}

QList<Spelling::Word> TSpellChecker::misspelt(QStringView line, const FrenchTypography::LineState &start,
                                              FrenchTypography::LineState *end)
{
    QList<Spelling::Word> words = Spelling::wordsOf(line, start, end);
    if (!m_hunspell)
        return {};
    words.removeIf([this](const Spelling::Word &w) { return isCorrect(w.text); });
    return words;
}

int TSpellChecker::countMisspelt(const QStringList &lines, const std::atomic_bool *cancel)
{
    int count = 0;
    FrenchTypography::LineState state;
    for (const QString &line : lines) {
        if (cancel && *cancel)
            break;
        count += int(misspelt(line, state, &state).size());
    }
    return count;
}
