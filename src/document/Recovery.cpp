#include "Recovery.h"

#include "page/Page.h"
#include "platform/Errors.h"
#include "platform/Windows1252.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QMutex>
#include <QMutexLocker>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QThreadPool>
#include <algorithm>

namespace Recovery {
namespace {

const char copySuffix[] = ".htm";
const char infoSuffix[] = ".json";

using PageFile::Encoding;
const std::pair<Encoding, const char *> encodingNames[] = {
    {Encoding::Windows1252, "windows-1252"}, {Encoding::Utf8, "utf-8"},
    {Encoding::Utf8Bom, "utf-8-bom"},        {Encoding::Utf16Le, "utf-16le"},
    {Encoding::Utf16LeBom, "utf-16le-bom"},  {Encoding::Utf16Be, "utf-16be"},
    {Encoding::Utf16BeBom, "utf-16be-bom"},  {Encoding::Utf32Le, "utf-32le"},
    {Encoding::Utf32LeBom, "utf-32le-bom"},  {Encoding::Utf32Be, "utf-32be"},
    {Encoding::Utf32BeBom, "utf-32be-bom"},
};

QString encodingName(Encoding e)
{
    for (const auto &[encoding, name] : encodingNames)
        if (encoding == e)
            return QString::fromLatin1(name);
    return QStringLiteral("windows-1252");
}

Encoding encodingFromName(const QString &name)
{
    for (const auto &[encoding, n] : encodingNames)
        if (name == QLatin1String(n))
            return encoding;
    return Encoding::Windows1252;
}

constexpr QFileDevice::Permissions ownerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions ownerOnlyFolder = ownerOnlyFile | QFileDevice::ExeOwner;

void writeWhole(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // Private from the first byte: the rights are set before the content is
    // written, not after.
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(ownerOnlyFile) || file.write(bytes) != bytes.size()
        || !file.commit())
        throw Platform::PemoError(QStringLiteral("Impossible d'écrire la copie de récupération %1.\n%2")
                                      .arg(path, file.errorString()));
}

// "<session>-<window>" -> "<session>"
QString sessionOf(const QString &id)
{
    const qsizetype dash = id.lastIndexOf(u'-');
    return dash > 0 ? id.left(dash) : id;
}

// Windows-1252 holds every character of text: the copy needs no
// character reference, which would not read back as the character.
bool fitsWindows1252(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
            continue;
        if (Platform::toWindows1252(c) < 0)
            return false;
    }
    return true;
}

QString infoOf(const Copy &copy, PageFile::Encoding stored)
{
    QJsonObject info;
    info.insert(QLatin1String("original"), copy.original);
    info.insert(QLatin1String("title"), copy.title);
    info.insert(QLatin1String("encoding"), encodingName(copy.encoding));
    info.insert(QLatin1String("copyEncoding"), encodingName(stored));
    info.insert(QLatin1String("caret"), copy.caret);
    info.insert(QLatin1String("lineBreak"), copy.breaks.style == PageFile::LineBreak::Lf   ? QStringLiteral("lf")
                                            : copy.breaks.style == PageFile::LineBreak::Cr ? QStringLiteral("cr")
                                                                                           : QStringLiteral("crlf"));
    info.insert(QLatin1String("finalBreak"), copy.breaks.final);
    info.insert(QLatin1String("saved"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    return QString::fromUtf8(QJsonDocument(info).toJson());
}

// Writes the copy and its description unless the copy already holds
// exactly that (its digest is `last`); answers the new digest.
QByteArray writeCopy(const QString &copyPath, const QString &infoPath, const Copy &copy, const QByteArray &last)
{
    const QString text = copy.text.isNull() ? PageFile::textOf(copy.lines) : copy.text;
    // The copy is the page as a save would write it, so that it can be
    // opened as it is; a page that set cannot hold exactly (characters
    // outside Windows-1252) is kept in UTF-8 instead.
    PageFile::Encoding stored = PageFile::saveEncodingOfText(text, copy.encoding);
    if (PageFile::isWide(stored) || (stored == PageFile::Encoding::Windows1252 && !fitsWindows1252(text)))
        stored = PageFile::Encoding::Utf8;
    const QByteArray bytes = PageFile::encodeText(text, stored);
    QCryptographicHash digest(QCryptographicHash::Sha1);
    digest.addData(bytes);
    digest.addData(copy.original.toUtf8());
    digest.addData(copy.title.toUtf8());
    const QByteArray sum = digest.result();
    if (sum == last)
        return sum;
    // The page first: a description is never found without its page.
    writeWhole(copyPath, bytes);
    writeWhole(infoPath, infoOf(copy, stored).toUtf8());
    return sum;
}

} // namespace

struct Session::Shared {
    QMutex mutex;
    QHash<int, QByteArray> written; // digest of what each window's copy holds
    QList<int> failed;
    QString failure;
};

QString defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)
           + QStringLiteral("/recuperation");
}

