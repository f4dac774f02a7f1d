#include "ftp/SftpClient.h"

#include "ftp/FtpListing.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageAuthenticationCode>
#include <QSaveFile>
#include <QThread>

#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <mutex>
#include <optional>
#include <vector>

struct SftpClient::Session {
    ssh_session ssh = nullptr;
    sftp_session sftp = nullptr;
    QString folder;

    Session() = default;
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;
    ~Session() { close(); }

    void close()
    {
        if (sftp)
            sftp_free(sftp);
        sftp = nullptr;
        if (ssh) {
            if (ssh_is_connected(ssh))
                ssh_disconnect(ssh);
            ssh_free(ssh);
        }
        ssh = nullptr;
        folder.clear();
    }
};

struct SftpClient::Outcome {
    bool ok = false;
    QString error;
    QStringList log;
    std::optional<bool> connected;
    bool keyPending = false;
    std::optional<HostKey> key;
    std::optional<QString> folder;
    std::optional<QList<Entry>> entries;
    QStringList refused;
};

namespace {

// Blocks as large as the usual servers take in one write: fewer round trips
// for the same bytes.
constexpr qint64 UploadBlock = 252 * 1024;
constexpr qint64 DownloadBlock = 64 * 1024;

QString quoted(const QString &s)
{
    return QStringLiteral("«\u00A0") + s + QStringLiteral("\u00A0»");
}

// A name as the log may show it: control characters written out.
QString visible(const QString &name)
{
    QString out;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString join(const QString &folder, const QString &name)
{
    if (name.startsWith(u'/'))
        return name;
    if (folder.isEmpty())
        return name;
    return folder.endsWith(u'/') ? QString(folder + name) : QString(folder + u'/' + name);
}

QString lastWords(ssh_session ssh)
{
    return ssh ? QString::fromUtf8(ssh_get_error(ssh)) : QString();
}

// Why a file command failed: the server's status where it gave one, the
// session's own words otherwise.
QString fileError(SftpClient::Session &s, const QString &what)
{
    const int status = s.sftp ? sftp_get_error(s.sftp) : 0;
    if (!ssh_is_connected(s.ssh))
        return what + QStringLiteral(" : ") + SshTexts::statusText(SSH_FX_CONNECTION_LOST);
    if (status > 0)
        return what + QStringLiteral(" : ") + SshTexts::statusText(status);
    const QString why = lastWords(s.ssh);
    return why.isEmpty() ? what : what + QStringLiteral(" : ") + why;
}

// A lost session is told to the window, which stops offering commands.
void checkSession(SftpClient::Session &s, SftpClient::Outcome &o)
{
    if (s.ssh && !ssh_is_connected(s.ssh)) {
        s.close();
        o.connected = false;
    }
}

int keyboardInteractive(ssh_session ssh, const QByteArray &password)
{
    int rc = ssh_userauth_kbdint(ssh, nullptr, nullptr);
    for (int round = 0; rc == SSH_AUTH_INFO && round < 4; ++round) {
        const int prompts = ssh_userauth_kbdint_getnprompts(ssh);
        for (int i = 0; i < prompts; ++i) {
            char echo = 0;
            ssh_userauth_kbdint_getprompt(ssh, unsigned(i), &echo);
            // The hidden prompt is the password; a visible one is not ours to answer.
            ssh_userauth_kbdint_setanswer(ssh, unsigned(i), echo ? "" : password.constData());
        }
        rc = ssh_userauth_kbdint(ssh, nullptr, nullptr);
    }
    return rc;
}

// Logs in (keys of the agent and of the ssh folder first, then the
// password) and opens the file service in the login folder.
void logIn(SftpClient::Session &s, SftpClient::Outcome &o, const QString &host, const QString &user,
           const QString &password)
{
    const QByteArray secret = password.toUtf8();
    int rc = ssh_userauth_none(s.ssh, nullptr);
    if (rc != SSH_AUTH_SUCCESS && rc != SSH_AUTH_ERROR) {
        const int methods = ssh_userauth_list(s.ssh, nullptr);
        rc = SSH_AUTH_DENIED;
        if (methods & SSH_AUTH_METHOD_PUBLICKEY)
            rc = ssh_userauth_publickey_auto(s.ssh, nullptr, secret.isEmpty() ? nullptr : secret.constData());
        if (rc == SSH_AUTH_DENIED || rc == SSH_AUTH_PARTIAL) {
            if (!secret.isEmpty() && (methods & SSH_AUTH_METHOD_PASSWORD))
                rc = ssh_userauth_password(s.ssh, nullptr, secret.constData());
        }
        if (rc == SSH_AUTH_DENIED || rc == SSH_AUTH_PARTIAL) {
            if (!secret.isEmpty() && (methods & SSH_AUTH_METHOD_INTERACTIVE))
                rc = keyboardInteractive(s.ssh, secret);
        }
    }
    if (rc != SSH_AUTH_SUCCESS) {
        o.error = rc == SSH_AUTH_ERROR ? SshTexts::connectFailure(host, 0, lastWords(s.ssh)).remove(QStringLiteral(" sur le port 0"))
                                       : SshTexts::authFailure(host, user, !secret.isEmpty());
        s.close();
        o.connected = false;
        return;
    }
    s.sftp = sftp_new(s.ssh);
    if (!s.sftp || sftp_init(s.sftp) != SSH_OK) {
        o.error = SshTexts::noFileService(host, lastWords(s.ssh));
        s.close();
        o.connected = false;
        return;
    }
    char *home = sftp_canonicalize_path(s.sftp, ".");
    s.folder = home ? QString::fromUtf8(home) : QStringLiteral("/");
    if (home)
        ssh_string_free_char(home);
    o.ok = true;
    o.connected = true;
    o.folder = s.folder;
    o.log << QStringLiteral("Session SFTP ouverte avec ") + quoted(host) + QStringLiteral(" en tant que ")
                 + quoted(user) + QStringLiteral(" ; dossier ") + quoted(s.folder);
}

} // namespace

SftpClient::SftpClient(QObject *parent)
    : QObject(parent)
    , m_session(std::make_unique<Session>())
{
    static std::once_flag once;
    std::call_once(once, [] { ssh_init(); });
    m_thread = new QThread(this);
    m_thread->setObjectName(QStringLiteral("sftp"));
    m_worker = std::make_unique<QObject>();
    m_worker->moveToThread(m_thread);
    m_thread->start();
}

SftpClient::~SftpClient()
{
    // A transfer stops at its next block; whatever waits in the queue is
    // dropped with the worker.
    m_cancel = true;
    m_thread->quit();
    m_thread->wait();
    m_worker.reset();
    m_session->close();
}

QString SftpClient::knownHostsFile() const
{
    if (!m_knownHosts.isEmpty())
        return m_knownHosts;
    const QString folder = m_sshFolder.isEmpty() ? QDir::homePath() + QStringLiteral("/.ssh") : m_sshFolder;
    return folder + QStringLiteral("/known_hosts");
}

bool SftpClient::isSafeName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7F
            || (c.unicode() >= 0x80 && c.unicode() < 0xA0))
            return false;
    }
    return true;
}

