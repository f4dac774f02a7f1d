// The frame's side of crash recovery: when copies are written and removed,
// and the copies of a stopped program opened again.
#include "app/Main.h"

#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "document/Recovery.h"
#include "document/RecoveryDialog.h"
#include "page/Page.h"
#include "platform/Errors.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/TempFolders.h"

#include <QAction>
#include <QDateTime>
#include <QTextDocument>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QSessionManager>
#include <QTimer>

namespace {
// The text is left out when the caller takes its own snapshot.
Recovery::Copy copyOf(const TEditeur &e, bool withText = true)
{
    Recovery::Copy copy;
    copy.original = e.GetFichier();
    copy.title = e.windowTitle();
    if (e.fileRemoved())
        copy.title = Platform::fileNamePart(copy.original);
    copy.encoding = e.encoding();
    copy.breaks = e.breaks();
    if (withText)
        copy.text = e.page()->linesText();
    copy.caret = e.Memo1->SelStart();
    return copy;
}

Recovery::Stamp stampOf(const TEditeur &e)
{
    Recovery::Stamp stamp;
    stamp.changes = e.page()->changeCount();
    stamp.original = e.GetFichier();
    stamp.title = e.fileRemoved() ? Platform::fileNamePart(stamp.original) : e.windowTitle();
    stamp.encoding = e.encoding();
    stamp.breaks = e.breaks();
    return stamp;
}

int intervalMs()
{
    // Every minute; the environment may ask for more often (automated checks).
    bool ok = false;
    const int asked = qEnvironmentVariableIntValue("PEMO_RECOVERY_INTERVAL", &ok);
    return ok && asked > 0 ? asked : 60 * 1000;
}
} // namespace

void TMainForm::setupRecovery()
{
    m_recovery = std::make_unique<Recovery::Session>();
    if (!m_recovery->active())
        setStatusText(QStringLiteral("Les copies de récupération ne peuvent pas être écrites dans %1.")
                          .arg(m_recovery->folder()));
    m_recoveryTimer = new QTimer(this);
    m_recoveryTimer->setObjectName(QStringLiteral("RecoveryTimer"));
    m_recoveryTimer->setInterval(intervalMs());
    connect(m_recoveryTimer, &QTimer::timeout, this, [this] { saveRecoveryCopies(false); });
    m_recoveryTimer->start();
    // A desktop session that ends may not let the program ask its
    // questions: what is not saved is copied first.
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) { saveRecoveryCopies(); });
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, [this] { saveRecoveryCopies(); });
}

void TMainForm::trackForRecovery(TEditeur *editeur, QMdiSubWindow *sub)
{
    const int id = ++m_nextRecoveryId;
    m_recoveryIds.insert(editeur, id);
    // Written to its file: the copy has nothing more to keep.
    connect(editeur, &TEditeur::fileUsed, this, [this, id] { m_recovery->remove(id); });
    // Closed, saved or given up by choice. Not when the frame itself is torn
    // down: that disconnects first, and pages left unsaved keep their copy.
    connect(sub, &QObject::destroyed, this, [this, editeur, id] {
        m_recoveryIds.remove(editeur);
        m_recoveryPostponed.remove(editeur);
        m_recovery->remove(id);
    });
}

bool TMainForm::postponeRecoveryCopy(const TEditeur &e)
{
    // Taking a big page's text holds the window a tenth of a second at
    // 50 MB: between two keys that is a stall one feels. Its copy waits for
    // a pause in the typing, a little at a time, half a minute at most.
    constexpr int BigPage = 4 * 1024 * 1024; // characters
    constexpr qint64 Pause = 1500, Longest = 30 * 1000;
    const TPage *page = e.page();
    if (page->document()->characterCount() < BigPage || page->sinceLastChange() >= Pause)
        return false;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 since = m_recoveryPostponed.value(&e, now);
    if (now - since >= Longest)
        return false;
    m_recoveryPostponed.insert(&e, since);
    if (!m_recoveryRetry) {
        m_recoveryRetry = true;
        QTimer::singleShot(int(Pause), this, [this] {
            m_recoveryRetry = false;
            saveRecoveryCopies(false);
        });
    }
    return true;
}

void TMainForm::saveRecoveryCopies(bool wait)
{
    if (m_destroying || !m_recovery)
        return;
    const auto tellFailure = [this] {
        if (const QString failure = m_recovery->takeFailure(); !failure.isEmpty()) {
            // Said once on the status line, not every minute in a box.
            if (!m_recoveryFailed)
                setStatusText(failure.section(u'\n', 0, 0));
            m_recoveryFailed = true;
        }
    };
    tellFailure();
    for (TEditeur *e : editeurs()) {
        const int id = m_recoveryIds.value(e);
        if (id == 0)
            continue;
        if (!e->Memo1->Modified()) {
            m_recoveryPostponed.remove(e);
            m_recovery->remove(id);
            continue;
        }
        const Recovery::Stamp stamp = stampOf(*e);
        if (m_recovery->upToDate(id, stamp))
            continue;
        if (!wait && postponeRecoveryCopy(*e))
            continue;
        m_recoveryPostponed.remove(e);
        // One copy of the text here; the rest on the session's thread.
        Recovery::Copy copy = copyOf(*e, false);
        copy.text = e->page()->snapshot();
        m_recovery->saveInBackground(id, std::move(copy), stamp);
    }
    if (wait) {
        // The session ends, or someone waits for the copies.
        m_recovery->wait();
        tellFailure();
    }
}

void TMainForm::offerRecovery()
{
    // A program that stopped short left its private temporary folders
    // (the preview's copy of a page among them): they go now.
    Platform::removeLeftTempFolders();
    const QList<Recovery::Entry> entries = m_recovery->leftBehind();
    if (entries.isEmpty())
        return;
    TRecoveryDialog dialog(entries, [this](const Recovery::Entry &entry) { return openRecoveredCopy(entry); }, this);
    dialog.exec();
}

bool TMainForm::openRecoveredCopy(const Recovery::Entry &entry)
{
    Recovery::Copy copy;
    try {
        copy = Recovery::load(entry);
    } catch (const Platform::PemoError &error) {
        Platform::error(this, error.message());
        return false;
    }
    const QString caption = copy.original.isEmpty() ? copy.title : Platform::fileNamePart(copy.original);
    TEditeur *e = NewDocumentWindow(caption.isEmpty() ? QStringLiteral("sans nom") : caption);
    e->RestoreCopy(copy);
    e->Actauto(action(QStringLiteral("Actualiserautomatiquement1"))->isChecked());
    // Kept under this program's own session before the old copy goes, so
    // that a second crash still finds it.
    try {
        m_recovery->save(m_recoveryIds.value(e), copyOf(*e));
        Recovery::discard(entry);
    } catch (const Platform::PemoError &error) {
        Platform::error(this, error.message());
    }
    return true;
}
