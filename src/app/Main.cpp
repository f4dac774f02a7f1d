#include "Main.h"

#include "app/AboutBox.h"
#include "app/CommandTable.h"
#include "app/Icons.h"
#include "app/RecentFiles.h"
#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "page/Page.h"
#include "document/Recovery.h"
#include "platform/CommonDialogs.h"
#include "platform/Errors.h"
#include "platform/FileDialogs.h"
#include "platform/Help.h"
#include "platform/Launcher.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "tools/BlocNotes.h"
#include "tools/Calculatrice.h"
#include "tools/Calendrier.h"
#include "tools/EuroConvert.h"
#include "tools/Horloge.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <memory>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPointer>
#include <QPrinter>
#include <QSettings>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

namespace {
QString lineNumbersKey() { return QStringLiteral("Editor/lineNumbers"); }
} // namespace

QString browserArgument(const QString &path)
{
    QString argument = QStringLiteral("\"FILE:///") + path + u'"';
    argument.replace(u'\\', u'/');
    return argument;
}

TMainForm::TMainForm(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Pemo HTML"));
    setAccessibleName(QStringLiteral("Pemo HTML"));
    setWindowIcon(Icons::application());

    // FormCreate
    StartDir = QDir::currentPath();
    m_settings = std::make_unique<QSettings>();
    m_recent = std::make_unique<RecentFiles>(*m_settings);
    mdiArea = new QMdiArea(this);
    mdiArea->setObjectName(QStringLiteral("ClientArea"));
    mdiArea->setAccessibleName(QStringLiteral("Fenêtres des documents"));
    mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea);
    connect(mdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *w) {
        UpdateMenuItems();
        if (w)
            if (auto *e = qobject_cast<TEditeur *>(w->widget()))
                e->FormActivate();
    });

    buildMenus();
    buildToolBar();
    buildStatusBar();
    GetFontName();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    Timer1->start();

    setupRecovery();
    UpdateMenuItems();
}

TMainForm::~TMainForm()
{
    // The windows are torn down with the frame: nothing may call back into
    // a frame that is half destroyed.
    m_destroying = true;
    mdiArea->disconnect(this);
    // Windows already closed but not yet deleted are no longer listed by
    // the area; they are freed with the frame all the same.
    for (QMdiSubWindow *w : mdiArea->findChildren<QMdiSubWindow *>())
        w->disconnect(this);
}

void TMainForm::buildMenus()
{
    for (const MenuDefinition &def : commandTable()) {
        QMenu *menu = menuBar()->addMenu(def.caption);
        menu->setObjectName(def.name);
        menu->setTitle(def.caption);
        menu->setAccessibleName(QString(def.caption).remove(u'&'));
        menu->menuAction()->setStatusTip(def.hint);
        menu->setProperty("helpContext", def.helpContext);
        menu->installEventFilter(this);
        menu->setToolTipsVisible(false);
        m_menus.insert(def.name, menu);
        addCommands(menu, def.items);
        if (def.name == QLatin1String("Fenetre1"))
            connect(menu, &QMenu::aboutToShow, this, &TMainForm::fillWindowMenu);
        if (def.name == QLatin1String("Fichier1"))
            connect(menu, &QMenu::aboutToShow, this, &TMainForm::fillRecentFiles);
    }
    // Start-up states of the items with rules of their own.
    action(QStringLiteral("Rtablir1"))->setEnabled(false);
    action(QStringLiteral("PasteItem"))->setEnabled(false);
    action(QStringLiteral("Actualiserautomatiquement1"))->setChecked(true);
    action(QStringLiteral("Numerosdeligne1"))->setChecked(m_settings->value(lineNumbersKey(), true).toBool());
}

