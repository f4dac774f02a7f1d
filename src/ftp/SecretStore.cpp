#include "ftp/SecretStore.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <qt6keychain/keychain.h>

#include <memory>

namespace {

SecretStore::Result outcome(QKeychain::Job &job)
{
    SecretStore::Result r;
    r.reason = job.errorString();
    switch (job.error()) {
    case QKeychain::NoError: r.status = SecretStore::Status::Ok; break;
    case QKeychain::EntryNotFound: r.status = SecretStore::Status::NotFound; break;
    case QKeychain::AccessDeniedByUser:
    case QKeychain::AccessDenied: r.status = SecretStore::Status::Refused; break;
    default: r.status = SecretStore::Status::Unavailable; break;
    }
    return r;
}

// Runs the job (which deletes itself once finished) and waits for it. A
// store that never answers leaves the job to finish on its own.
template <typename Job, typename Setup>
SecretStore::Result run(const QString &service, const QString &key, int timeoutMs, Setup setup,
                        bool wantsSecret)
{
    auto *job = new Job(service);
    job->setAutoDelete(true);
    // Never the library's plain-text fallback in a settings file.
    job->setInsecureFallback(false);
    job->setKey(key);
    setup(*job);
    auto result = std::make_shared<SecretStore::Result>();
    auto finished = std::make_shared<bool>(false);
    QEventLoop loop;
    const QMetaObject::Connection done = QObject::connect(job, &QKeychain::Job::finished, &loop, [&, job] {
        *result = outcome(*job);
        if (wantsSecret && result->status == SecretStore::Status::Ok) {
            if constexpr (std::is_same_v<Job, QKeychain::ReadPasswordJob>)
                result->secret = job->textData();
        }
        *finished = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    job->start();
    if (!*finished)
        loop.exec();
    QObject::disconnect(done);
    if (!*finished) {
        result->status = SecretStore::Status::Unavailable;
        result->reason = QStringLiteral("pas de réponse du coffre");
    }
    return *result;
}

// Without a session bus the store's library would try to start one, which
// can hang where no desktop runs: the store is then simply unavailable.
bool sessionBusKnown()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

SecretStore::Result noBus()
{
    return {SecretStore::Status::Unavailable, QString(), QStringLiteral("aucune session D-Bus")};
}

} // namespace

SecretStore::SecretStore(QString service) : m_service(std::move(service)) {}

SecretStore::Result SecretStore::read(const QString &key)
{
    if (!sessionBusKnown())
        return noBus();
    return run<QKeychain::ReadPasswordJob>(m_service, key, m_timeoutMs, [](QKeychain::ReadPasswordJob &) {}, true);
}

SecretStore::Result SecretStore::write(const QString &key, const QString &secret)
{
    if (!sessionBusKnown())
        return noBus();
    return run<QKeychain::WritePasswordJob>(
        m_service, key, m_timeoutMs, [&](QKeychain::WritePasswordJob &job) { job.setTextData(secret); }, false);
}

SecretStore::Result SecretStore::remove(const QString &key)
{
    if (!sessionBusKnown())
        return noBus();
    Result r = run<QKeychain::DeletePasswordJob>(m_service, key, m_timeoutMs,
                                                 [](QKeychain::DeletePasswordJob &) {}, false);
    // Nothing to remove is what we wanted.
    if (r.status == Status::NotFound)
        r.status = Status::Ok;
    return r;
}

QString SecretStore::unavailableText()
{
    return QStringLiteral("Aucun coffre à mots de passe ne répond sur ce bureau : les mots de passe ne sont pas "
                          "enregistrés. Le mot de passe vous sera demandé à chaque connexion.");
}
