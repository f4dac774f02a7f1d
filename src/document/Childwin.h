#pragma once
// TEditeur: the document window. It shows one page (TPage: the text, its
// file, its history) in a source pane and a preview, and conducts the
// commands and dialogs that act on it.
#include "document/FileTimes.h"
#include "page/Page.h"

#include <QColor>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <optional>

class DiskWatch;
namespace Recovery {
struct Copy;
}
class QSplitter;
class QTimer;
class TColorMemo;
class THtmlView;
class TFrameServices;
class TSearchDialog;
class TFindDialog;
class TReplaceDialog;
class QPrinter;

class TEditeur : public QWidget
{
    Q_OBJECT
public:
    explicit TEditeur(TFrameServices *frame, QWidget *parent = nullptr);
    ~TEditeur() override;

    static const QStringList &pageTemplate();

    TPage *page() const { return m_page; }
    TColorMemo *Memo1 = nullptr;
    QSplitter *Splitter1 = nullptr;
    THtmlView *HtmlView1 = nullptr;

    // --- file handling and history
    void Init(const QStringList &lines);
    void OpenFile(const QString &path);
    // Both answer whether the page was written.
    bool Enregistrer();
    bool SaveAs();
    QString GetFichier() const;
    // The page is unmodified and holds what its file held when it was last
    // read or written there: saving it would change nothing.
    bool holdsItsFile() const;
    void SetFichier(const QString &name);
    QString GetDossier() const;
    // Opens the step of the history that the command about to change the
    // page fills; one "Annuler" takes all of it back.
    void Memorise();
    void Annuler();
    void Retablir();
    bool redoAvailable() const;
    PageFile::Encoding encoding() const;
    // The file's line-break style and final break, kept when it is saved.
    PageFile::Breaks breaks() const;

    // The XML form of empty elements, applied to the source pane.
    void Genxml();

    // --- tag commands (wrap pairs, caret inserts, dialog inserts, entity keys)
    // Replaces the selection by text; the caret ends after it.
    void ReplaceSelection(const QString &text);
    void Police(const QString &font);
    void Gras();
    void Italique();
    void Souligne();
    void Barre();
    void Indice();
    void Exposant();
    void Preformat();
    void Gauche();
    void Droite();
    void Centre();
    void H1();
    void H2();
    void H3();
    void H4();
    void H5();
    void H6();
    void Paragraphe();
    void Commentaire();
    void Url2();
    void RetourChariot();
    void Ancrage();
    void Couleur();
    void Url();
    void Image();
    void Son();
    void Css();
    // Typed characters of the entity table become their entity; *handled
    // tells the pane that the key was taken.
    void Memo1KeyPress(QChar key, bool *handled);

    // --- find, replace, clipboard, printing
    void Chercher();
    void Find(TSearchDialog *dialog);
    void Continuer();
    void Remplacer();
    void Replace(bool all);
    void ToutSelectionner();
    void Copier();
    void Couper();
    void Coller();
    void Imprimer();
    void OptEdit();
    TFindDialog *findDialog() const { return FindDialog1; }
    TReplaceDialog *replaceDialog() const { return ReplaceDialog1; }

    // --- whole-text commands, page check, statistics
    void Convertir();
    void Casse();
    void Indenter();
    void Compacter();
    // Throws Platform::PemoError when the text file cannot be written.
    void Exporte();
    void Validation();
    void Statistiques();

    // --- document options and structure dialogs
    void Options();
    void Tableau();
    void Liste();
    void Horizontal();
    void LienAncrage();
    void LienMail();
    void Balises();

    // --- form-control, character and style dialogs
    void FormDef();
    void FormSaisie();
    void FormTexte();
    void FormCocher();
    void FormBtnRadio();
    void FormMenu();
    void FormEnvoi();
    void FormRaz();
    void Caracts();
    void Smil();
    // Edits the page's style section and writes it back into the head.
    void Section();

    // --- script generators
    void JsScript();
    void JsFor();
    void JsWhile();
    void JsIf();
    void JsCles();
    void Applet();
    void Ilot();
    void JsDefile();
    void JsDegrade();
    void JsAnime();
    void JsMessalea();
    void JsCompte();
    void JsImgalea();
    void JsRollover();
    void JsFavoris();
    void JsImprime();
    void JsCookie();
    // A script in two pieces: the body piece replaces the selection and the
    // head piece goes on lines of its own before the line closing the page's
    // head (dropped when there is none), under one snapshot. Nothing happens
    // when the head piece is empty (a cancelled dialog).
    void PlaceScript(const QString &head, const QString &body);