void TMainForm::addCommands(QMenu *menu, const QList<MenuCommand> &items)
{
    for (const MenuCommand &c : items) {
        if (c.separatorBefore)
            menu->addSeparator();
        QAction *a;
        if (!c.children.isEmpty()) {
            QMenu *sub = menu->addMenu(c.caption);
            sub->setObjectName(c.name);
            sub->setAccessibleName(QString(c.caption).remove(u'&'));
            sub->installEventFilter(this);
            sub->setProperty("helpContext", menu->property("helpContext"));
            m_menus.insert(c.name, sub);
            a = sub->menuAction();
            addCommands(sub, c.children);
        } else {
            a = menu->addAction(c.caption);
            const MenuCommand copy = c;
            connect(a, &QAction::triggered, this, [this, copy] { triggerCommand(copy); });
        }
        a->setObjectName(c.name);
        a->setStatusTip(c.hint);
        a->setProperty("hint", c.hint);
        a->setProperty("doc", c.doc);
        a->setCheckable(c.checkable);
        if (!c.shortcut.isEmpty()) {
            // "A|B": two keys for the same command.
            QList<QKeySequence> keys;
            for (const QString &key : c.shortcut.split(u'|'))
                keys << QKeySequence(key);
            a->setShortcuts(keys);
            a->setShortcutContext(Qt::ApplicationShortcut);
        }
        m_actions.insert(c.name, a);
    }
}

void TMainForm::triggerCommand(const MenuCommand &command)
{
    if (command.onFrame) {
        runCommand([this, &command] { command.onFrame(*this); });
        return;
    }
    if (command.onDocument) {
        TEditeur *e = activeEditeur();
        if (!e)
            return;
        // What the command changes is one step of the page's history,
        // named after it; the step ends with the command.
        QPointer<TPage> page = e->page();
        page->setCommandName(QString(command.caption).remove(u'&').remove(QStringLiteral("...")).trimmed());
        runCommand([e, &command] { command.onDocument(*e); });
        if (page) {
            page->setCommandName(QString());
            page->endStep();
        }
        return;
    }
    Platform::information(this, QStringLiteral("La commande « %1 » n'est pas encore disponible dans cette version.")
                                    .arg(QString(command.caption).remove(u'&').remove(QStringLiteral("..."))));
}

void TMainForm::runCommand(const std::function<void()> &command)
{
    try {
        command();
    } catch (const Platform::PemoError &e) {
        Platform::error(this, e.message());
    } catch (const std::exception &e) {
        Platform::error(this, QString::fromLocal8Bit(e.what()));
    }
}

