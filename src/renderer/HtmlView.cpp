#include "HtmlView.h"

#include "platform/CommonDialogs.h"
#include "platform/Launcher.h"
#include "platform/Messages.h"
#include "platform/TempFolders.h"
#include "renderer/BodySwap.h"
#include "renderer/LinkName.h"
#include "renderer/PreviewScripts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QOpenGLWidget>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrlQuery>
#include <QVBoxLayout>
#include <QWebChannel>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <unistd.h>

namespace {

// The engine refuses inline pages whose data address passes 2 MB.
constexpr qsizetype inlineLimit = 2 * 1024 * 1024 - 64;

const QString positionScriptName = QStringLiteral("pemo-position");

// A load that kept the engine busy longer than this makes the next
// automatic one wait as long, so that the engine works half the time at most
// on a page that runs scripts at every rebuild.
constexpr qint64 restAfter = 250;

QString readResource(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Writes the page as UTF-8 after a byte-order mark, a piece at a time, so
// that no second whole copy of a big page is made.
bool writeUtf8(const QString &path, const QString &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write("\xEF\xBB\xBF") != 3)
        return false;
    constexpr qsizetype piece = 256 * 1024;
    qsizetype at = 0;
    while (at < text.size()) {
        qsizetype n = qMin(piece, text.size() - at);
        if (at + n < text.size() && text.at(at + n - 1).isHighSurrogate())
            --n;
        if (file.write(QStringView(text).mid(at, n).toUtf8()) < 0)
            return false;
        at += n;
    }
    return file.flush();
}

QString megabytes(qsizetype characters)
{
    return QLocale(QLocale::French).toString(double(characters) / (1024.0 * 1024.0), 'f', 1);
}

} // namespace

// What the worker made of a page: how the engine is to be given it, and what
// the view keeps of it.
struct THtmlView::Prepared {
    enum Kind { Swap, File, Inline, Failed };
    int id = 0;
    Kind kind = Failed;
    QString content;  // the new body (Swap) or the whole page (Inline)
    QString path;     // File
    QString head;     // see m_shownHead
    bool isStatic = false;
};

namespace {

struct Job {
    int id = 0;
    QString text;
    std::function<void(QString &)> prepare;
    QString baseTag;
    bool canSwap = false;
    QString shownHead;
    bool shownStatic = false;
    QString path;
};

void prepareJob(Job &job, THtmlView::Prepared &out)
{
    QString text = std::move(job.text);
    if (job.prepare)
        job.prepare(text);
    // The <base> keeps relative names resolving against the page's folder
    // (unless the page sets its own).
    if (!text.contains(QLatin1String("<base"), Qt::CaseInsensitive))
        text.insert(PageText::baseInsertion(text), job.baseTag);
    out.id = job.id;
    const qsizetype start = BodySwap::bodyContentStart(text);
    out.head = start < 0 ? QString() : text.left(start);
    out.isStatic = BodySwap::isStatic(text);
    // A page that runs nothing and changed only inside its body is shown by
    // replacing the body's content: the engine builds the same page as a
    // full load would, without reading and laying out a new document.
    if (job.canSwap) {
        if (std::optional<QString> body = BodySwap::newBody(job.shownHead, job.shownStatic, text)) {
            out.kind = THtmlView::Prepared::Swap;
            out.content = std::move(*body);
            return;
        }
    }
    // The page goes to the engine as a private file: an inline page travels
    // as a data address, several times slower to load and refused past 2 MB.
    // The byte-order mark makes the engine read UTF-8 whatever the page's
    // meta tags say.
    if (!job.path.isEmpty() && writeUtf8(job.path, text)) {
        out.kind = THtmlView::Prepared::File;
        out.path = job.path;
        return;
    }
    if (PageText::dataUrlSize(text.toUtf8()) <= inlineLimit) {
        out.kind = THtmlView::Prepared::Inline;
        out.content = std::move(text);
        return;
    }
    out.kind = THtmlView::Prepared::Failed;
}

} // namespace