bool SftpClient::isSafeArgument(const QString &text)
{
    for (const QChar c : text) {
        if (c == u'\r' || c == u'\n' || c == QChar(0))
            return false;
    }
    return true;
}

QByteArray SftpClient::withoutHost(const QByteArray &knownHosts, const QString &hostPattern)
{
    const QByteArray pattern = hostPattern.toLower().toUtf8();
    const auto matches = [&](const QByteArray &name) {
        if (name.startsWith("|1|")) {
            const QList<QByteArray> parts = name.split('|');
            if (parts.size() != 4)
                return false;
            const QByteArray salt = QByteArray::fromBase64(parts.at(2));
            const QByteArray hash = QByteArray::fromBase64(parts.at(3));
            return QMessageAuthenticationCode::hash(pattern, salt, QCryptographicHash::Sha1) == hash;
        }
        return name.toLower() == pattern;
    };
    QList<QByteArray> kept;
    const QList<QByteArray> lines = knownHosts.split('\n');
    for (const QByteArray &line : lines) {
        const QByteArray trimmed = line.trimmed();
        // Comments and marked lines (authorities, revoked keys) stay.
        if (trimmed.isEmpty() || trimmed.startsWith('#') || trimmed.startsWith('@')) {
            kept << line;
            continue;
        }
        qsizetype end = 0;
        while (end < trimmed.size() && trimmed.at(end) != ' ' && trimmed.at(end) != '\t')
            ++end;
        const QList<QByteArray> names = trimmed.left(end).split(',');
        if (std::none_of(names.cbegin(), names.cend(), matches))
            kept << line;
    }
    return kept.join('\n');
}

