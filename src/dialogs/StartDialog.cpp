#include "StartDialog.h"

#include "dialogs/ColourSwatch.h"
#include "platform/FileDialogs.h"
#include "platform/Paths.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit *textField(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMinimumWidth(320);
    return edit;
}

} // namespace

TStartDialog::TStartDialog(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Options du document"))
{
    setObjectName(QStringLiteral("StartDialog"));
    m_titre = textField(this, "Titre");
    m_description = textField(this, "Description");
    m_motsCles = textField(this, "MotsCles");
    m_auteur = textField(this, "Auteur");
    m_imageFond = textField(this, "ImageFond");
    m_imageFond->setMinimumWidth(220);
    m_parcourir = new QPushButton(QStringLiteral("Parcourir"), this);
    m_parcourir->setObjectName(QStringLiteral("Parcourir"));
    m_parcourir->setAccessibleName(QStringLiteral("Parcourir"));
    m_parcourir->setAutoDefault(false);
    connect(m_parcourir, &QPushButton::clicked, this, &TStartDialog::browseBackground);

    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("Titre"), m_titre), m_titre);
    form->addRow(labelFor(QStringLiteral("Description"), m_description), m_description);
    form->addRow(labelFor(QStringLiteral("Mots-clés"), m_motsCles), m_motsCles);
    form->addRow(labelFor(QStringLiteral("Auteur"), m_auteur), m_auteur);
    auto *image = new QHBoxLayout;
    image->addWidget(m_imageFond, 1);
    image->addWidget(m_parcourir);
    form->addRow(labelFor(QStringLiteral("Image de fond"), m_imageFond), image);

    auto *couleurs = new QGroupBox(QStringLiteral("Couleurs"), this);
    couleurs->setObjectName(QStringLiteral("Couleurs"));
    couleurs->setAccessibleName(QStringLiteral("Couleurs"));
    auto *grid = new QGridLayout(couleurs);
    const struct {
        TColourSwatch **swatch;
        const char *name;
        QString caption;
    } swatches[] = {
        {&m_texte, "Texte", QStringLiteral("Texte")},
        {&m_fond, "Fond", QStringLiteral("Fond")},
        {&m_lien, "Lien", QStringLiteral("Lien")},
        {&m_lienVisite, "LienVisite", QStringLiteral("Lien visité")},
    };
    int column = 0;
    for (const auto &s : swatches) {
        *s.swatch = new TColourSwatch(couleurs);
        (*s.swatch)->setObjectName(QString::fromLatin1(s.name));
        auto *label = labelFor(s.caption, *s.swatch);
        label->setParent(couleurs);
        label->setAlignment(Qt::AlignHCenter);
        grid->addWidget(*s.swatch, 0, column, Qt::AlignHCenter);
        grid->addWidget(label, 1, column, Qt::AlignHCenter);
        ++column;
    }

    QHBoxLayout *buttons = makeButtonRow();

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(couleurs);
    layout->addLayout(buttons);
}

void TStartDialog::Init(const QStringList &lines, const QString &dossier)
{
    m_dossier = dossier;
    m_read = DocumentHeader::read(lines);
    m_titre->setText(m_read.titre);
    m_description->setText(m_read.description);
    m_motsCles->setText(m_read.motsCles);
    m_auteur->setText(m_read.auteur);
    m_imageFond->setText(m_read.imageFond);
    m_texte->setColour(m_read.texte.found ? m_read.texte.color : QColor());
    m_fond->setColour(m_read.fond.found ? m_read.fond.color : QColor());
    m_lien->setColour(m_read.lien.found ? m_read.lien.color : QColor());
    m_lienVisite->setColour(m_read.lienVisite.found ? m_read.lienVisite.color : QColor());
}

DocumentHeader::Fields TStartDialog::fields() const
{
    DocumentHeader::Fields f = m_read;
    f.titre = m_titre->text();
    f.description = m_description->text();
    f.motsCles = m_motsCles->text();
    f.auteur = m_auteur->text();
    f.imageFond = m_imageFond->text();
    const auto colour = [](const TColourSwatch *swatch, DocumentHeader::Colour &c) {
        c.chosen = swatch->chosen();
        if (swatch->chosen())
            c.color = swatch->colour();
    };
    colour(m_texte, f.texte);
    colour(m_fond, f.fond);
    colour(m_lien, f.lien);
    colour(m_lienVisite, f.lienVisite);
    return f;
}

QStringList TStartDialog::Result(const QStringList &lines) const
{
    if (!confirmed())
        return lines;
    return DocumentHeader::write(lines, fields());
}

void TStartDialog::browseBackground()
{
    Platform::FileDialogRequest request;
    request.kind = Platform::FileDialogKind::Open;
    request.title = QStringLiteral("Image de fond");
    request.filter = QStringLiteral("Images Gif (*.gif)|*.gif|Images Jpeg (*.jpg)|*.jpg");
    request.fileName = QStringLiteral("*.gif");
    request.directory = m_dossier;
    request.picturePreview = true;
    const Platform::FileDialogResult chosen = Platform::runFileDialog(this, request);
    if (!chosen.accepted || chosen.path.isEmpty())
        return;
    m_imageFond->setText(Platform::relativePath(chosen.path, m_dossier));
}