// What the page's scripts tell the preview, through the web channel. Every
// report is passed on from the event loop, never from inside the channel's
// own message handling, since a handler may rebuild the page or open a
// modal window.
class PreviewBridge : public QObject
{
    Q_OBJECT
public:
    explicit PreviewBridge(THtmlView *view) : QObject(view), m_view(view) {}

    Q_INVOKABLE void hover(const QString &raw, const QString &resolved)
    {
        QTimer::singleShot(0, m_view, [v = m_view, raw, resolved] { v->reportHover(raw, resolved); });
    }
    Q_INVOKABLE void click(const QString &raw, const QString &resolved)
    {
        QTimer::singleShot(0, m_view, [v = m_view, raw, resolved] { v->reportClick(raw, resolved); });
    }
    Q_INVOKABLE void submit(const QString &action, const QString &target, const QString &encType,
                            const QString &method, const QVariantList &entries)
    {
        QStringList list;
        for (const QVariant &e : entries)
            list << e.toString();
        QTimer::singleShot(0, m_view, [=, v = m_view] { v->reportSubmit(action, target, encType, method, list); });
    }

private:
    THtmlView *m_view;
};

class PreviewPage : public QWebEnginePage
{
public:
    PreviewPage(THtmlView *view, QWebEngineProfile *profile) : QWebEnginePage(profile, view), m_view(view) {}

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override
    {
        if (!isMainFrame)
            return true;
        switch (type) {
        case NavigationTypeTyped:
        case NavigationTypeReload:
            // The preview's own loads.
            return true;
        case NavigationTypeBackForward:
            return false;
        case NavigationTypeFormSubmitted: {
            // A submission the page's scripts kept from the submit listener:
            // report what the address carries and send nothing.
            QStringList entries;
            const QUrlQuery query(url);
            for (const auto &item : query.queryItems(QUrl::FullyDecoded))
                entries << item.first + u'=' + item.second;
            QUrl action = url;
            action.setQuery(QString());
            const QString method = query.isEmpty() ? QStringLiteral("post") : QStringLiteral("get");
            QTimer::singleShot(0, m_view, [v = m_view, a = action.toString(), method, entries] {
                v->reportSubmit(a, QString(), QStringLiteral("application/x-www-form-urlencoded"), method, entries);
            });
            return false;
        }
        default:
            // A script going to an anchor of the shown page: with the page's
            // <base> the address names the current directory instead.
            if (m_view->m_showingSource && url.hasFragment()
                && url.adjusted(QUrl::RemoveFragment) == m_view->m_pendingBase) {
                QTimer::singleShot(0, m_view, [v = m_view, a = url.fragment(QUrl::FullyEncoded)] {
                    v->followLink(u'#' + a);
                });
                return false;
            }
            // The page's own scripts going elsewhere: a local page may be
            // shown until the next rebuild; the preview never goes out to
            // the network by itself.
            if (url.isLocalFile() || url.scheme() == QLatin1String("data") || url.scheme() == QLatin1String("about")) {
                m_view->m_showingSource = false;
                m_view->m_shownBuilt = false;
                return true;
            }
            return false;
        }
    }

    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int, const QString &) override
    {
        // The page's own console output is of no use to the user here.
    }

    // The page is rebuilt at every pause in the typing: a page that greets
    // or questions its visitor is answered by the user once, and the same
    // box is answered alike, without showing it, at the rebuilds after.
    void javaScriptAlert(const QUrl &, const QString &message) override
    {
        if (known(u'a', message))
            return;
        Platform::showMessage(m_view, Platform::MessageKind::Information, message);
        m_answers.insert(key(u'a', message), QVariant());
    }

    bool javaScriptConfirm(const QUrl &, const QString &message) override
    {
        if (const auto answer = known(u'c', message))
            return answer->toBool();
        const bool ok = Platform::confirm(m_view, message, Platform::Buttons::OkCancel) == Platform::Answer::Ok;
        m_answers.insert(key(u'c', message), ok);
        return ok;
    }

    bool javaScriptPrompt(const QUrl &, const QString &message, const QString &initial, QString *result) override
    {
        std::optional<QString> text;
        if (const auto answer = known(u'p', message + u'\n' + initial)) {
            if (answer->isValid())
                text = answer->toString();
        } else {
            text = CommonDialogs::askText(m_view, QStringLiteral("Question de la page"), message, initial);
            // A cancelled box is remembered as an invalid answer.
            m_answers.insert(key(u'p', message + u'\n' + initial), text ? QVariant(*text) : QVariant());
        }
        if (!text)
            return false;
        *result = *text;
        return true;
    }