bool SftpClient::refuse(const QString &why)
{
    m_error = why;
    return false;
}

bool SftpClient::checkArgument(const QString &name)
{
    if (isSafeArgument(name) && !name.isEmpty())
        return true;
    return refuse(QStringLiteral("Nom refusé : ") + quoted(visible(name))
                  + QStringLiteral(" contient un saut de ligne ou un caractère nul, ou est vide."));
}

bool SftpClient::post(Request request, std::function<void(Session &, Outcome &)> job)
{
    if (m_busy)
        return refuse(QStringLiteral("Une commande SFTP est déjà en cours : attendez sa fin ou appuyez sur "
                                     "«\u00A0Arrêter\u00A0»."));
    m_busy = true;
    m_cancel = false;
    m_error.clear();
    Session *session = m_session.get();
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        m_worker.get(),
        [this, session, request, generation, job = std::move(job)] {
            Outcome outcome;
            job(*session, outcome);
            QMetaObject::invokeMethod(this, [this, request, generation, outcome] { finish(request, generation, outcome); },
                                      Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    return true;
}

void SftpClient::finish(Request request, quint64 generation, const Outcome &o)
{
    m_busy = false;
    for (const QString &line : o.log)
        Q_EMIT display(line);
    if (generation != m_generation) {
        // Ended after the session was closed: its news is stale.
        m_error = o.ok ? QStringLiteral("Session SFTP fermée.") : o.error;
        Q_EMIT requestDone(request, false);
        return;
    }
    if (o.connected)
        m_connected = *o.connected;
    m_keyPending = o.keyPending;
    if (o.key)
        m_key = *o.key;
    if (o.folder)
        m_folder = *o.folder;
    if (o.entries) {
        m_entries = *o.entries;
        m_refused = o.refused;
    }
    m_error = o.ok ? QString() : o.error;
    Q_EMIT requestDone(request, o.ok);
}

bool SftpClient::connectToHost()
{
    if (m_connected || m_keyPending)
        return refuse(QStringLiteral("Une session SFTP est déjà ouverte."));
    if (!checkArgument(m_host) || !checkArgument(m_user) || !isSafeArgument(m_password))
        return false;
    const QString host = m_host, user = m_user, password = m_password, sshFolder = m_sshFolder,
                  knownHosts = knownHostsFile();
    const int port = m_port;
    const long timeout = m_timeout;
    return post(Request::Connect, [=](Session &s, Outcome &o) {
        s.close();
        o.connected = false;
        s.ssh = ssh_new();
        if (!s.ssh) {
            o.error = SshTexts::connectFailure(host, port, QStringLiteral("mémoire insuffisante"));
            return;
        }
        // The user's own config first (aliases, keys), then what the window
        // says, which wins.
        ssh_options_set(s.ssh, SSH_OPTIONS_HOST, host.toUtf8().constData());
        if (!sshFolder.isEmpty())
            ssh_options_set(s.ssh, SSH_OPTIONS_SSH_DIR, QFile::encodeName(sshFolder).constData());
        ssh_options_parse_config(s.ssh, nullptr);
        const unsigned int portNumber = unsigned(port);
        ssh_options_set(s.ssh, SSH_OPTIONS_PORT, &portNumber);
        ssh_options_set(s.ssh, SSH_OPTIONS_USER, user.toUtf8().constData());
        ssh_options_set(s.ssh, SSH_OPTIONS_TIMEOUT, &timeout);
        ssh_options_set(s.ssh, SSH_OPTIONS_KNOWNHOSTS, QFile::encodeName(knownHosts).constData());
        if (ssh_connect(s.ssh) != SSH_OK) {
            o.error = SshTexts::connectFailure(host, port, lastWords(s.ssh));
            s.close();
            return;
        }
        ssh_key key = nullptr;
        if (ssh_get_server_publickey(s.ssh, &key) != SSH_OK || !key) {
            o.error = SshTexts::connectFailure(host, port, QStringLiteral("le serveur n'a présenté aucune clé d'hôte"));
            s.close();
            return;
        }
        HostKey hostKey;
        hostKey.type = QString::fromLatin1(ssh_key_type_to_char(ssh_key_type(key)));
        unsigned char *hash = nullptr;
        size_t length = 0;
        if (ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &length) == 0) {
            hostKey.fingerprint =
                SshTexts::fingerprint(QByteArray(reinterpret_cast<const char *>(hash), qsizetype(length)));
            ssh_clean_pubkey_hash(&hash);
        }
        ssh_key_free(key);
        switch (ssh_session_is_known_server(s.ssh)) {
        case SSH_KNOWN_HOSTS_OK:
            hostKey.state = SshTexts::KeyState::Known;
            o.key = hostKey;
            o.log << QStringLiteral("Clé d'hôte connue (%1, %2)").arg(hostKey.type, hostKey.fingerprint);
            logIn(s, o, host, user, password);
            return;
        case SSH_KNOWN_HOSTS_CHANGED:
            hostKey.state = SshTexts::KeyState::Changed;
            break;
        case SSH_KNOWN_HOSTS_OTHER:
            hostKey.state = SshTexts::KeyState::OtherType;
            break;
        case SSH_KNOWN_HOSTS_NOT_FOUND:
        case SSH_KNOWN_HOSTS_UNKNOWN:
            hostKey.state = SshTexts::KeyState::Unknown;
            break;
        case SSH_KNOWN_HOSTS_ERROR:
        default:
            o.error = SshTexts::connectFailure(host, port, QStringLiteral("lecture de ") + quoted(knownHosts)
                                                               + QStringLiteral(" impossible : ") + lastWords(s.ssh));
            s.close();
            return;
        }
        // The session waits, logged in to nothing, for the user's answer.
        o.ok = true;
        o.keyPending = true;
        o.key = hostKey;
        o.log << QStringLiteral("Clé d'hôte à confirmer (%1, %2)").arg(hostKey.type, hostKey.fingerprint);
    });
}

bool SftpClient::answerHostKey(bool accept)
{
    if (!m_keyPending)
        return refuse(QStringLiteral("Aucune clé d'hôte n'attend de réponse."));
    const QString host = m_host, user = m_user, password = m_password, knownHosts = knownHostsFile();
    const QString pattern = m_port == 22 ? m_host : QStringLiteral("[%1]:%2").arg(m_host).arg(m_port);
    const bool replace = m_key.state != SshTexts::KeyState::Unknown;
    return post(Request::AcceptHostKey, [=](Session &s, Outcome &o) {
        if (!accept) {
            s.close();
            o.connected = false;
            o.error = QStringLiteral("Clé d'hôte refusée : connexion abandonnée.");
            return;
        }
        if (replace) {
            // The old key goes, or the next connection would ask again.
            QFile file(knownHosts);
            if (file.open(QIODevice::ReadOnly)) {
                const QByteArray before = file.readAll();
                file.close();
                const QByteArray after = withoutHost(before, pattern);
                QSaveFile out(knownHosts);
                if (after != before
                    && !(out.open(QIODevice::WriteOnly) && out.write(after) == after.size() && out.commit()))
                    o.log << QStringLiteral("! L'ancienne clé n'a pas pu être retirée de ") + quoted(knownHosts);
            }
        }
        QDir().mkpath(QFileInfo(knownHosts).absolutePath());
        if (ssh_session_update_known_hosts(s.ssh) != SSH_OK)
            o.log << QStringLiteral("! La clé n'a pas pu être enregistrée dans ") + quoted(knownHosts)
                         + QStringLiteral(" : ") + lastWords(s.ssh);
        else
            o.log << QStringLiteral("Clé d'hôte enregistrée dans ") + quoted(knownHosts);
        logIn(s, o, host, user, password);
    });
}

bool SftpClient::list()
{
    if (!m_connected)
        return refuse(QStringLiteral("Aucune session SFTP n'est ouverte."));
    return post(Request::List, [](Session &s, Outcome &o) {
        sftp_dir dir = sftp_opendir(s.sftp, s.folder.toUtf8().constData());
        if (!dir) {
            o.error = fileError(s, QStringLiteral("Impossible de lire le dossier ") + quoted(s.folder));
            checkSession(s, o);
            return;
        }
        QList<Entry> entries;
        QStringList refused;
        while (sftp_attributes a = sftp_readdir(s.sftp, dir)) {
            const QByteArray raw(a->name ? a->name : "");
            const QString name = QString::fromUtf8(raw);
            if (raw == "." || raw == "..") {
                // Not entries: the window offers its own way up.
            } else if (name.toUtf8() != raw || !isSafeName(name)) {
                refused << visible(name);
            } else if (entries.size() < FtpListing::MaxRemoteNames) {
                Entry e;
                e.name = name;
                e.folder = a->type == SSH_FILEXFER_TYPE_DIRECTORY;
                e.size = qint64(a->size);
                e.modified = QDateTime::fromSecsSinceEpoch(qint64(a->mtime));
                if (a->type == SSH_FILEXFER_TYPE_SYMLINK) {
                    if (sftp_attributes target = sftp_stat(s.sftp, join(s.folder, name).toUtf8().constData())) {
                        e.folder = target->type == SSH_FILEXFER_TYPE_DIRECTORY;
                        e.size = qint64(target->size);
                        sftp_attributes_free(target);
                    }
                }
                entries << e;
            }
            sftp_attributes_free(a);
        }
        const bool complete = sftp_dir_eof(dir);
        sftp_closedir(dir);
        if (!complete) {
            o.error = fileError(s, QStringLiteral("Lecture du dossier ") + quoted(s.folder) + QStringLiteral(" interrompue"));
            checkSession(s, o);
            return;
        }
        std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
            return QString::compare(a.name, b.name, Qt::CaseInsensitive) < 0;
        });
        o.log << QStringLiteral("Dossier %1 : %2 entrée(s)").arg(quoted(s.folder)).arg(entries.size());
        for (const QString &name : std::as_const(refused))
            o.log << QStringLiteral("! Nom du serveur écarté, il ne peut être ni montré ni renvoyé : ") + quoted(name);
        o.ok = true;
        o.entries = entries;
        o.refused = refused;
    });
}

