#pragma once
// THtmlView: the preview pane of a document window, a real browser engine
// behind the few operations the window needs: load the page from its source
// lines, read and restore the view position, expand link names, and report
// links pointed at or clicked and forms submitted. The engine is created at
// the first load, so that windows (and the frame) appear without waiting.
#include <QFrame>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>

class QTemporaryDir;
class QWebChannel;
class QWebEngineLoadingInfo;
class QWebEngineProfile;
class QWebEngineView;
class PreviewPage;
class PreviewBridge;

class THtmlView : public QFrame
{
    Q_OBJECT
public:
    explicit THtmlView(QWidget *parent = nullptr);
    ~THtmlView() override;

    // Shows the lines as one page from the top. Relative names in it resolve
    // against the view's folder (see setFolder) at the time of the call.
    // Asked while an earlier page is still being loaded, the new page
    // follows that load (the picture shown stays until the new one is
    // ready); several asked meanwhile cost one load, of the last.
    void LoadFromLines(const QStringList &lines);

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
    // The engine's view, nullptr until the first load.
    QWebEngineView *engineView() const { return m_view; }
    // The page's address (empty before the first load).
    QUrl url() const;

    // Runs a script in the preview's own world (not the page's) and hands
    // its result back; used by the document window's tests and benchmarks.
    void runScript(const QString &script, const std::function<void(const QVariant &)> &done = {});

    // The profile shared by every preview of the program.
    static QWebEngineProfile *sharedProfile();

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

protected:
    void paintEvent(QPaintEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    friend class PreviewPage;
    friend class PreviewBridge;

    void ensureEngine();
    void startLoad();
    void beginLoad();
    void navigateTo(const QString &text);
    void swapBody(const QString &body, int id);
    void waitForImages(int id, int tries);
    QString writePageFile(const QString &text);
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
    std::unique_ptr<QTemporaryDir> m_pageDir; // the private file the page is shown from
    QUrl m_pageFile;
    QUrl m_expectedUrl;          // the load whose end places the view
    bool m_pageFileTurn = false;

    QString m_pendingHtml;       // the last page asked for, not yet handed to the engine
    QUrl m_pendingBase;          // folder address the page resolves against
    QString m_folder;            // see setFolder
    QString m_shownText;         // the text of the page built from lines on show, "" for any other
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