private:
    static QString key(QChar kind, const QString &text) { return kind + text; }
    std::optional<QVariant> known(QChar kind, const QString &text) const
    {
        const auto it = m_answers.constFind(key(kind, text));
        if (it == m_answers.constEnd())
            return std::nullopt;
        return *it;
    }

    THtmlView *m_view;
    QHash<QString, QVariant> m_answers; // page boxes already answered, for the life of the view
};

QWebEngineProfile *THtmlView::sharedProfile()
{
    static QPointer<QWebEngineProfile> profile;
    if (profile)
        return profile;
    // The script heap of a page is bounded: a page's script gone wild stops
    // the page's renderer (which the view then reports) before it takes the
    // machine's memory. Read when the engine starts, with the first profile.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    // The engine will not start its sandbox for root, and its refusal ends
    // the whole program: run by root, it goes without one.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (!flags.contains("--js-flags")) {
        flags += " --js-flags=--max-old-space-size=768";
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
    }
    // Off the record: previews keep nothing on disk between sessions.
    profile = new QWebEngineProfile(qApp);
    QWebEngineSettings *s = profile->settings();
    s->setFontFamily(QWebEngineSettings::StandardFont, QStringLiteral("Times New Roman"));
    s->setFontFamily(QWebEngineSettings::SerifFont, QStringLiteral("Times New Roman"));
    s->setFontFamily(QWebEngineSettings::FixedFont, QStringLiteral("Courier New"));
    // Pages on disk are Windows-1252 unless they say otherwise.
    s->setDefaultTextEncoding(QStringLiteral("windows-1252"));
    s->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);

    QWebEngineScript hooks;
    hooks.setName(QStringLiteral("pemo-hooks"));
    hooks.setInjectionPoint(QWebEngineScript::DocumentCreation);
    hooks.setWorldId(QWebEngineScript::ApplicationWorld);
    hooks.setRunsOnSubFrames(false);
    hooks.setSourceCode(readResource(QStringLiteral(":/qtwebchannel/qwebchannel.js")) + PreviewScripts::hooks());
    profile->scripts()->insert(hooks);

    QWebEngineScript dialogs;
    dialogs.setName(QStringLiteral("pemo-dialog-guard"));
    dialogs.setInjectionPoint(QWebEngineScript::DocumentCreation);
    dialogs.setWorldId(QWebEngineScript::MainWorld);
    dialogs.setRunsOnSubFrames(true);
    dialogs.setSourceCode(PreviewScripts::dialogGuard());
    profile->scripts()->insert(dialogs);

    QWebEngineScript submit;
    submit.setName(QStringLiteral("pemo-scripted-submit"));
    submit.setInjectionPoint(QWebEngineScript::DocumentCreation);
    submit.setWorldId(QWebEngineScript::MainWorld);
    submit.setRunsOnSubFrames(false);
    submit.setSourceCode(PreviewScripts::scriptedSubmit());
    profile->scripts()->insert(submit);
    return profile;
}

THtmlView::THtmlView(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("HtmlView1"));
    setAccessibleName(QStringLiteral("Aperçu de la page"));
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    auto *layout = new QVBoxLayout(this);
    // One pixel all round for the border drawn while the pane has the focus.
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    connect(qApp, &QApplication::focusChanged, this, [this] { update(); });

    m_worker.setMaxThreadCount(1);
}

