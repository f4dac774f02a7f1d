#include "SafeSave.h"

#include "platform/Errors.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <functional>
#include <future>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeSave {
namespace {

[[noreturn]] void fail(const QString &path, int err, const QString &reason = QString())
{
    throw Platform::PemoError(QStringLiteral("Impossible d'enregistrer le fichier %1.\n%2")
                                  .arg(path, reason.isEmpty()
                                                 ? Platform::fileFailureReason(path, err, QString(), true)
                                                 : reason));
}

bool writeAll(int fd, const QByteArray &bytes, off_t at = -1)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = at < 0 ? ::write(fd, bytes.constData() + done, size_t(bytes.size() - done))
                                 : ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done),
                                            at + off_t(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += n;
    }
    return true;
}

bool readAll(const QByteArray &native, QByteArray *out)
{
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // A regular file is read into a buffer of its size at once; a device or
    // a pipe, whose size says nothing, in pieces until its end.
    struct stat st;
    qsizetype expected = 0;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        expected = qsizetype(st.st_size);
    QByteArray bytes(expected + 65536, Qt::Uninitialized);
    qsizetype size = 0;
    for (;;) {
        if (bytes.size() - size < 65536)
            bytes.resize(bytes.size() + std::max<qsizetype>(65536, bytes.size() / 2));
        const ssize_t n = ::read(fd, bytes.data() + size, size_t(bytes.size() - size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            errno = err;
            return false;
        }
        if (n == 0)
            break;
        size += n;
    }
    ::close(fd);
    bytes.truncate(size);
    *out = std::move(bytes);
    return true;
}

QByteArray folderOf(const QByteArray &native)
{
    const qsizetype slash = native.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return native.left(slash);
}

QByteArray resolved(const QByteArray &native)
{
    char buffer[PATH_MAX];
    if (::realpath(native.constData(), buffer))
        return QByteArray(buffer);
    return native;
}

Method intoDevice(const QString &path, const QByteArray &native, const struct stat &st, const QByteArray &bytes)
{
    if (S_ISSOCK(st.st_mode))
        fail(path, 0, QStringLiteral("Ce nom désigne une prise de communication (socket), pas un fichier."));
    // Never blocks on a named pipe that no program reads.
    const int fd = ::open(native.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int err = errno;
        if (err == ENXIO && S_ISFIFO(st.st_mode))
            fail(path, err, QStringLiteral("Aucun programme ne lit ce tube nommé."));
        fail(path, err);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const bool done = writeAll(fd, bytes);
    const int err = errno;
    ::close(fd);
    if (!done)
        fail(path, err);
    return Method::IntoDevice;
}

// Writes the new content into fd; answers 0, or the errno of the failure.
using Content = std::function<int(int fd)>;

int writeBytes(int fd, const QByteArray &bytes) { return writeAll(fd, bytes) ? 0 : errno; }

// The pieces written while the next one is made: two buffers, each kept
// (with its room) from piece to piece, so that nothing of the size of the
// file is ever allocated.
int writePieces(int fd, const Pieces &next)
{
    QByteArray buffers[2];
    std::future<int> writing;
    int err = 0;
    for (int k = 0;; k ^= 1) {
        QByteArray &piece = buffers[k];
        piece.resize(0);
        const bool more = next(piece);
        if (writing.valid() && (err = writing.get()) != 0)
            break;
        if (!piece.isEmpty())
            writing = std::async(std::launch::async, [fd, &piece] { return writeBytes(fd, piece); });
        if (!more)
            break;
    }
    if (writing.valid()) {
        const int last = writing.get();
        err = err ? err : last;
    }
    return err;
}

// Answers false, with nothing changed, when the renamed file could not
// carry the old one's owner and group, or when the folder takes no new
// file; throws when the new content itself could not be written.
bool renamedInto(const QString &path, const QByteArray &target, const struct stat *old, const Content &content)
{
    const QByteArray folder = folderOf(target);
    const qsizetype slash = target.lastIndexOf('/');
    QByteArray name = folder + "/." + target.mid(slash + 1) + ".XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (old && (err == EACCES || err == EPERM || err == ENOSPC || err == EDQUOT))
            return false;
        fail(path, err);
    }
    // Each step runs only while every one before it worked: a file whose
    // writing failed is never renamed over the old one.
    bool done = true;
    int err = 0;
    auto step = [&](const std::function<bool()> &call) {
        if (done && !call()) {
            done = false;
            err = errno;
        }
    };
    if (old) {
        struct stat mine;
        step([&] { return ::fstat(fd, &mine) == 0; });
        if (done && (mine.st_uid != old->st_uid || mine.st_gid != old->st_gid)
            && ::fchown(fd, old->st_uid, old->st_gid) != 0) {
            ::close(fd);
            ::unlink(name.constData());
            return false;
        }
        step([&] { return ::fchmod(fd, old->st_mode & 07777) == 0; });
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        step([&] { return ::fchmod(fd, 0666 & ~mask) == 0; });
    }
    if (done) {
        try {
            err = content(fd);
        } catch (...) {
            // Whatever went wrong while the content was made leaves no
            // half-written file behind.
            ::close(fd);
            ::unlink(name.constData());
            throw;
        }
        done = err == 0;
    }
    step([&] { return ::fsync(fd) == 0; });
    const bool closed = ::close(fd) == 0;
    step([&] { return closed; });
    step([&] { return ::rename(name.constData(), target.constData()) == 0; });
    if (!done) {
        ::unlink(name.constData());
        fail(path, err);
    }
    return true;
}

Method inPlace(const QString &path, const QByteArray &target, const struct stat &st, const QByteArray &bytes)
{
    const int fd = ::open(target.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        fail(path, errno);
    QByteArray before;
    const bool kept = readAll(target, &before) && before.size() == qsizetype(st.st_size);
    if (bytes.size() > st.st_size) {
        const int err = ::posix_fallocate(fd, 0, off_t(bytes.size()));
        if (err != 0 && err != EOPNOTSUPP && err != EINVAL && err != ENOSYS) {
            if (::ftruncate(fd, st.st_size) != 0) {
                // Nothing more can be done: the content itself was not touched.
            }
            ::close(fd);
            fail(path, err);
        }
    }
    if (writeAll(fd, bytes, 0) && ::ftruncate(fd, off_t(bytes.size())) == 0 && ::fsync(fd) == 0) {
        if (::close(fd) != 0)
            fail(path, errno);
        return Method::InPlace;
    }
    const int err = errno;
    if (kept && writeAll(fd, before, 0) && ::ftruncate(fd, off_t(before.size())) == 0)
        ::fsync(fd);
    ::close(fd);
    fail(path, err);
}

void appendUtf8(QByteArray &out, char32_t c)
{
    const QString s = QString::fromUcs4(&c, 1);
    out += s.toUtf8();
}

} // namespace

namespace {
// The whole content, for the ways that need it at once.
QByteArray joined(const Pieces &next)
{
    QByteArray bytes, piece;
    for (bool more = true; more;) {
        piece.resize(0);
        more = next(piece);
        bytes += piece;
    }
    return bytes;
}

Method replace(const QString &path, const QByteArray *bytes, const Pieces *pieces)
{
    const Content content = [&](int fd) { return bytes ? writeBytes(fd, *bytes) : writePieces(fd, *pieces); };
    auto whole = [&] { return bytes ? *bytes : joined(*pieces); };
    const QByteArray native = nativePath(path);
    struct stat st;
    if (::stat(native.constData(), &st) != 0) {
        // A new file (a link that leads nowhere is followed, not replaced).
        struct stat link;
        QByteArray target = native;
        if (::lstat(native.constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
            char buffer[PATH_MAX];
            const ssize_t n = ::readlink(native.constData(), buffer, sizeof buffer);
            if (n > 0) {
                const QByteArray to(buffer, n);
                target = to.startsWith('/') ? to : folderOf(native) + '/' + to;
            }
        }
        renamedInto(path, target, nullptr, content);
        return Method::Renamed;
    }
    if (S_ISDIR(st.st_mode))
        fail(path, EISDIR);
    if (!S_ISREG(st.st_mode))
        return intoDevice(path, native, st, whole());
    const QByteArray target = resolved(native);
    if (st.st_nlink <= 1 && renamedInto(path, target, &st, content))
        return Method::Renamed;
    return inPlace(path, target, st, whole());
}
} // namespace

Method replaceContents(const QString &path, const QByteArray &bytes) { return replace(path, &bytes, nullptr); }

Method replaceContents(const QString &path, const Pieces &next) { return replace(path, nullptr, &next); }

std::optional<QByteArray> readContents(const QString &path)
{
    QByteArray bytes;
    if (!readAll(nativePath(path), &bytes))
        return std::nullopt;
    return bytes;
}

bool sameFile(const QString &a, const QString &b)
{
    struct stat sa, sb;
    return ::stat(nativePath(a).constData(), &sa) == 0 && ::stat(nativePath(b).constData(), &sb) == 0
        && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

QByteArray nativePath(const QString &path)
{
    bool escaped = false;
    for (QChar c : path)
        if (c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF) {
            escaped = true;
            break;
        }
    if (!escaped)
        return path.toUtf8();
    QByteArray out;
    const qsizetype n = path.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = path.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n && path.at(i + 1).isLowSurrogate()) {
            appendUtf8(out, QChar::surrogateToUcs4(u, path.at(i + 1).unicode()));
            ++i;
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            out += char(u - 0xDC00);
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

QString fromNativePath(const QByteArray &bytes)
{
    QString out;
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const uchar c = p[i];
        int extra = -1;
        char32_t min = 0;
        if (c < 0x80) extra = 0;
        else if ((c & 0xE0) == 0xC0) { extra = 1; min = 0x80; }
        else if ((c & 0xF0) == 0xE0) { extra = 2; min = 0x800; }
        else if ((c & 0xF8) == 0xF0) { extra = 3; min = 0x10000; }
        bool valid = extra >= 0 && i + extra < n;
        char32_t cp = extra >= 0 ? char32_t(c & (0x7F >> extra)) : 0;
        for (int k = 1; valid && k <= extra; ++k) {
            const uchar cc = p[i + k];
            if ((cc & 0xC0) != 0x80)
                valid = false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (valid && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
            valid = false;
        if (!valid) {
            out += QChar(char16_t(0xDC00 + c));
            ++i;
            continue;
        }
        out += QString::fromUcs4(&cp, 1);
        i += extra + 1;
    }
    return out;
}

} // namespace SafeSave
