#include "PageScriptDialogs.h"

#include "platform/FileDialogs.h"
#include "platform/Paths.h"
#include "scripts/ScriptEffects.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QString allPictures = QStringLiteral(
    "Tout (*.jpg;*.jpeg;*.gif;*.bmp;*.ico;*.emf;*.wmf)|*.jpg;*.jpeg;*.gif;*.bmp;*.ico;*.emf;*.wmf|"
    "JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|GIF Image (*.gif)|*.gif|"
    "Bitmaps (*.bmp)|*.bmp|Icônes (*.ico)|*.ico|MétaFichiers améliorés (*.emf)|*.emf|MetaFichiers (*.wmf)|*.wmf");
const QString webPictures = QStringLiteral(
    "Tout (*.jpg;*.jpeg;*.gif)|*.jpg;*.jpeg;*.gif|JPEG Image File (*.jpg)|*.jpg|"
    "JPEG Image File (*.jpeg)|*.jpeg|GIF Image (*.gif)|*.gif");

// The chosen picture's path, or nothing when the user cancelled.
QString askPicture(QWidget *parent, const QString &filter)
{
    Platform::FileDialogRequest request;
    request.filter = filter;
    request.picturePreview = true;
    const Platform::FileDialogResult chosen = Platform::runFileDialog(parent, request);
    return chosen.accepted ? chosen.path : QString();
}

QPushButton *browseButton(QWidget *parent, int index)
{
    auto *button = new QPushButton(QStringLiteral("..."), parent);
    button->setObjectName(QStringLiteral("Parcourir%1").arg(index));
    button->setAccessibleName(QStringLiteral("Choisir l'image %1").arg(index));
    button->setAutoDefault(false);
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    return button;
}

} // namespace

// --- TImgalea

TImgalea::TImgalea(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Image aléatoire"))
{
    setObjectName(QStringLiteral("Imgalea"));
    m_base = Platform::currentDirWithSeparator();
    auto *form = new QFormLayout;
    for (int i = 1; i <= 5; ++i) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("Image%1").arg(i));
        auto *browse = browseButton(this, i);
        connect(browse, &QPushButton::clicked, this, [this, i] { choose(i - 1); });
        auto *row = new QHBoxLayout;
        row->addWidget(edit);
        row->addWidget(browse);
        form->addRow(labelFor(QStringLiteral("Image %1").arg(i), edit), row);
        m_images << edit;
    }
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(makeCancelOkRow());
    resize(420, sizeHint().height());
    m_images.first()->setFocus();
}

void TImgalea::Init(const QString &pageFolder)
{
    m_pageFolder = pageFolder;
    m_base = pageFolder.isEmpty() ? Platform::currentDirWithSeparator() : pageFolder;
}

bool TImgalea::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && m_pageFolder.isEmpty())
        m_base = Platform::currentDirWithSeparator();
    return TInsertDialog::event(event);
}

void TImgalea::choose(int index)
{
    const QString path = askPicture(this, allPictures);
    if (!path.isEmpty())
        m_images.at(index)->setText(Platform::relativePath(path, m_base));
}

void TImgalea::Result(QString &head, QString &body) const
{
    head.clear();
    body.clear();
    if (!confirmed())
        return;
    QStringList pictures;
    for (const QLineEdit *edit : m_images)
        pictures << edit->text();
    const ScriptEffects::Pieces pieces = ScriptEffects::randomPicture(pictures);
    head = pieces.head;
    body = pieces.body;
}

// --- TRollover

TRollover::TRollover(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Rollover"))
{
    setObjectName(QStringLiteral("Rollover"));
    m_base = Platform::currentDirWithSeparator();
    m_image1 = new QLineEdit(this);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image2 = new QLineEdit(this);
    m_image2->setObjectName(QStringLiteral("Image2"));
    m_box = new QLabel(this);
    m_box->setObjectName(QStringLiteral("Apercu"));
    m_box->setAccessibleName(QStringLiteral("Aperçu"));
    m_box->setFixedSize(40, 40);
    m_box->setScaledContents(true);
    m_box->setFrameShape(QFrame::StyledPanel);
    m_box->setMouseTracking(true);
    m_box->installEventFilter(this);
    setMouseTracking(true);

    auto *form = new QFormLayout;
    const auto row = [this, form](QLineEdit *edit, int index) {
        auto *browse = browseButton(this, index);
        connect(browse, &QPushButton::clicked, this, [this, index] { choose(index); });
        auto *line = new QHBoxLayout;
        line->addWidget(edit);
        line->addWidget(browse);
        form->addRow(labelFor(QStringLiteral("Image %1").arg(index), edit), line);
    };
    row(m_image1, 1);
    row(m_image2, 2);
    auto *boxRow = new QHBoxLayout;
    boxRow->addStretch();
    boxRow->addWidget(m_box);
    boxRow->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(boxRow);
    layout->addLayout(makeCancelOkRow());
    resize(420, sizeHint().height());
    m_image1->setFocus();
}

void TRollover::Init(const QString &pageFolder)
{
    m_pageFolder = pageFolder;
    m_base = pageFolder.isEmpty() ? Platform::currentDirWithSeparator() : pageFolder;
}

bool TRollover::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && m_pageFolder.isEmpty())
        m_base = Platform::currentDirWithSeparator();
    return TInsertDialog::event(event);
}