THtmlView::~THtmlView()
{
    // Script callbacks may run while the page goes; they must find no view.
    m_dying = true;
    // A page being written goes into the private folder removed with us.
    m_worker.waitForDone();
    delete m_view;
    delete m_page;
}

void THtmlView::ensureEngine()
{
    if (m_view)
        return;
    m_page = new PreviewPage(this, sharedProfile());
    m_page->setBackgroundColor(Qt::white);
    m_channel = new QWebChannel(m_page);
    m_bridge = new PreviewBridge(this);
    m_channel->registerObject(QStringLiteral("pemo"), m_bridge);
    m_page->setWebChannel(m_channel, QWebEngineScript::ApplicationWorld);
    connect(m_page, &QWebEnginePage::loadingChanged, this, &THtmlView::pageLoadingChanged);
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int code) {
                engineTerminated(int(status), code);
            });
    connect(m_page, &QWebEnginePage::scrollPositionChanged, this, [this](const QPointF &p) {
        if (!m_loading)
            m_knownPosition = qRound(p.y());
    });

    m_view = new QWebEngineView(this);
    m_view->setObjectName(QStringLiteral("HtmlView1Engine"));
    m_view->setAccessibleName(accessibleName());
    m_view->setPage(m_page);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        QMenu menu(this);
        QAction *copy = m_page->action(QWebEnginePage::Copy);
        copy->setText(QStringLiteral("&Copier"));
        QAction *all = m_page->action(QWebEnginePage::SelectAll);
        all->setText(QStringLiteral("&Tout sélectionner"));
        menu.addAction(copy);
        menu.addAction(all);
        menu.exec(m_view->mapToGlobal(at));
    });
    setFocusProxy(m_view);
    layout()->addWidget(m_view);
    if (m_notice)
        m_notice->raise();
}

QUrl THtmlView::url() const { return m_page ? m_page->url() : QUrl(); }

void THtmlView::LoadFromLines(const QStringList &lines)
{
    m_requestHtml = PageText::join(lines);
    request(false, false);
}

void THtmlView::refresh(bool asked)
{
    m_requestHtml.clear();
    request(true, asked);
}

qsizetype THtmlView::requestSize() const
{
    if (!m_fromSource)
        return m_requestHtml.size();
    return m_source.size ? m_source.size() : 0;
}

void THtmlView::request(bool fromSource, bool asked)
{
    m_fromSource = fromSource && m_source.take;
    QString folder = folderPath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    m_pendingBase = QUrl::fromLocalFile(folder);
    m_followQueue.clear();
    if (!asked && requestSize() > onDemandLimit) {
        // What is shown stays; a load under way ends with its own page.
        m_updateAgain = false;
        m_loadQueued = false;
        if (!m_inFlight) {
            m_loading = false;
            m_pendingPosition = -1;
        }
        showNotice(QStringLiteral("Cette page fait %1 Mo : au-delà de %2 Mo, l'aperçu n'est construit qu'à la demande, "
                                  "pour que la saisie reste fluide.")
                       .arg(megabytes(requestSize()), megabytes(onDemandLimit)),
                   QStringLiteral("&Afficher quand même"));
        Q_EMIT deferred();
        return;
    }
    m_pendingPosition = -1;
    m_showingSource = true;
    m_loading = true;
    // A load under way is left to end, so that its page replaces the one
    // shown in one step; the newest text follows it.
    if (m_inFlight) {
        m_updateAgain = true;
        return;
    }
    // The engine gets the page once the current event is over: the caller
    // may still write the position it wants, and a burst of rebuilds in one
    // event costs one load. After a long load the engine rests first.
    qint64 wait = 0;
    if (!asked && m_lastLoadCost > restAfter && m_sinceLoadEnd.isValid())
        wait = qMax<qint64>(0, m_lastLoadCost - m_sinceLoadEnd.elapsed());
    if (!m_loadQueued || wait == 0) {
        m_loadQueued = true;
        QTimer::singleShot(int(wait), this, &THtmlView::startLoad);
    }
}

QString THtmlView::folderPath() const
{
    return QDir(m_folder.isEmpty() ? QDir::currentPath() : m_folder).absolutePath();
}