bool SftpClient::changeFolder(const QString &name)
{
    if (!m_connected)
        return refuse(QStringLiteral("Aucune session SFTP n'est ouverte."));
    if (!checkArgument(name))
        return false;
    return post(Request::ChangeFolder, [name](Session &s, Outcome &o) {
        const QString what = QStringLiteral("Impossible d'ouvrir le dossier ") + quoted(name);
        char *canonical = sftp_canonicalize_path(s.sftp, join(s.folder, name).toUtf8().constData());
        if (!canonical) {
            o.error = fileError(s, what);
            checkSession(s, o);
            return;
        }
        const QByteArray path(canonical);
        ssh_string_free_char(canonical);
        sftp_attributes a = sftp_stat(s.sftp, path.constData());
        if (!a) {
            o.error = fileError(s, what);
            checkSession(s, o);
            return;
        }
        const bool folder = a->type == SSH_FILEXFER_TYPE_DIRECTORY;
        sftp_attributes_free(a);
        if (!folder) {
            o.error = what + QStringLiteral(" : ce n'est pas un dossier");
            return;
        }
        s.folder = QString::fromUtf8(path);
        o.folder = s.folder;
        o.ok = true;
        o.log << QStringLiteral("Dossier courant : ") + quoted(s.folder);
    });
}