void TRollover::choose(int index)
{
    const QString path = askPicture(this, webPictures);
    if (path.isEmpty())
        return;
    (index == 1 ? m_image1 : m_image2)->setText(Platform::relativePath(path, m_base));
    m_pictures[index - 1] = QPixmap(path);
    showPicture(index);
}

void TRollover::showPicture(int picture)
{
    m_shown = picture;
    m_box->setPixmap(picture > 0 ? m_pictures[picture - 1] : QPixmap());
}

bool TRollover::eventFilter(QObject *watched, QEvent *event)
{
    // The box shows the second picture while the mouse is over the first,
    // as the page will.
    if (watched == m_box) {
        if (event->type() == QEvent::MouseMove) {
            if (m_shown == 1)
                showPicture(2);
            // Taken here, or it would reach the dialog, which shows the
            // first picture again.
            return true;
        }
        if (event->type() == QEvent::Leave && m_shown == 2)
            showPicture(1);
    }
    return TInsertDialog::eventFilter(watched, event);
}

void TRollover::mouseMoveEvent(QMouseEvent *event)
{
    if (m_shown == 2)
        showPicture(1);
    TInsertDialog::mouseMoveEvent(event);
}

void TRollover::Result(QString &head, QString &body) const
{
    head.clear();
    body.clear();
    if (!confirmed())
        return;
    const ScriptEffects::Pieces pieces =
        ScriptEffects::rollover(m_image1->text(), m_image2->text(), m_box->width(), m_box->height());
    head = pieces.head;
    body = pieces.body;
}

// --- TFavoris

TFavoris::TFavoris(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Ajouter aux favoris"))
{
    setObjectName(QStringLiteral("Favoris"));
    m_adresse = new QLineEdit(QStringLiteral("http://www.adresse-de-votre-site.com"), this);
    m_adresse->setObjectName(QStringLiteral("Adresse"));
    m_titre = new QLineEdit(QStringLiteral("Titre du site"), this);
    m_titre->setObjectName(QStringLiteral("Titre"));
    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("Adresse du site"), m_adresse), m_adresse);
    form->addRow(labelFor(QStringLiteral("Titre du site"), m_titre), m_titre);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(makeCancelOkRow());
    resize(420, sizeHint().height());
    m_adresse->setFocus();
    m_adresse->selectAll();
}

void TFavoris::Result(QString &head, QString &body) const
{
    head.clear();
    body.clear();
    if (!confirmed())
        return;
    const ScriptEffects::Pieces pieces = ScriptEffects::favourites(m_adresse->text(), m_titre->text());
    head = pieces.head;
    body = pieces.body;
}

// --- TImprime

TImprime::TImprime(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Imprimer la page"))
{
    setObjectName(QStringLiteral("Imprime"));
    auto *group = new QGroupBox(QStringLiteral("Type"), this);
    group->setObjectName(QStringLiteral("Type"));
    group->setAccessibleName(QStringLiteral("Type"));
    m_lien = new QRadioButton(QStringLiteral("Lien texte"), group);
    m_lien->setObjectName(QStringLiteral("LienTexte"));
    m_lien->setAccessibleName(QStringLiteral("Lien texte"));
    m_bouton = new QRadioButton(QStringLiteral("Bouton"), group);
    m_bouton->setObjectName(QStringLiteral("Bouton"));
    m_bouton->setAccessibleName(QStringLiteral("Bouton"));
    m_bouton->setChecked(true);
    auto *radios = new QVBoxLayout(group);
    radios->addWidget(m_lien);
    radios->addWidget(m_bouton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(makeCancelOkRow());
    resize(280, sizeHint().height());
}

void TImprime::Result(QString &text) const
{
    text.clear();
    if (confirmed())
        text = ScriptEffects::printPage(m_bouton->isChecked());
}