void THtmlView::startLoad()
{
    if (!m_loadQueued)
        return;
    m_loadQueued = false;
    beginLoad();
}

void THtmlView::beginLoad()
{
    ensureEngine();
    hideNotice();
    m_inFlight = true;
    m_loadClock.start();
    auto job = std::make_shared<Job>();
    job->id = ++m_loadId;
    if (m_fromSource) {
        job->text = m_source.take();
        job->prepare = m_source.prepare;
    } else {
        job->text = m_requestHtml;
    }
    job->baseTag = PageText::baseTag(m_pendingBase.toString(QUrl::FullyEncoded));
    job->canSwap = m_shownBuilt && !m_pageFile.isEmpty() && m_page->url() == m_pageFile;
    job->shownHead = m_shownHead;
    job->shownStatic = m_shownStatic;
    if (!m_pageDir) {
        m_pageDir = std::make_unique<QTemporaryDir>(Platform::privateTempTemplate());
        if (!m_pageDir->isValid())
            m_pageDir.reset();
    }
    if (m_pageDir) {
        // Two names in turn: loading the address already shown would count
        // as a reload, and the engine would put back the old scroll place.
        m_pageFileTurn = !m_pageFileTurn;
        job->path = m_pageDir->filePath(m_pageFileTurn ? QStringLiteral("apercu1.htm") : QStringLiteral("apercu2.htm"));
    }
    // The text is joined, given its <base>, compared with the page shown,
    // encoded and written on the worker; the engine gets it from the event
    // loop when that is done. The view is looked for only on this thread.
    QPointer<THtmlView> self(this);
    m_worker.start([job, self]() mutable {
        auto out = std::make_shared<Prepared>();
        prepareJob(*job, *out);
        QMetaObject::invokeMethod(
            qApp, [self = std::move(self), out] {
                if (self && !self->m_dying)
                    self->prepared(out);
            },
            Qt::QueuedConnection);
    });
}

void THtmlView::prepared(const std::shared_ptr<Prepared> &result)
{
    if (result->id != m_loadId || !m_inFlight)
        return;
    switch (result->kind) {
    case Prepared::Swap:
        m_shownHead = result->head;
        m_shownStatic = result->isStatic;
        ++m_loadsStarted;
        swapBody(result->content, result->id);
        return;
    case Prepared::File:
    case Prepared::Inline:
        m_shownHead = result->head;
        m_shownStatic = result->isStatic;
        navigateTo(result->path, result->content);
        return;
    case Prepared::Failed:
        break;
    }
    m_shownBuilt = false;
    Platform::error(this, QStringLiteral("Impossible d'afficher la page : le fichier temporaire de l'aperçu "
                                         "ne peut pas être écrit."));
    m_inFlight = false;
    finishLoad(false);
}

void THtmlView::navigateTo(const QString &path, const QString &inlineHtml)
{
    m_shownBuilt = true;
    ++m_loadsStarted;
    setPositionScript(m_pendingPosition);
    if (!path.isEmpty()) {
        m_pageFile = QUrl::fromLocalFile(path);
        m_expectedUrl = m_pageFile;
        m_page->load(m_pageFile);
        return;
    }
    m_pageFile.clear();
    m_expectedUrl.clear();
    m_page->setHtml(inlineHtml, m_pendingBase);
}

void THtmlView::swapBody(const QString &body, int id)
{
    const int position = m_pendingPosition;
    runScript(PreviewScripts::replaceBody(body, position), [this, id, position](const QVariant &figures) {
        if (id != m_loadId || !m_inFlight)
            return;
        const QVariantList f = figures.toList();
        if (f.size() != 3) {
            // The page shown was not what it seemed: load the text afresh.
            m_shownBuilt = false;
            beginLoad();
            return;
        }
        if (f.at(2).toInt() > 0) {
            waitForImages(id, 0);
            return;
        }
        // A place asked for while the body was being replaced.
        if (position != m_pendingPosition) {
            placeView(true);
            return;
        }
        loadDone(id, true, figures);
    });
}