void TMainForm::buildToolBar()
{
    SpeedPanel = addToolBar(QStringLiteral("Barre d'outils"));
    SpeedPanel->setObjectName(QStringLiteral("SpeedPanel"));
    SpeedPanel->setAccessibleName(QStringLiteral("Barre d'outils"));
    SpeedPanel->setMovable(false);
    SpeedPanel->setFloatable(false);
    SpeedPanel->setIconSize(QSize(20, 20));

    struct Button {
        const char *name;
        const char *hint;       // tooltip|status text
        const char *target;     // menu item run by the button
        QIcon icon;
        const char *face;
        bool doc;
        bool groupAfter;
    };
    const Button buttons[] = {
        {"FileNew1Btn", "Nouveau", "FileNewItem", Icons::newPage(), nullptr, false, false},
        {"OpenBtn", "Ouvrir|", "FileOpenItem", Icons::open(), nullptr, false, false},
        {"SaveBtn", "Enregistrer|", "FileSaveItem", Icons::save(), nullptr, true, true},
        {"CutBtn", "Couper|", "CutItem", Icons::cut(), nullptr, true, false},
        {"CopyBtn", "Copier|", "CopyItem", Icons::copy(), nullptr, true, false},
        {"PasteBtn", "Coller|", "PasteItem", Icons::paste(), nullptr, false, true},
        {"ExecButton", "Lancer navigateur", "Lancerlenavigateur1", Icons::browser(), nullptr, true, false},
        {"SpeedButton10", "Reafficher la page", "Actualiserlaffichage1", Icons::refresh(), nullptr, true, false},
        {"ComboBox1", nullptr, nullptr, QIcon(), nullptr, true, false},
        {"SpeedButton1", "Taille H1", "Titre1H11", QIcon(), "H1", true, false},
        {"SpeedButton2", "Taille H2", "Titre2H21", QIcon(), "H2", true, false},
        {"SpeedButton3", "Taille H3", "Titre3H31", QIcon(), "H3", true, false},
        {"SpeedButton4", "Taille H4", "Titre4H41", QIcon(), "H4", true, false},
        {"SpeedButton5", "Taille H5", "Titre5H51", QIcon(), "H5", true, false},
        {"SpeedButton6", "Taille H6", "Titre6H61", QIcon(), "H6", true, true},
        {"SpeedButton7", "Gras", "Gras1", Icons::bold(), nullptr, true, false},
        {"SpeedButton8", "Italique", "Italique1", Icons::italic(), nullptr, true, false},
        {"SpeedButton9", "Souligné", "Soulign1", Icons::underline(), nullptr, true, true},
        {"SpeedButton11", "Retour chariot", "Retourchariot1", QIcon(), "BR", true, false},
        {"SpeedButton12", "Paragraphe", "Paragraphe1", QIcon(), "P", true, false},
    };
    for (const Button &b : buttons) {
        const QString name = QString::fromLatin1(b.name);
        if (name == QLatin1String("ComboBox1")) {
            ComboBox1 = new QComboBox(SpeedPanel);
            ComboBox1->setObjectName(name);
            ComboBox1->setAccessibleName(QStringLiteral("Police"));
            ComboBox1->setEditable(true);
            ComboBox1->setInsertPolicy(QComboBox::NoInsert);
            ComboBox1->setFixedWidth(180);
            ComboBox1->setFont(QFont(QStringLiteral("Times New Roman")));
            ComboBox1->setToolTip(QStringLiteral("Police"));
            SpeedPanel->addWidget(ComboBox1);
            m_docControls << ComboBox1;
            continue;
        }
        const QString hint = QString::fromUtf8(b.hint);
        const qsizetype bar = hint.indexOf(u'|');
        auto *button = new QToolButton(SpeedPanel);
        button->setObjectName(name);
        button->setAutoRaise(true);
        button->setToolTip(bar < 0 ? hint : hint.left(bar));
        button->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
        button->setAccessibleName(button->toolTip());
        if (b.face) {
            button->setText(QString::fromLatin1(b.face));
            if (name == QLatin1String("SpeedButton12")) {
                QFont f = button->font();
                f.setBold(true);
                button->setFont(f);
            }
            button->setToolButtonStyle(Qt::ToolButtonTextOnly);
            button->setMinimumWidth(26);
        } else {
            button->setIcon(b.icon);
        }
        QAction *target = action(QString::fromLatin1(b.target));
        connect(button, &QToolButton::clicked, target, &QAction::trigger);
        SpeedPanel->addWidget(button);
        m_buttons.insert(name, button);
        if (b.doc)
            m_docControls << button;
        if (b.groupAfter)
            SpeedPanel->addSeparator();
    }
    // PasteBtn follows "C&oller" wherever that is switched.
    QAction *paste = action(QStringLiteral("PasteItem"));
    QToolButton *pasteBtn = toolButton(QStringLiteral("PasteBtn"));
    pasteBtn->setEnabled(false);
    connect(paste, &QAction::changed, pasteBtn, [paste, pasteBtn] { pasteBtn->setEnabled(paste->isEnabled()); });
    connectFontBox();
}