QString shownOriginal(const Entry &entry)
{
    return entry.original.isEmpty() ? QStringLiteral("sans nom") : entry.original;
}

Copy load(const Entry &entry)
{
    QFile info(entry.infoPath);
    QFile page(entry.copyPath);
    if (!info.open(QIODevice::ReadOnly) || !page.open(QIODevice::ReadOnly))
        throw Platform::PemoError(QStringLiteral("Impossible de lire la copie de récupération %1.")
                                      .arg(entry.copyPath));
    const QJsonObject o = QJsonDocument::fromJson(info.readAll()).object();
    const QByteArray bytes = page.readAll();
    Copy copy;
    copy.original = o.value(QLatin1String("original")).toString();
    copy.title = o.value(QLatin1String("title")).toString();
    copy.encoding = encodingFromName(o.value(QLatin1String("encoding")).toString());
    copy.caret = o.value(QLatin1String("caret")).toInt();
    const QString style = o.value(QLatin1String("lineBreak")).toString();
    copy.breaks.style = style == QLatin1String("lf")   ? PageFile::LineBreak::Lf
                        : style == QLatin1String("cr") ? PageFile::LineBreak::Cr
                                                       : PageFile::LineBreak::CrLf;
    copy.breaks.final = o.value(QLatin1String("finalBreak")).toBool(true);
    // Read in the set it was written in, never guessed.
    const PageFile::Encoding stored = encodingFromName(o.value(QLatin1String("copyEncoding")).toString());
    QString text;
    if (stored == PageFile::Encoding::Windows1252) {
        text = PageFile::decodeWindows1252(bytes);
    } else {
        // Only the copy's own mark is taken off: a U+FEFF after it, or at the
        // start of a copy without one, is the page's text.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        text = utf8(stored == PageFile::Encoding::Utf8Bom && bytes.startsWith("\xEF\xBB\xBF")
                        ? QByteArrayView(bytes).sliced(3)
                        : QByteArrayView(bytes));
    }
    copy.lines = PageFile::splitLines(text);
    copy.text = PageFile::textOf(copy.lines);
    return copy;
}

void discard(const Entry &entry)
{
    QFile::remove(entry.infoPath);
    QFile::remove(entry.copyPath);
}

Session::Session(const QString &folder)
    : m_folder(folder), m_shared(std::make_shared<Shared>()), m_pool(std::make_unique<QThreadPool>())
{
    // One copy after the other, in the order they were asked for.
    m_pool->setMaxThreadCount(1);
    m_id = QStringLiteral("%1-%2")
               .arg(QCoreApplication::applicationPid())
               .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    if (!QDir().mkpath(m_folder))
        return;
    // Made by an older version, or by hand, with everyone's rights: taken
    // back, and the copies in it too.
    QFile::setPermissions(m_folder, ownerOnlyFolder);
    const QFileInfoList present = QDir(m_folder).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo &f : present)
        if (f.permissions() & ~(ownerOnlyFile | QFileDevice::ReadUser | QFileDevice::WriteUser))
            QFile::setPermissions(f.filePath(), ownerOnlyFile);
    m_lock = std::make_unique<QLockFile>(QDir(m_folder).filePath(m_id + QStringLiteral(".lock")));
    // Only a program that is no longer running gives its session up; age
    // alone never does (a program may stay open for weeks).
    m_lock->setStaleLockTime(0);
    m_active = m_lock->tryLock(0);
    if (m_active)
        QFile::setPermissions(QDir(m_folder).filePath(m_id + QStringLiteral(".lock")), ownerOnlyFile);
}

// The copies under way are finished before the session lets its lock go.
Session::~Session() { wait(); }

void Session::wait() { m_pool->waitForDone(); }

QString Session::pathFor(int window, const char *suffix) const
{
    return QDir(m_folder).filePath(QStringLiteral("%1-%2%3").arg(m_id).arg(window).arg(QLatin1String(suffix)));
}