void THtmlView::waitForImages(int id, int tries)
{
    // Pictures new to the page may change its height: the view is placed
    // once they are in, as at the end of a full load (which waits for them).
    QTimer::singleShot(20, this, [this, id, tries] {
        if (id != m_loadId || !m_inFlight)
            return;
        runScript(PreviewScripts::report(), [this, id, tries](const QVariant &figures) {
            if (id != m_loadId || !m_inFlight)
                return;
            const QVariantList f = figures.toList();
            if (f.size() == 3 && f.at(2).toInt() > 0 && tries < 500)
                waitForImages(id, tries + 1);
            else
                placeView(true);
        });
    });
}

void THtmlView::setPositionScript(int position)
{
    if (!m_page)
        return;
    QWebEngineScriptCollection &scripts = m_page->scripts();
    const QList<QWebEngineScript> old = scripts.find(positionScriptName);
    for (const QWebEngineScript &s : old)
        scripts.remove(s);
    if (position < 0)
        return;
    // Placed as soon as the page is parsed, before it is first painted, so
    // that the top of the page does not flash by.
    QWebEngineScript script;
    script.setName(positionScriptName);
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(PreviewScripts::place(position));
    scripts.insert(script);
}

void THtmlView::pageLoadingChanged(const QWebEngineLoadingInfo &info)
{
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
        return;
    // No history, whoever asked for the load.
    m_page->history()->clear();
    // Only the end of the load asked for counts, not one the page started
    // by itself.
    if (!m_inFlight || (!m_expectedUrl.isEmpty() && info.url().adjusted(QUrl::RemoveFragment) != m_expectedUrl))
        return;
    m_expectedUrl.clear();
    placeView(info.status() == QWebEngineLoadingInfo::LoadSucceededStatus);
}

void THtmlView::placeView(bool ok)
{
    // Images may have grown the page since it was parsed: place it again.
    // A page reached by a link keeps the place its anchor gave it.
    const int id = m_loadId;
    const QString script = !m_shownBuilt ? PreviewScripts::report() : PreviewScripts::placeFresh(m_pendingPosition);
    runScript(script, [this, id, ok](const QVariant &figures) { loadDone(id, ok, figures); });
}

void THtmlView::loadDone(int id, bool ok, const QVariant &figures)
{
    if (id != m_loadId || !m_inFlight)
        return;
    m_inFlight = false;
    m_lastLoadCost = m_loadClock.isValid() ? m_loadClock.elapsed() : 0;
    m_sinceLoadEnd.start();
    if (!ok)
        m_shownBuilt = false;
    const QVariantList f = figures.toList();
    m_knownPosition = f.size() == 3 ? f.at(0).toInt() : 0;
    m_mostPosition = f.size() == 3 ? f.at(1).toInt() : 0;
    if (m_updateAgain) {
        m_updateAgain = false;
        beginLoad();
        return;
    }
    finishLoad(ok);
}

void THtmlView::finishLoad(bool ok)
{
    m_loading = false;
    m_pendingPosition = -1;
    setPositionScript(-1);
    Q_EMIT rendered(ok);
    const QStringList waiting = std::exchange(m_followQueue, QStringList());
    for (const QString &target : waiting)
        followLink(target);
}

int THtmlView::ViewPosition() const
{
    if (m_loading)
        return qMax(m_pendingPosition, 0);
    return m_knownPosition;
}

void THtmlView::SetViewPosition(int position)
{
    if (m_loading) {
        m_pendingPosition = position;
        if (!m_loadQueued)
            setPositionScript(position);
        return;
    }
    if (!m_page)
        return;
    // Known at once when it fits the page, so that a rebuild asked before
    // the engine has scrolled keeps it.
    if (position >= 0 && position <= m_mostPosition)
        m_knownPosition = position;
    runScript(PreviewScripts::place(position), [this](const QVariant &y) {
        if (y.isValid() && !m_loading)
            m_knownPosition = y.toInt();
    });
}