    // --- imports (text, RTF)
    // A text or HTML file, or an RTF file converted to HTML, replaces the
    // selection. Throw Platform::PemoError when the file cannot be read;
    // the text is then unchanged.
    void Importer();
    void Importrtf();

    // --- pictures (animated GIF editor, picture window)
    // Both take the selection, quotes stripped, as the picture's file name.
    void EditGif();
    void EditImage();
    // Reduced copies of chosen pictures beside them, and a table of them
    // linked to the full-size pictures in place of the selection. Throws
    // Platform::PemoError when a picture cannot be read or written.
    void Vignettes();


    // --- changes made to the page's file by other programs
    // The file is watched from the moment it is opened or written. When it
    // changes, an unmodified page takes the new content in at once (one
    // step that "Annuler" takes back), keeping the caret's line and the
    // scroll place; a modified page asks first. A removed file marks the
    // window " (supprimé)" and the page as modified; the next save writes
    // it again.
    DiskWatch *diskWatch() const { return m_diskWatch; }
    bool fileRemoved() const { return m_fileRemoved; }
    // Throws Platform::PemoError when the file cannot be read.
    void ReloadFromDisk();
    // A copy kept from a program that stopped with unsaved changes becomes
    // this page: modified, and bound to the file it came from (if any) so
    // that "Enregistrer" writes there.
    void RestoreCopy(const Recovery::Copy &copy);

    // --- preview
    // Any change of the source text: the refresh timer runs (a running
    // timer keeps its rhythm).
    void Memo1Change();
    // The refresh timer's tick: with automatic refresh on, the preview is
    // rebuilt at its place and the timer stops until the next change.
    void MajView();
    // Manual refresh: the page's folder becomes current, then the preview
    // is rebuilt at its place. Throws Platform::PemoError when the folder
    // cannot be made current.
    void Actualiser();
    void Actauto(bool on);
    bool autoActualise() const { return AutoActualise; }
    void HtmlView1HotSpotCovered(const QString &target);
    void HtmlView1HotSpotClick(const QString &target, bool *handled);
    void HtmlView1FormSubmit(const QString &action, const QString &target, const QString &encType,
                             const QString &method, const QStringList &entries);
    QTimer *Timer1 = nullptr;

    // --- life cycle
    void FormActivate();
    bool FormCloseQuery();

    TFrameServices *frame() const { return m_frame; }

Q_SIGNALS:
    void captionChanged(const QString &caption);
    // The page was opened from or written to this file.
    void fileUsed(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void writeTo(const QString &path);
    void applyInset();

    // What "Annuler" and "Rétablir" offer, shown by the frame.
    void showHistory();

    TFrameServices *m_frame;
    TPage *m_page;
    bool AutoActualise = false;

    // --- tag commands (state)
    void wrap(const QString &open, const QString &close);
    std::optional<QString> chooseLinkTarget(const QString &title, const QString &filter,
                                            const QString &fileName, bool picture);
    QColor m_lastColor;

    // --- find, replace, clipboard, printing (state)
    void ensureSearchDialogs();
    TFindDialog *FindDialog1 = nullptr;
    TReplaceDialog *ReplaceDialog1 = nullptr;
    std::shared_ptr<QPrinter> m_ownPrinter; // when no frame lends its printer

    // --- changes on disk (state)
    void setupDiskWatch();
    // Watches path, which holds bytes since the file system gave `times`.
    void watchFile(const QString &path, const QByteArray &bytes, const FileTimes &times);
    void fileChangedOnDisk();
    void fileRemovedFromDisk();
    void setRemovedMark(bool removed);
    DiskWatch *m_diskWatch = nullptr;
    bool m_fileRemoved = false;

    // --- preview (state)
    void setupPreview();
    // Shows the page in the preview now; `asked` when the user asked for it
    // (a big page is then rendered all the same).
    void showPreview(bool asked);
    void rebuildPreview(bool keepPlace, bool asked);
    static void storedToPage(QString &text);
    // The page's change count when the preview was last asked to show it.
    quint64 m_previewedChanges = ~quint64(0);
};