void Session::save(int window, const Copy &copy)
{
    if (!m_active)
        return;
    wait();
    QByteArray last;
    {
        QMutexLocker lock(&m_shared->mutex);
        last = m_shared->written.value(window);
    }
    const QByteArray sum = writeCopy(pathFor(window, copySuffix), pathFor(window, infoSuffix), copy, last);
    QMutexLocker lock(&m_shared->mutex);
    m_shared->written.insert(window, sum);
    m_kept.insert(window);
    m_stamps.remove(window);
}

bool Session::upToDate(int window, const Stamp &stamp) const
{
    const auto at = m_stamps.constFind(window);
    return at != m_stamps.constEnd() && *at == stamp;
}

void Session::saveInBackground(int window, Copy copy, const Stamp &stamp)
{
    if (!m_active)
        return;
    m_kept.insert(window);
    m_stamps.insert(window, stamp);
    m_pool->start([shared = m_shared, window, copy = std::move(copy), copyPath = pathFor(window, copySuffix),
                   infoPath = pathFor(window, infoSuffix)]() mutable {
        copy.text = TPage::linesTextOf(std::move(copy.text));
        QByteArray last;
        {
            QMutexLocker lock(&shared->mutex);
            last = shared->written.value(window);
        }
        try {
            const QByteArray sum = writeCopy(copyPath, infoPath, copy, last);
            QMutexLocker lock(&shared->mutex);
            shared->written.insert(window, sum);
        } catch (const Platform::PemoError &e) {
            QMutexLocker lock(&shared->mutex);
            shared->written.remove(window);
            shared->failed << window;
            shared->failure = e.message();
        }
    });
}

QString Session::takeFailure()
{
    QMutexLocker lock(&m_shared->mutex);
    for (int window : std::as_const(m_shared->failed))
        m_stamps.remove(window);
    m_shared->failed.clear();
    return std::exchange(m_shared->failure, QString());
}

void Session::remove(int window)
{
    if (!m_kept.contains(window))
        return;
    // A copy under way is not left to land after its removal.
    wait();
    QFile::remove(pathFor(window, infoSuffix));
    QFile::remove(pathFor(window, copySuffix));
    m_kept.remove(window);
    m_stamps.remove(window);
    QMutexLocker lock(&m_shared->mutex);
    m_shared->written.remove(window);
}

void Session::removeAll()
{
    const QList<int> windows = m_kept.values();
    for (int w : windows)
        remove(w);
}

QList<Entry> Session::leftBehind()
{
    QList<Entry> entries;
    if (!m_active)
        return entries;
    const QDir dir(m_folder);
    const QStringList infos = dir.entryList({QStringLiteral("*") + QLatin1String(infoSuffix)}, QDir::Files);
    for (const QString &name : infos) {
        const QString id = name.chopped(int(qstrlen(infoSuffix)));
        const QString session = sessionOf(id);
        if (session == m_id)
            continue;
        if (m_adopted.find(session) == m_adopted.end()) {
            auto lock = std::make_unique<QLockFile>(dir.filePath(session + QStringLiteral(".lock")));
            lock->setStaleLockTime(0);
            // Held by a running program: its copies are its own.
            if (!lock->tryLock(0))
                continue;
            m_adopted.emplace(session, std::move(lock));
        }
        Entry e;
        e.id = id;
        e.infoPath = dir.filePath(name);
        e.copyPath = dir.filePath(id + QLatin1String(copySuffix));
        if (!QFileInfo::exists(e.copyPath))
            continue;
        QFile info(e.infoPath);
        if (!info.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject o = QJsonDocument::fromJson(info.readAll()).object();
        e.original = o.value(QLatin1String("original")).toString();
        e.title = o.value(QLatin1String("title")).toString();
        e.saved = QDateTime::fromString(o.value(QLatin1String("saved")).toString(), Qt::ISODateWithMs).toLocalTime();
        entries << e;
    }
    // A program killed with nothing unsaved leaves only its lock behind:
    // once nobody holds it, it goes.
    const QStringList locks = dir.entryList({QStringLiteral("*.lock")}, QDir::Files);
    for (const QString &name : locks) {
        const QString session = name.chopped(5);
        if (session == m_id || m_adopted.find(session) != m_adopted.end())
            continue;
        if (!dir.entryList({session + QStringLiteral("-*") + QLatin1String(infoSuffix)}, QDir::Files).isEmpty())
            continue;
        QLockFile lock(dir.filePath(name));
        lock.setStaleLockTime(0);
        if (lock.tryLock(0))
            lock.unlock();
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.saved < b.saved; });
    return entries;
}

} // namespace Recovery
