#include "WizardDialog.h"

#include "dialogs/HtmlEntity.h"
#include "dialogs/ColourSwatch.h"
#include "dialogs/NumberField.h"
#include "platform/FileDialogs.h"
#include "platform/Paths.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

bool Accents(QChar key, QPlainTextEdit *memo)
{
    const QStringView entity = HtmlEntity::accent(key);
    if (entity.isEmpty())
        return false;
    memo->textCursor().insertText(entity.toString());
    return true;
}

TWizardDialog::TWizardDialog(QWidget *owner, const QString &caption)
    : QDialog(owner)
{
    setWindowTitle(caption);
    setAccessibleName(caption);
    setModal(true);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    // Every tab stays in sight: the window is made wide enough for the whole
    // row instead of hiding tabs behind scroll arrows.
    PageControl1->setUsesScrollButtons(false);
    PageControl1->setElideMode(Qt::ElideNone);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
}

void TWizardDialog::showEvent(QShowEvent *event)
{
    m_generate = false;
    PageControl1->setCurrentIndex(0);
    m_baseFolder = Platform::currentDirWithSeparator();
    // What is typed at once goes into the first field of the first page.
    if (QWidget *page = PageControl1->currentWidget()) {
        for (QWidget *w = page->nextInFocusChain(); w && w != page; w = w->nextInFocusChain()) {
            if (page->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled()) {
                w->setFocus();
                break;
            }
        }
    }
    QDialog::showEvent(event);
}

void TWizardDialog::reject()
{
    m_generate = false;
    QDialog::reject();
}

void TWizardDialog::generate()
{
    m_generate = true;
    accept();
}

bool TWizardDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *memo = qobject_cast<QPlainTextEdit *>(watched);
        const QString typed = static_cast<QKeyEvent *>(event)->text();
        if (memo && typed.size() == 1 && Accents(typed.at(0), memo))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

QWidget *TWizardDialog::addTab(const QString &title, const char *name)
{
    auto *page = new QWidget(PageControl1);
    page->setObjectName(QString::fromLatin1(name));
    page->setAccessibleName(title);
    PageControl1->addTab(page, title);
    return page;
}

QLabel *TWizardDialog::labelFor(const QString &caption, QWidget *field, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setBuddy(field);
    field->setAccessibleName(caption);
    return label;
}

QLineEdit *TWizardDialog::lineField(const char *name, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QPlainTextEdit *TWizardDialog::memoField(const char *name, QWidget *parent)
{
    auto *memo = new QPlainTextEdit(parent);
    memo->setObjectName(QString::fromLatin1(name));
    memo->setTabChangesFocus(true);
    memo->installEventFilter(this);
    return memo;
}

TNumberField *TWizardDialog::spinField(const char *name, int value, QWidget *parent)
{
    auto *spin = new TNumberField(value, 0, 0, parent);
    spin->setObjectName(QString::fromLatin1(name));
    return spin;
}

QComboBox *TWizardDialog::levelList(const char *name, const QString &level, QWidget *parent)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    for (int i = 1; i <= 6; ++i)
        list->addItem(QStringLiteral("H%1").arg(i));
    list->setCurrentText(level);
    return list;
}

