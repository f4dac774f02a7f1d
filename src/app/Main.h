#pragma once
// TMainForm: the frame window. It holds the menus, the tool bar, the font
// list and the status line, and turns every command into an operation of the
// active document window or into a tool of its own.
#include "document/FrameServices.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;
class QSettings;
class QTimer;
class QToolBar;
class QToolButton;
class RecentFiles;
class TEditeur;
struct MenuCommand;
namespace Recovery {
class Session;
struct Entry;
}

class TMainForm : public QMainWindow, public TFrameServices
{
    Q_OBJECT
public:
    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    QString StartDir;
    QMdiArea *mdiArea = nullptr;
    QLabel *StatusLine = nullptr;
    QLabel *Panel2 = nullptr;
    QToolBar *SpeedPanel = nullptr;
    QComboBox *ComboBox1 = nullptr;
    QTimer *Timer1 = nullptr;

    QAction *action(const QString &name) const { return m_actions.value(name); }
    QToolButton *toolButton(const QString &name) const { return m_buttons.value(name); }
    QMenu *menu(const QString &name) const { return m_menus.value(name); }

    TEditeur *NewDocumentWindow(const QString &caption);
    TEditeur *activeEditeur() const;
    // Document windows in child order (index 0 first).
    QList<TEditeur *> editeurs() const;
    void openFiles(const QStringList &paths);

    // Runs a command, showing the error box for what it throws.
    void runCommand(const std::function<void()> &command);

    void UpdateMenuItems();
    void Timer1Timer();
    void GetFontName();
    void ComboBox1Change(const QString &font);
    void connectFontBox();

    void FileNewItemClick();
    void FileOpenItemClick();
    void FileCloseItemClick();
    void Toutenregistrer1Click();
    void PrinterSetup();
    void Actualiserautomatiquement1Click();
    void Lancernavigateur1Click();
    void WindowCascade();
    void WindowTile();
    void WindowArrange();
    void WindowMinimizeAll();
    void HelpContents();
    void HelpSearch();
    void HelpHowToUse();
    void HelpAboutItemClick();
    // Desk utilities of "Utilitaires": modal tool windows owned by the frame.
    void Calendrier1Click();
    void Calculatrice1Click();
    void Euroconversion1Click();
    void Horloge1Click();
    void Blocnotes1Click();

    // Recent pages under "Fichier" and the choices kept between sessions.
    RecentFiles &recentFiles() { return *m_recent; }
    void openRecentFile(const QString &path);
    void Numerosdeligne1Click();

    // Site wizards and thumbnail gallery.
    // Each wizard's pages open in new document windows; nothing is saved.
    void Nouveauprojet1Click();
    void Cv1Click();
    void Sitepro1Click();

    // FTP publishing.
    void TransferparFTP1Click();

    // Pictures.

    // Crash recovery: the modified pages are copied every minute and when
    // the desktop session ends; copies left by a program that stopped are
    // offered back at start-up.
    // The clock's copies are written on a thread of their own; others are
    // waited for.
    void saveRecoveryCopies(bool wait = true);
    void offerRecovery();
    bool openRecoveredCopy(const Recovery::Entry &entry);
    Recovery::Session &recoverySession() { return *m_recovery; }
    QTimer *recoveryTimer() const { return m_recoveryTimer; }

    // TFrameServices
    void setRedoEnabled(bool enabled) override;
    void showHistory(const TEditeur *window, const QString &undoName, const QString &redoName) override;
    void enablePaste() override;
    void setStatusText(const QString &text) override;
    QPrinter *printer() override;

Q_SIGNALS:
    void firstShown();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildMenus();
    void addCommands(QMenu *menu, const QList<MenuCommand> &items);
    void buildToolBar();
    void buildStatusBar();
    void fillWindowMenu();
    void triggerCommand(const MenuCommand &command);
    void fillRecentFiles();

    QHash<QString, QAction *> m_actions;
    QHash<QString, QToolButton *> m_buttons;
    QHash<QString, QMenu *> m_menus;
    QList<QWidget *> m_docControls;   // enabled while a document exists
    QList<QAction *> m_windowEntries; // the window list of "Fenêtre"
    QList<QAction *> m_recentEntries; // the recent pages of "Fichier"
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<RecentFiles> m_recent;
    std::unique_ptr<QPrinter> m_printer;
    bool m_shown = false;
    bool m_destroying = false;

    // Crash recovery (state).
    void setupRecovery();
    void trackForRecovery(TEditeur *editeur, QMdiSubWindow *sub);
    std::unique_ptr<Recovery::Session> m_recovery;
    QTimer *m_recoveryTimer = nullptr;
    QHash<const TEditeur *, int> m_recoveryIds;
    int m_nextRecoveryId = 0;
    bool m_recoveryFailed = false;
    bool postponeRecoveryCopy(const TEditeur &e);
    // Big pages whose copy waits for a pause in the typing, since when.
    QHash<const TEditeur *, qint64> m_recoveryPostponed;
    bool m_recoveryRetry = false;
};

// The argument handed to the browser: the page's path behind "FILE:///",
// backslashes turned into "/", in double quotes.
QString browserArgument(const QString &path);