void TMainForm::buildStatusBar()
{
    StatusLine = new QLabel(this);
    StatusLine->setObjectName(QStringLiteral("StatusLine"));
    StatusLine->setAccessibleName(QStringLiteral("Ligne d'état"));
    StatusLine->setFrameShape(QFrame::Panel);
    StatusLine->setFrameShadow(QFrame::Sunken);
    StatusLine->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel2 = new QLabel(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setAccessibleName(QStringLiteral("Horloge"));
    Panel2->setFrameShape(QFrame::Panel);
    Panel2->setFrameShadow(QFrame::Sunken);
    // A fixed size: the clock's new text each second then lays nothing of
    // the window out again.
    Panel2->setFixedSize(76, Panel2->sizeHint().height());
    Panel2->setAlignment(Qt::AlignCenter);
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(StatusLine, 1);
    statusBar()->addPermanentWidget(Panel2);
}

void TMainForm::GetFontName()
{
    // A family offered by several makers is listed once, by the name pages use.
    QStringList families;
    for (const QString &family : QFontDatabase::families())
        families << CommonDialogs::familyName(family);
    families.removeDuplicates();
    families.sort(Qt::CaseInsensitive);
    const QSignalBlocker block(ComboBox1);
    ComboBox1->clear();
    ComboBox1->addItems(families);
    ComboBox1->setEditText(QStringLiteral("Times New Roman"));
}

void TMainForm::connectFontBox()
{
    // A face picked from the list applies at once. Typed text applies when
    // Enter is pressed, or when the box is left holding exactly a face of
    // the list; each keystroke would otherwise wrap the selection in a font
    // element of a partial name and take a snapshot of its own.
    struct State {
        bool typed = false;
        QString applied; // what was applied during the current event
    };
    auto state = std::make_shared<State>();
    auto apply = [this, state](const QString &font) {
        state->typed = false;
        if (font.isEmpty() || state->applied == font)
            return;
        // The box reports one choice through several signals (Enter, the
        // end of editing, the list's activation): it acts once.
        state->applied = font;
        QTimer::singleShot(0, this, [state] { state->applied.clear(); });
        ComboBox1Change(font);
    };
    connect(ComboBox1, &QComboBox::activated, this, [this, apply](int index) { apply(ComboBox1->itemText(index)); });
    QLineEdit *edit = ComboBox1->lineEdit();
    connect(edit, &QLineEdit::textEdited, this, [state] { state->typed = true; });
    connect(edit, &QLineEdit::returnPressed, this, [edit, apply] { apply(edit->text()); });
    connect(edit, &QLineEdit::editingFinished, this, [this, edit, state, apply] {
        if (state->typed && ComboBox1->findText(edit->text(), Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
            apply(edit->text());
    });
}

void TMainForm::ComboBox1Change(const QString &font)
{
    TEditeur *e = activeEditeur();
    if (!e)
        return;
    runCommand([e, font] { e->Police(font); });
}

void TMainForm::Timer1Timer() { Panel2->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))); }