QPushButton *TWizardDialog::browseButton(const char *name, const QString &title, QLineEdit *field, QWidget *parent,
                                         std::function<void(const QString &)> chosen)
{
    auto *button = new QPushButton(QStringLiteral("..."), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(title);
    button->setAutoDefault(false);
    button->setFixedWidth(32);
    connect(button, &QPushButton::clicked, this, [this, title, field, chosen] {
        Platform::FileDialogRequest request;
        request.kind = Platform::FileDialogKind::Open;
        request.title = title;
        request.filter = QStringLiteral("Images Gif (*.gif)|*.gif|Images Jpeg (*.jpg)|*.jpg");
        request.fileName = QStringLiteral("*.gif;*.jpg");
        request.directory = m_baseFolder;
        request.picturePreview = true;
        const Platform::FileDialogResult answer = Platform::runFileDialog(this, request);
        if (!answer.accepted || answer.path.isEmpty())
            return;
        field->setText(Platform::relativePath(answer.path, m_baseFolder));
        if (chosen)
            chosen(answer.path);
    });
    return button;
}

QGroupBox *TWizardDialog::colourGroup(QWidget *parent)
{
    auto *group = new QGroupBox(QStringLiteral("Couleurs"), parent);
    group->setObjectName(QStringLiteral("Couleurs"));
    group->setAccessibleName(QStringLiteral("Couleurs"));
    auto *grid = new QGridLayout(group);
    const struct {
        TColourSwatch **swatch;
        const char *name;
        QString caption;
        QColor colour;
    } swatches[] = {
        {&Texte, "Texte", QStringLiteral("Texte"), Qt::black},
        {&Fond, "Fond", QStringLiteral("Fond"), Qt::white},
        {&Lien, "Lien", QStringLiteral("Lien"), QColor(0x00, 0x00, 0xFF)},
        {&LienVisite, "LienVisite", QStringLiteral("Lien visité"), QColor(0x00, 0xFF, 0x00)},
    };
    int column = 0;
    for (const auto &s : swatches) {
        auto *swatch = new TColourSwatch(group);
        swatch->setObjectName(QString::fromLatin1(s.name));
        swatch->setColour(s.colour);
        // Any click counts, even when the colour dialog is then cancelled.
        connect(swatch, &QAbstractButton::clicked, this, [this] { m_coloursChosen = true; });
        *s.swatch = swatch;
        auto *label = labelFor(s.caption, swatch, group);
        label->setAlignment(Qt::AlignHCenter);
        grid->addWidget(swatch, 0, column, Qt::AlignHCenter);
        grid->addWidget(label, 1, column, Qt::AlignHCenter);
        ++column;
    }
    return group;
}

QWidget *TWizardDialog::buttonRow(const QString &generateCaption, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch();
    Annuler = new QPushButton(QStringLiteral("Annuler"), row);
    Annuler->setObjectName(QStringLiteral("Annuler"));
    Annuler->setAccessibleName(QStringLiteral("Annuler"));
    Annuler->setAutoDefault(false);
    connect(Annuler, &QPushButton::clicked, this, &TWizardDialog::reject);
    Generer = new QPushButton(generateCaption, row);
    Generer->setObjectName(QStringLiteral("Generer"));
    Generer->setAccessibleName(generateCaption);
    Generer->setAutoDefault(false);
    connect(Generer, &QPushButton::clicked, this, [this] { generate(); });
    layout->addWidget(Annuler);
    layout->addWidget(Generer);
    return row;
}

void TWizardDialog::makeLarge(QLineEdit *field)
{
    QFont large = field->font();
    large.setPointSize(large.pointSize() + 6);
    large.setBold(true);
    field->setFont(large);
}

WizardPages::Colours TWizardDialog::colours() const
{
    WizardPages::Colours c;
    c.texte = Texte->colour();
    c.fond = Fond->colour();
    c.lien = Lien->colour();
    c.lienVisite = LienVisite->colour();
    c.chosen = m_coloursChosen;
    return c;
}

TWizardDialog::DocumentFields TWizardDialog::addDocumentFields(QWidget *page, bool withImage)
{
    DocumentFields f;
    auto *group = new QGroupBox(QStringLiteral("Options du document"), page);
    group->setObjectName(QStringLiteral("OptionsDocument"));
    group->setAccessibleName(group->title());
    auto *form = new QFormLayout(group);
    f.Titre = lineField("Titre", group);
    f.Description = lineField("Description", group);
    f.Auteur = lineField("Auteur", group);
    f.Auteur->setText(QStringLiteral("Pemo HTML"));
    form->addRow(labelFor(QStringLiteral("Titre"), f.Titre, group), f.Titre);
    form->addRow(labelFor(QStringLiteral("Description"), f.Description, group), f.Description);
    form->addRow(labelFor(QStringLiteral("Auteur"), f.Auteur, group), f.Auteur);
    if (withImage) {
        f.ImageFond = lineField("ImageFond", group);
        auto *row = new QHBoxLayout;
        row->addWidget(f.ImageFond, 1);
        row->addWidget(browseButton("ImageFondBtn", QStringLiteral("Image de fond"), f.ImageFond, group));
        form->addRow(labelFor(QStringLiteral("Image de fond"), f.ImageFond, group), row);
    }
    form->addRow(colourGroup(group));
    if (!page->layout())
        new QVBoxLayout(page);
    page->layout()->addWidget(group);
    return f;
}

WizardPages::Document TWizardDialog::documentValues(const DocumentFields &f) const
{
    WizardPages::Document d;
    d.titre = f.Titre->text();
    d.description = f.Description->text();
    d.auteur = f.Auteur->text();
    if (f.ImageFond)
        d.imageFond = f.ImageFond->text();
    d.couleurs = colours();
    return d;
}

TWizardDialog::FooterFields TWizardDialog::addFooterTab(const QString &generateCaption)
{
    QWidget *page = addTab(QStringLiteral("Pied de page"), "PiedDePage");
    FooterFields f;
    f.Pied = memoField("Pied", page);
    f.LienMail = lineField("LienMail", page);
    f.AdresseMail = lineField("AdresseMail", page);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(labelFor(QStringLiteral("Texte du pied de la page"), f.Pied, page));
    layout->addWidget(f.Pied, 1);
    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("Texte du lien e.mail"), f.LienMail, page), f.LienMail);
    form->addRow(labelFor(QStringLiteral("Adresse e.mail"), f.AdresseMail, page), f.AdresseMail);
    layout->addLayout(form);
    layout->addWidget(buttonRow(generateCaption, page));
    return f;
}

WizardPages::Footer TWizardDialog::FooterFields::values() const
{
    return {Pied->toPlainText(), LienMail->text(), AdresseMail->text()};
}