bool SftpClient::makeFolder(const QString &name)
{
    if (!m_connected)
        return refuse(QStringLiteral("Aucune session SFTP n'est ouverte."));
    if (!checkArgument(name))
        return false;
    return post(Request::MakeFolder, [name](Session &s, Outcome &o) {
        if (sftp_mkdir(s.sftp, join(s.folder, name).toUtf8().constData(), 0755) != 0) {
            o.error = fileError(s, QStringLiteral("Impossible de créer le dossier ") + quoted(name));
            checkSession(s, o);
            return;
        }
        o.ok = true;
        o.log << QStringLiteral("Dossier créé : ") + quoted(name);
    });
}

bool SftpClient::removeFile(const QString &name)
{
    if (!m_connected)
        return refuse(QStringLiteral("Aucune session SFTP n'est ouverte."));
    if (!checkArgument(name))
        return false;
    return post(Request::RemoveFile, [name](Session &s, Outcome &o) {
        if (sftp_unlink(s.sftp, join(s.folder, name).toUtf8().constData()) != 0) {
            o.error = fileError(s, QStringLiteral("Impossible d'effacer le fichier ") + quoted(name));
            checkSession(s, o);
            return;
        }
        o.ok = true;
        o.log << QStringLiteral("Fichier effacé : ") + quoted(name);
    });
}