QString THtmlView::ExpandLinkName(const QString &target) const { return LinkName::expand(target, folderPath()); }

void THtmlView::runScript(const QString &script, const std::function<void(const QVariant &)> &done)
{
    if (!m_page) {
        if (done)
            done(QVariant());
        return;
    }
    QPointer<THtmlView> self(this);
    m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld, [self, done](const QVariant &result) {
        if (!self || self->m_dying || !done)
            return;
        done(result);
    });
}

void THtmlView::reportHover(const QString &raw, const QString &resolved)
{
    const QString target = m_showingSource ? raw : resolved;
    if (target == m_lastHover)
        return;
    m_lastHover = target;
    Q_EMIT hotSpotCovered(target);
}

void THtmlView::leaveEvent(QEvent *event)
{
    QFrame::leaveEvent(event);
    if (!m_lastHover.isEmpty()) {
        m_lastHover.clear();
        Q_EMIT hotSpotCovered(QString());
    }
}

void THtmlView::reportClick(const QString &raw, const QString &resolved)
{
    // A link in a page reached by a followed link is relative to that page,
    // not to the current directory: hand on its full address.
    const QString target = m_showingSource ? raw : resolved;
    bool handled = false;
    Q_EMIT hotSpotClick(target, &handled);
    if (!handled)
        followLink(target);
}

void THtmlView::reportSubmit(const QString &action, const QString &target, const QString &encType,
                             const QString &method, const QStringList &entries)
{
    Q_EMIT formSubmit(action, target, encType, method, entries);
}

void THtmlView::followLink(const QString &target)
{
    if (m_loading) {
        m_followQueue << target;
        return;
    }
    using LinkName::FollowKind;
    switch (LinkName::followKind(target)) {
    case FollowKind::Anchor:
        runScript(PreviewScripts::scrollToAnchor(LinkName::anchorOf(target)), [this](const QVariant &y) {
            if (y.isValid() && !m_loading)
                m_knownPosition = y.toInt();
        });
        break;
    case FollowKind::Page:
    case FollowKind::Picture:
        showFile(target);
        break;
    case FollowKind::Script:
        if (m_page)
            m_page->runJavaScript(QUrl::fromPercentEncoding(target.trimmed().mid(11).toUtf8()),
                                  QWebEngineScript::MainWorld);
        break;
    case FollowKind::Scheme:
        Platform::openUrl(QUrl(target.trimmed(), QUrl::TolerantMode));
        break;
    case FollowKind::File:
        // Other local files are not the preview's business: a click on them
        // starts nothing.
        break;
    }
}

void THtmlView::showFile(const QString &target)
{
    QString path = LinkName::withoutAnchor(target);
    const qsizetype query = path.indexOf(u'?');
    if (query >= 0)
        path.truncate(query);
    const QString full = ExpandLinkName(path);
    if (!QFileInfo(full).isFile()) {
        Platform::error(this, QStringLiteral("Impossible d'ouvrir le fichier %1.\nCe fichier n'existe pas.").arg(full));
        return;
    }
    ensureEngine();
    QUrl url = QUrl::fromLocalFile(full);
    const QString anchor = LinkName::anchorOf(target);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    m_showingSource = false;
    m_shownBuilt = false;
    m_loading = true;
    m_inFlight = true;
    m_pendingPosition = -1;
    ++m_loadId;
    setPositionScript(-1);
    m_expectedUrl = url.adjusted(QUrl::RemoveFragment);
    m_page->load(url);
}

QWidget *THtmlView::notice() const { return m_notice; }

QString THtmlView::noticeText() const { return !m_notice || m_notice->isHidden() ? QString() : m_noticeLabel->text(); }

