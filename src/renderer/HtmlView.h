#pragma once
// THtmlView: the preview pane of a document window, a real browser engine
// behind the few operations the window needs: load the page from its source
// lines, read and restore the view position, expand link names, and report
// links pointed at or clicked and forms submitted. The engine is created at
// the first load, so that windows (and the frame) appear without waiting.
#include <QElapsedTimer>
#include <QFrame>
#include <QPointer>
#include <QStringList>
#include <QThreadPool>
#include <QUrl>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;

class QTemporaryDir;
class QWebChannel;
class QWebEngineLoadingInfo;
class QWebEngineProfile;
class QWebEngineView;
class PreviewPage;
class PreviewBridge;

// Where the view takes the page's text from when it is ready for a new
// page. `size` and `take` run on the GUI thread and must be cheap: `take`
// only copies the text as it is stored; `prepare` runs on a worker thread
// and turns that copy, in place, into the page's lines joined by LF.
struct PreviewSource {
    std::function<qsizetype()> size;
    std::function<QString()> take;
    std::function<void(QString &)> prepare;
};

class THtmlView : public QFrame
{
    Q_OBJECT
public:
    // Pages longer than this (in characters) are rendered only when the
    // user asks: a load of such a page holds the engine for seconds and
    // takes it past a gigabyte.
    static constexpr qsizetype onDemandLimit = 3 * 1024 * 1024;

    explicit THtmlView(QWidget *parent = nullptr);
    ~THtmlView() override;

    // Shows the lines as one page from the top. Relative names in it resolve
    // against the view's folder (see setFolder) at the time of the call.
    // Asked while an earlier page is still being loaded, the new page
    // follows that load (the picture shown stays until the new one is
    // ready); several asked meanwhile cost one load, of the last.
    void LoadFromLines(const QStringList &lines);

    // Where refresh() takes the page from.
    void setSource(const PreviewSource &source) { m_source = source; }
    // Shows the source's page as LoadFromLines shows lines. The text is
    // taken only once the engine is free for it, and prepared and written
    // out on a worker thread. An automatic refresh (`asked` false) of a page
    // over onDemandLimit shows a notice with a button instead, and one of a
    // page whose last load was long waits until the engine has rested as
    // long as that load took.
    void refresh(bool asked);
    // The notice above the page: why it is not shown, or that the engine
    // stopped. Hidden while the page is shown normally; nullptr until first
    // needed.
    QWidget *notice() const;
    QString noticeText() const;
    QPushButton *noticeButton() const { return m_noticeButton; }

    // The folder the pages built from lines resolve relative names against,
    // and ExpandLinkName completes names with; empty (the default) for the
    // process's current directory at the time of each load.
    void setFolder(const QString &folder) { m_folder = folder; }

    // The vertical place of the view in the page, 0 at the top. Written
    // while a load is under way, it is applied once the page is laid out; a
    // value beyond the end of the new page is ignored.
    int ViewPosition() const;
    void SetViewPosition(int position);

    QString ExpandLinkName(const QString &target) const;

    // Follows a target the document window did not handle: anchors scroll,
    // pages and pictures are shown, scripts run, other addresses go to the
    // desktop. Waits for a load under way.
    void followLink(const QString &target);

    // True from a load request until the page is laid out and placed.
    bool isLoading() const { return m_loading; }
    // How many pages were handed to the engine (loads and body swaps).
    int loadsStarted() const { return m_loadsStarted; }
    // The engine's view, nullptr until the first load.
    QWebEngineView *engineView() const { return m_view; }
    // The page's address (empty before the first load).
    QUrl url() const;

    // Runs a script in the preview's own world (not the page's) and hands
    // its result back; used by the document window's tests and benchmarks.
    void runScript(const QString &script, const std::function<void(const QVariant &)> &done = {});

    // A page made ready on the worker thread (inside HtmlView.cpp).
    struct Prepared;