bool SftpClient::removeFolder(const QString &name)
{
    if (!m_connected)
        return refuse(QStringLiteral("Aucune session SFTP n'est ouverte."));
    if (!checkArgument(name))
        return false;
    return post(Request::RemoveFolder, [name](Session &s, Outcome &o) {
        if (sftp_rmdir(s.sftp, join(s.folder, name).toUtf8().constData()) != 0) {
            o.error = fileError(s, QStringLiteral("Impossible d'effacer le dossier ") + quoted(name));
            checkSession(s, o);
            return;
        }
        o.ok = true;
        o.log << QStringLiteral("Dossier effacé : ") + quoted(name);
    });
}

bool SftpClient::upload(const QString &localPath, const QString &remoteName)
{
    if (!m_connected)
        return refuse(QStringLiteral("Aucune session SFTP n'est ouverte."));
    if (!checkArgument(remoteName) || !checkArgument(localPath))
        return false;
    return post(Request::Upload, [this, localPath, remoteName](Session &s, Outcome &o) {
        QFile file(localPath);
        if (!file.open(QIODevice::ReadOnly)) {
            o.error = QStringLiteral("Impossible de lire le fichier local ") + quoted(localPath) + QStringLiteral(" : ")
                      + file.errorString();
            return;
        }
        const qint64 total = file.size();
        const QByteArray target = join(s.folder, remoteName).toUtf8();
        const QByteArray part = join(s.folder, u'.' + remoteName + QStringLiteral(".pemo-envoi")).toUtf8();
        const QString what = QStringLiteral("Impossible d'envoyer ") + quoted(remoteName);
        // A file replaced keeps its permissions.
        mode_t mode = 0644;
        bool keepMode = false;
        if (sftp_attributes a = sftp_stat(s.sftp, target.constData())) {
            const bool folder = a->type == SSH_FILEXFER_TYPE_DIRECTORY;
            if (!folder && (a->flags & SSH_FILEXFER_ATTR_PERMISSIONS)) {
                mode = mode_t(a->permissions & 07777);
                keepMode = true;
            }
            sftp_attributes_free(a);
            if (folder) {
                o.error = what + QStringLiteral(" : un dossier porte ce nom sur le serveur");
                return;
            }
        }
        sftp_file out = sftp_open(s.sftp, part.constData(), O_WRONLY | O_CREAT | O_TRUNC, mode);
        if (!out) {
            o.error = fileError(s, what);
            checkSession(s, o);
            return;
        }
        std::vector<char> buffer(static_cast<size_t>(UploadBlock));
        qint64 sent = 0;
        bool stopped = false;
        QElapsedTimer told;
        told.start();
        while (o.error.isEmpty()) {
            if (m_cancel) {
                stopped = true;
                break;
            }
            const qint64 n = file.read(buffer.data(), UploadBlock);
            if (n < 0) {
                o.error = what + QStringLiteral(" : lecture du fichier local impossible (") + file.errorString() + u')';
                break;
            }
            if (n == 0)
                break;
            for (qint64 offset = 0; offset < n;) {
                const ssize_t written = sftp_write(out, buffer.data() + offset, size_t(n - offset));
                if (written <= 0) {
                    o.error = fileError(s, what);
                    break;
                }
                offset += written;
            }
            sent += n;
            if (told.elapsed() >= 50 || sent == total) {
                told.restart();
                QMetaObject::invokeMethod(this, [this, sent, total] { Q_EMIT progress(sent, total); },
                                          Qt::QueuedConnection);
            }
        }
        if (sftp_close(out) != SSH_OK && o.error.isEmpty() && !stopped)
            o.error = fileError(s, what);
        if (!o.error.isEmpty() || stopped) {
            sftp_unlink(s.sftp, part.constData());
            if (stopped)
                o.error = QStringLiteral("Envoi de ") + quoted(remoteName)
                          + QStringLiteral(" arrêté : le serveur garde son ancienne copie, s'il en avait une.");
            checkSession(s, o);
            return;
        }
        if (keepMode)
            sftp_chmod(s.sftp, part.constData(), mode);
        if (sftp_rename(s.sftp, part.constData(), target.constData()) != 0) {
            // Servers that will not rename over an existing file.
            if (sftp_unlink(s.sftp, target.constData()) != 0
                || sftp_rename(s.sftp, part.constData(), target.constData()) != 0) {
                o.error = fileError(s, QStringLiteral("Le fichier ") + quoted(remoteName)
                                           + QStringLiteral(" est arrivé sous le nom ")
                                           + quoted(QString::fromUtf8(part.mid(part.lastIndexOf('/') + 1)))
                                           + QStringLiteral(" mais n'a pas pu prendre le sien"));
                checkSession(s, o);
                return;
            }
        }
        o.ok = true;
        o.log << QStringLiteral("Envoyé : %1 (%2 octets)").arg(quoted(remoteName)).arg(sent);
    });
}