bool TMainForm::event(QEvent *event)
{
    // ShowStatusHint: the long hint of the item or button under the mouse.
    if (event->type() == QEvent::StatusTip) {
        StatusLine->setText(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    // F1 on an open menu shows that menu's help topic.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_F1) {
        if (auto *m = qobject_cast<QMenu *>(watched)) {
            const int context = m->property("helpContext").toInt();
            m->close();
            for (QWidget *w = m->parentWidget(); w; w = w->parentWidget())
                if (auto *parentMenu = qobject_cast<QMenu *>(w))
                    parentMenu->close();
            Platform::helpTopic(this, context);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        Q_EMIT firstShown();
    }
}

void TMainForm::UpdateMenuItems()
{
    const bool open = !mdiArea->subWindowList().isEmpty();
    for (QAction *a : std::as_const(m_actions))
        if (a->property("doc").toBool())
            a->setEnabled(open);
    for (QWidget *w : std::as_const(m_docControls))
        w->setEnabled(open);
}

QList<TEditeur *> TMainForm::editeurs() const
{
    QList<TEditeur *> list;
    for (QMdiSubWindow *w : mdiArea->subWindowList(QMdiArea::CreationOrder))
        if (auto *e = qobject_cast<TEditeur *>(w->widget()))
            list << e;
    return list;
}

TEditeur *TMainForm::activeEditeur() const
{
    QMdiSubWindow *w = mdiArea->activeSubWindow();
    if (!w) {
        const QList<QMdiSubWindow *> all = mdiArea->subWindowList(QMdiArea::ActivationHistoryOrder);
        if (!all.isEmpty())
            w = all.last();
    }
    return w ? qobject_cast<TEditeur *>(w->widget()) : nullptr;
}

TEditeur *TMainForm::NewDocumentWindow(const QString &caption)
{
    auto *editeur = new TEditeur(this);
    QMdiSubWindow *sub = mdiArea->addSubWindow(editeur);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(Icons::document());
    sub->resize(600, 429);
    editeur->setWindowTitle(caption);
    editeur->setAccessibleName(caption);
    editeur->Memo1->SetLineNumbers(action(QStringLiteral("Numerosdeligne1"))->isChecked());
    connect(editeur, &QWidget::windowTitleChanged, editeur, [editeur](const QString &t) {
        editeur->setAccessibleName(t);
    });
    connect(editeur, &TEditeur::fileUsed, this, [this](const QString &path) { m_recent->add(path); });
    connect(sub, &QObject::destroyed, this, [this] { QTimer::singleShot(0, this, &TMainForm::UpdateMenuItems); });
    trackForRecovery(editeur, sub);
    sub->show();
    mdiArea->setActiveSubWindow(sub);
    editeur->Memo1->setFocus();
    UpdateMenuItems();
    return editeur;
}

void TMainForm::FileNewItemClick()
{
    const QString caption = QStringLiteral("Web%1").arg(mdiArea->subWindowList().size() + 1);
    TEditeur *e = NewDocumentWindow(caption);
    e->Memo1->SetSelStart(250);
    e->Actauto(action(QStringLiteral("Actualiserautomatiquement1"))->isChecked());
}

void TMainForm::FileOpenItemClick()
{
    Platform::FileDialogRequest request;
    request.kind = Platform::FileDialogKind::Open;
    request.title = QStringLiteral("Ouvrir");
    request.filter = QStringLiteral("Fichiers html (*.htm;*.html)|*.htm;*.html|Tous les fichiers (*.*)|*.*");
    request.fileName = QStringLiteral("*.htm;*.html");
    request.defaultExt = QStringLiteral("htm");
    const Platform::FileDialogResult chosen = Platform::runFileDialog(this, request);
    if (!chosen.accepted)
        return;
    openFiles({chosen.path});
}

void TMainForm::openFiles(const QStringList &paths)
{
    for (const QString &path : paths) {
        const QString full = QFileInfo(path).isRelative() ? QFileInfo(path).absoluteFilePath() : path;
        TEditeur *e = NewDocumentWindow(full);
        e->setWindowTitle(Platform::fileNamePart(full));
        bool opened = false;
        runCommand([e, full, &opened] {
            e->OpenFile(full);
            opened = true;
        });
        if (!opened) {
            // Left open, the window would hold the page template bound to
            // the file's name, and "Tout enregistrer" would write that over
            // a file it never read.
            e->Memo1->SetModified(false);
            if (QWidget *sub = e->parentWidget())
                sub->close();
            continue;
        }
        e->Actauto(action(QStringLiteral("Actualiserautomatiquement1"))->isChecked());
    }
}

void TMainForm::FileCloseItemClick()
{
    if (QMdiSubWindow *w = mdiArea->activeSubWindow())
        w->close();
}

void TMainForm::Toutenregistrer1Click()
{
    // One page that cannot be written must not keep the others from being
    // saved: each failure is reported once and the round goes on.
    // A page that holds exactly what its file holds is not written again:
    // the file keeps its bytes. A page that has no file yet (a new page, a
    // page made by a wizard) asks for its name, as "Enregistrer" does.
    const QList<TEditeur *> list = editeurs();
    for (qsizetype i = list.size() - 1; i >= 0; --i) {
        QPointer<TEditeur> e = list.at(i);
        if (!e || e->holdsItsFile())
            continue;
        runCommand([e] {
            if (e)
                e->Enregistrer();
        });
    }
}

QPrinter *TMainForm::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return m_printer.get();
}

void TMainForm::PrinterSetup()
{
    QPrintDialog dialog(printer(), this);
    dialog.setWindowTitle(QStringLiteral("Configuration de l'impression"));
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.exec();
}

void TMainForm::Actualiserautomatiquement1Click()
{
    // The check mark has already been inverted by the action itself.
    const bool on = action(QStringLiteral("Actualiserautomatiquement1"))->isChecked();
    if (TEditeur *e = activeEditeur())
        e->Actauto(on);
}

void TMainForm::Lancernavigateur1Click()
{
    TEditeur *e = activeEditeur();
    if (!e)
        return;
    const QString path = e->GetFichier();
    if (path.isEmpty())
        return;
    // The desktop's default browser opens the page as last saved, handed
    // over as a file URL, never as a command line for a shell.
    Platform::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

void TMainForm::WindowCascade() { mdiArea->cascadeSubWindows(); }
void TMainForm::WindowTile() { mdiArea->tileSubWindows(); }

void TMainForm::WindowArrange()
{
    // Minimised windows line up along the bottom of the frame, left to right.
    const QList<QMdiSubWindow *> list = mdiArea->subWindowList(QMdiArea::CreationOrder);
    int x = 0;
    for (QMdiSubWindow *w : list) {
        if (!w->isMinimized())
            continue;
        const QSize size = w->size();
        if (x + size.width() > mdiArea->viewport()->width())
            x = 0;
        w->move(x, mdiArea->viewport()->height() - size.height());
        x += size.width();
    }
}

void TMainForm::WindowMinimizeAll()
{
    const QList<QMdiSubWindow *> list = mdiArea->subWindowList(QMdiArea::CreationOrder);
    for (qsizetype i = list.size() - 1; i >= 0; --i)
        list.at(i)->showMinimized();
    WindowArrange();
}

void TMainForm::fillWindowMenu()
{
    QMenu *menu = this->menu(QStringLiteral("Fenetre1"));
    for (QAction *a : std::as_const(m_windowEntries)) {
        menu->removeAction(a);
        a->deleteLater();
    }
    m_windowEntries.clear();
    const QList<QMdiSubWindow *> list = mdiArea->subWindowList(QMdiArea::CreationOrder);
    if (list.isEmpty())
        return;
    m_windowEntries << menu->addSeparator();
    int n = 1;
    for (QMdiSubWindow *w : list) {
        const QString title = w->widget() ? w->widget()->windowTitle() : w->windowTitle();
        QAction *a = menu->addAction(QStringLiteral("&%1 %2").arg(n++).arg(title));
        a->setCheckable(true);
        a->setChecked(w == mdiArea->activeSubWindow());
        a->setStatusTip(QStringLiteral("Activer cette fenêtre"));
        connect(a, &QAction::triggered, this, [this, w] {
            if (w->isMinimized())
                w->showNormal();
            mdiArea->setActiveSubWindow(w);
        });
        m_windowEntries << a;
    }
}

void TMainForm::fillRecentFiles()
{
    // The entries sit between "Configuration impression" and "Quitter",
    // rebuilt each time the menu opens so that every frame shows the list
    // as it stands.
    QMenu *menu = this->menu(QStringLiteral("Fichier1"));
    // Never rebuilt from one of its own entries, so the old ones can go at once.
    qDeleteAll(m_recentEntries);
    m_recentEntries.clear();
    const QStringList paths = m_recent->entries();
    if (paths.isEmpty())
        return;
    QAction *exit = action(QStringLiteral("FileExitItem"));
    // "Quitter" has its own separator before it; the list gets one above.
    const QList<QAction *> all = menu->actions();
    const qsizetype at = all.indexOf(exit);
    QAction *before = at > 0 && all.at(at - 1)->isSeparator() ? all.at(at - 1) : exit;
    auto *separator = new QAction(menu);
    separator->setSeparator(true);
    menu->insertAction(before, separator);
    m_recentEntries << separator;
    int n = 1;
    for (const QString &path : paths) {
        const QString shown = QFontMetrics(menu->font()).elidedText(path, Qt::ElideMiddle, 420);
        // "&&" so that a "&" in a folder name is shown, not taken as a mnemonic.
        auto *a = new QAction(QStringLiteral("&%1 %2").arg(n++).arg(QString(shown).replace(u'&', QStringLiteral("&&"))), menu);
        a->setObjectName(QStringLiteral("RecentFile%1").arg(n - 1));
        a->setStatusTip(QStringLiteral("Ouvrir %1").arg(path));
        a->setData(path);
        connect(a, &QAction::triggered, this, [this, path] { openRecentFile(path); });
        menu->insertAction(before, a);
        m_recentEntries << a;
    }
}

void TMainForm::openRecentFile(const QString &path)
{
    if (!m_recent->choose(path)) {
        Platform::warning(this, QStringLiteral("Le fichier « %1 » n'existe plus. Il est retiré de la liste des fichiers récents.")
                                    .arg(path));
        return;
    }
    openFiles({path});
}

void TMainForm::Numerosdeligne1Click()
{
    // The check mark has already been inverted by the action itself.
    const bool on = action(QStringLiteral("Numerosdeligne1"))->isChecked();
    m_settings->setValue(lineNumbersKey(), on);
    m_settings->sync();
    for (TEditeur *e : editeurs())
        e->Memo1->SetLineNumbers(on);
}

void TMainForm::HelpContents() { Platform::helpContents(this); }
void TMainForm::HelpSearch() { Platform::helpSearch(this, QString()); }
void TMainForm::HelpHowToUse() { Platform::helpHowToUse(this); }

void TMainForm::HelpAboutItemClick()
{
    TAboutBox box(this);
    box.exec();
}

void TMainForm::Calendrier1Click()
{
    TCalendrier tool(this);
    tool.exec();
}

void TMainForm::Calculatrice1Click()
{
    TCalculatrice tool(this);
    tool.exec();
}

void TMainForm::Euroconversion1Click()
{
    TEuroConvert tool(this);
    tool.exec();
}

void TMainForm::Horloge1Click()
{
    THorloge tool(this);
    tool.exec();
}

void TMainForm::Blocnotes1Click() { TBlocNotes::run(this, QDir(StartDir).filePath(QStringLiteral("Pemohtml.nte"))); }

void TMainForm::setRedoEnabled(bool enabled) { action(QStringLiteral("Rtablir1"))->setEnabled(enabled); }

void TMainForm::showHistory(const TEditeur *window, const QString &undoName, const QString &redoName)
{
    if (window != activeEditeur())
        return;
    QAction *undo = action(QStringLiteral("Annuler1"));
    QAction *redo = action(QStringLiteral("Rtablir1"));
    undo->setStatusTip(undoName.isEmpty() ? undo->property("hint").toString()
                                          : QStringLiteral("Annuler : %1").arg(undoName));
    redo->setStatusTip(redoName.isEmpty() ? redo->property("hint").toString()
                                          : QStringLiteral("Rétablir : %1").arg(redoName));
    redo->setEnabled(!redoName.isEmpty());
}

void TMainForm::enablePaste() { action(QStringLiteral("PasteItem"))->setEnabled(true); }

void TMainForm::setStatusText(const QString &text) { StatusLine->setText(text); }

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (m_destroying) {
        event->accept();
        return;
    }
    // Every document window's close query, index 0 first; the first refusal
    // keeps the frame and the remaining windows open.
    for (TEditeur *e : editeurs()) {
        if (!e->FormCloseQuery()) {
            event->ignore();
            return;
        }
    }
    for (TEditeur *e : editeurs())
        e->Memo1->SetModified(false);
    mdiArea->closeAllSubWindows();
    // Every page was saved or given up by choice.
    m_recovery->removeAll();
    QDir::setCurrent(StartDir);
    event->accept();
}