    // The profile shared by every preview of the program.
    static QWebEngineProfile *sharedProfile();
    // The preview draws through OpenGL, and a window on screen that gets
    // its first such child is destroyed and made again (it flashes, and
    // loses its place in the stacking): made ready before it is first
    // shown, the window is of that kind from the start.
    static void prepareWindow(QWidget *window);

Q_SIGNALS:
    // The link under the mouse changed; empty when the mouse left the links.
    void hotSpotCovered(const QString &target);
    // A link was clicked. When the handler leaves *handled false the view
    // follows the link itself.
    void hotSpotClick(const QString &target, bool *handled);
    // A form was submitted (nothing is sent). Raised from the event loop,
    // after the click that submitted it.
    void formSubmit(const QString &action, const QString &target, const QString &encType,
                    const QString &method, const QStringList &entries);
    // A load asked for by LoadFromLines or by a followed link is laid out
    // and placed.
    void rendered(bool ok);
    // An automatic refresh left the page to be rendered on demand.
    void deferred();
    // The engine's process for this view ended while it was in use.
    void engineStopped();

protected:
    void paintEvent(QPaintEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class PreviewPage;
    friend class PreviewBridge;

    void ensureEngine();
    void request(bool fromSource, bool asked);
    qsizetype requestSize() const;
    void startLoad();
    void beginLoad();
    void prepared(const std::shared_ptr<Prepared> &result);
    void navigateTo(const QString &path, const QString &inlineHtml);
    void swapBody(const QString &body, int id);
    void waitForImages(int id, int tries);
    void showNotice(const QString &text, const QString &button);
    void hideNotice();
    void makeNotice();
    void placeNotice();
    void noticeClicked();
    void engineTerminated(int status, int exitCode);
    QString folderPath() const;
    void pageLoadingChanged(const QWebEngineLoadingInfo &info);
    void placeView(bool ok);
    void loadDone(int id, bool ok, const QVariant &figures);
    void finishLoad(bool ok);
    void reportHover(const QString &raw, const QString &resolved);
    void reportClick(const QString &raw, const QString &resolved);
    void reportSubmit(const QString &action, const QString &target, const QString &encType,
                      const QString &method, const QStringList &entries);
    void doFollow(const QString &target);
    void showFile(const QString &target);
    void setPositionScript(int position);

    QWebEngineView *m_view = nullptr;
    PreviewPage *m_page = nullptr;
    QWebChannel *m_channel = nullptr;
    PreviewBridge *m_bridge = nullptr;
    QFrame *m_notice = nullptr;
    QLabel *m_noticeLabel = nullptr;
    QPushButton *m_noticeButton = nullptr;
    bool m_noticeIsStop = false; // the notice says the engine stopped
    std::unique_ptr<QTemporaryDir> m_pageDir; // the private file the page is shown from
    QUrl m_pageFile;
    QUrl m_expectedUrl;          // the load whose end places the view
    bool m_pageFileTurn = false;

    PreviewSource m_source;
    bool m_fromSource = false;   // the page asked for is the source's
    QString m_requestHtml;       // or these lines, joined (kept until shown, for a retry)
    QUrl m_pendingBase;          // folder address the page resolves against
    QString m_folder;            // see setFolder
    // What is kept of the page built from text on show, to decide whether
    // the next one may replace its body: its text up to the body's content.
    bool m_shownBuilt = false;
    bool m_shownStatic = false;
    QString m_shownHead;         // null when the page has no plain body start
    int m_loadsStarted = 0;
    QElapsedTimer m_loadClock;   // since the start of the engine's work on the last load
    qint64 m_lastLoadCost = 0;   // ms the last full load kept the engine busy
    QElapsedTimer m_sinceLoadEnd;
    QThreadPool m_worker;        // prepares and writes the pages, one at a time
    bool m_loadQueued = false;
    bool m_inFlight = false;     // the engine is loading a page or replacing a body
    bool m_updateAgain = false;  // a newer page waits for the end of that
    bool m_dying = false;
    int m_loadId = 0;            // which load a script answer or load end belongs to
    bool m_loading = false;
    int m_pendingPosition = -1;  // to be applied when the load is laid out
    int m_knownPosition = 0;
    int m_mostPosition = 0;      // the greatest position the page shown allows
    bool m_showingSource = false; // the page shown is the one built from lines
    QString m_lastHover;
    QStringList m_followQueue;   // targets waiting for a load to finish
};