bool SftpClient::download(const QString &remoteName, const QString &localPath)
{
    if (!m_connected)
        return refuse(QStringLiteral("Aucune session SFTP n'est ouverte."));
    if (!checkArgument(remoteName) || !checkArgument(localPath))
        return false;
    return post(Request::Download, [this, localPath, remoteName](Session &s, Outcome &o) {
        const QString what = QStringLiteral("Impossible de recevoir ") + quoted(remoteName);
        sftp_file in = sftp_open(s.sftp, join(s.folder, remoteName).toUtf8().constData(), O_RDONLY, 0);
        if (!in) {
            o.error = fileError(s, what);
            checkSession(s, o);
            return;
        }
        qint64 total = -1;
        if (sftp_attributes a = sftp_fstat(in)) {
            total = qint64(a->size);
            sftp_attributes_free(a);
        }
        QSaveFile out(localPath);
        if (!out.open(QIODevice::WriteOnly)) {
            sftp_close(in);
            o.error = what + QStringLiteral(" : ") + quoted(localPath) + QStringLiteral(" ne peut être écrit (")
                      + out.errorString() + u')';
            return;
        }
        std::vector<char> buffer(static_cast<size_t>(DownloadBlock));
        qint64 received = 0;
        QElapsedTimer told;
        told.start();
        for (;;) {
            if (m_cancel) {
                o.error = QStringLiteral("Réception de ") + quoted(remoteName) + QStringLiteral(" arrêtée.");
                break;
            }
            const ssize_t n = sftp_read(in, buffer.data(), buffer.size());
            if (n < 0) {
                o.error = fileError(s, what);
                break;
            }
            if (n == 0)
                break;
            if (out.write(buffer.data(), n) != n) {
                o.error = what + QStringLiteral(" : ") + out.errorString();
                break;
            }
            received += n;
            if (told.elapsed() >= 50) {
                told.restart();
                QMetaObject::invokeMethod(this, [this, received, total] { Q_EMIT progress(received, total); },
                                          Qt::QueuedConnection);
            }
        }
        sftp_close(in);
        if (!o.error.isEmpty()) {
            out.cancelWriting();
            checkSession(s, o);
            return;
        }
        if (!out.commit()) {
            o.error = what + QStringLiteral(" : ") + out.errorString();
            return;
        }
        o.ok = true;
        o.log << QStringLiteral("Reçu : %1 (%2 octets)").arg(quoted(remoteName)).arg(received);
    });
}

void SftpClient::disconnectFromHost()
{
    // No new request goes out; the one under way ends at its next block.
    const bool wasOpen = m_connected || m_keyPending;
    ++m_generation;
    m_connected = false;
    m_keyPending = false;
    m_cancel = true;
    Session *session = m_session.get();
    QMetaObject::invokeMethod(
        m_worker.get(),
        [this, session, wasOpen] {
            session->close();
            QMetaObject::invokeMethod(
                this,
                [this, wasOpen] {
                    if (wasOpen)
                        Q_EMIT display(QStringLiteral("Session SFTP fermée"));
                    Q_EMIT requestDone(Request::Disconnect, true);
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}