void THtmlView::makeNotice()
{
    // Made at its first use, over the top of the page rather than in the
    // layout: the pane keeps its size and the page its height when the
    // notice comes and goes.
    m_notice = new QFrame(this);
    m_notice->setObjectName(QStringLiteral("AvisApercu"));
    m_notice->setAutoFillBackground(true);
    QPalette np = m_notice->palette();
    np.setColor(QPalette::Window, QColor(0xFF, 0xF4, 0xC8));
    np.setColor(QPalette::WindowText, Qt::black);
    m_notice->setPalette(np);
    m_notice->setFrameShape(QFrame::StyledPanel);
    auto *row = new QHBoxLayout(m_notice);
    row->setContentsMargins(6, 3, 6, 3);
    m_noticeLabel = new QLabel(m_notice);
    m_noticeLabel->setObjectName(QStringLiteral("AvisApercuTexte"));
    m_noticeLabel->setWordWrap(true);
    m_noticeButton = new QPushButton(m_notice);
    m_noticeButton->setObjectName(QStringLiteral("AvisApercuBouton"));
    m_noticeButton->setFocusPolicy(Qt::TabFocus);
    row->addWidget(m_noticeLabel, 1);
    row->addWidget(m_noticeButton, 0);
    connect(m_noticeButton, &QPushButton::clicked, this, &THtmlView::noticeClicked);
    m_notice->hide();

}

void THtmlView::showNotice(const QString &text, const QString &button)
{
    if (!m_notice)
        makeNotice();
    m_noticeIsStop = false;
    m_noticeLabel->setText(text);
    m_noticeButton->setText(button);
    m_noticeButton->setAccessibleName(QString(button).remove(u'&'));
    m_notice->setAccessibleName(text);
    placeNotice();
    m_notice->show();
    m_notice->raise();
}

void THtmlView::hideNotice()
{
    if (m_notice)
        m_notice->hide();
}

void THtmlView::placeNotice()
{
    if (!m_notice)
        return;
    const int w = qMax(0, width() - 2);
    m_notice->setGeometry(1, 1, w, m_notice->layout()->hasHeightForWidth() ? m_notice->layout()->totalHeightForWidth(w)
                                                                           : m_notice->sizeHint().height());
}

void THtmlView::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    if (m_notice)
        placeNotice();
}

void THtmlView::noticeClicked()
{
    // The page as it stands now, whatever its size.
    request(m_fromSource, true);
}

void THtmlView::engineTerminated(int status, int exitCode)
{
    Q_UNUSED(exitCode)
    if (m_dying)
        return;
    // Whatever was under way will not end: every answer still to come
    // belongs to a load that is over.
    ++m_loadId;
    m_inFlight = false;
    m_updateAgain = false;
    m_loadQueued = false;
    m_shownBuilt = false;
    m_expectedUrl.clear();
    m_knownPosition = 0;
    m_mostPosition = 0;
    const QString why = status == QWebEnginePage::KilledTerminationStatus
        ? QStringLiteral("a été interrompu (la mémoire manquait sans doute)")
        : status == QWebEnginePage::NormalTerminationStatus ? QStringLiteral("s'est arrêté")
                                                              : QStringLiteral("s'est arrêté brutalement");
    showNotice(QStringLiteral("Le moteur d'affichage de l'aperçu %1. Le texte de la page n'est pas touché.").arg(why),
               QStringLiteral("&Afficher de nouveau"));
    m_noticeIsStop = true;
    Q_EMIT engineStopped();
    if (m_loading) {
        m_loading = false;
        m_pendingPosition = -1;
        setPositionScript(-1);
        m_followQueue.clear();
        Q_EMIT rendered(false);
    }
}

void THtmlView::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    const QWidget *focus = QApplication::focusWidget();
    if (focus && (focus == this || isAncestorOf(focus))) {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::Highlight));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

#include "HtmlView.moc"

void THtmlView::prepareWindow(QWidget *window)
{
    // A child that draws through OpenGL, never shown: its being there is
    // enough. Only where windows are native and such children are drawn by
    // the window system's OpenGL.
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("xcb") && !platform.startsWith(QLatin1String("wayland")))
        return;
    auto *child = new QOpenGLWidget(window);
    child->setObjectName(QStringLiteral("previewReady"));
    child->setFixedSize(1, 1);
    child->hide();
}
