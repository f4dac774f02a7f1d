#include "Assistant.h"

#include "dialogs/NumberField.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TAssistant::TAssistant(QWidget *owner)
    : TWizardDialog(owner, QStringLiteral("Assistant projet"))
{
    setObjectName(QStringLiteral("Assistant"));
    QWidget *page = addTab(QStringLiteral("En tête de page"), "EnTete");
    Options = addDocumentFields(page, true);

    auto *heading = new QGroupBox(QStringLiteral("En tête de la page"), page);
    heading->setObjectName(QStringLiteral("EnTetePage"));
    heading->setAccessibleName(heading->title());
    auto *form = new QFormLayout(heading);
    TitrePage = lineField("TitrePage", heading);
    NiveauTitre = levelList("NiveauTitre", QStringLiteral("H1"), heading);
    NiveauTitre->setAccessibleName(QStringLiteral("Niveau du titre"));
    SousTitre = lineField("SousTitre", heading);
    NiveauSousTitre = levelList("NiveauSousTitre", QStringLiteral("H2"), heading);
    NiveauSousTitre->setAccessibleName(QStringLiteral("Niveau du sous-titre"));
    auto *titleRow = new QHBoxLayout;
    titleRow->addWidget(TitrePage, 1);
    titleRow->addWidget(NiveauTitre);
    form->addRow(labelFor(QStringLiteral("Titre"), TitrePage, heading), titleRow);
    auto *subRow = new QHBoxLayout;
    subRow->addWidget(SousTitre, 1);
    subRow->addWidget(NiveauSousTitre);
    form->addRow(labelFor(QStringLiteral("Sous-titre"), SousTitre, heading), subRow);
    page->layout()->addWidget(heading);

    for (int i = 0; i < 3; ++i)
        Paragraphes[std::size_t(i)] = addParagraphTab(i + 1);
    Pied = addFooterTab(QStringLiteral("Générer page HTML"));
    resize(520, 480);
}

TAssistant::ParagraphFields TAssistant::addParagraphTab(int number)
{
    const QByteArray n = QByteArray::number(number);
    QWidget *page = addTab(QStringLiteral("Paragraphe %1").arg(number), QByteArray("Paragraphe" + n).constData());
    ParagraphFields p;
    p.Texte = memoField(QByteArray("Texte" + n).constData(), page);
    p.Image = lineField(QByteArray("Image" + n).constData(), page);
    p.Hauteur = spinField(QByteArray("Hauteur" + n).constData(), 100, page);
    p.Largeur = spinField(QByteArray("Largeur" + n).constData(), 100, page);
    // A chosen picture keeps its proportions in the page instead of being
    // squeezed into the 100 x 100 the fields start with.
    p.ImageBtn = browseButton(QByteArray("ImageBtn" + n).constData(), QStringLiteral("Image"), p.Image, page,
                              [hauteur = p.Hauteur, largeur = p.Largeur](const QString &path) {
                                  QImageReader reader(path);
                                  reader.setDecideFormatFromContent(true);
                                  const QSize size = WizardPages::paragraphPictureSize(reader.size());
                                  if (size.isEmpty())
                                      return;
                                  largeur->setValue(size.width());
                                  hauteur->setValue(size.height());
                              });
    p.Emplacement = new QComboBox(page);
    p.Emplacement->setObjectName(QStringLiteral("Emplacement%1").arg(number));
    p.Emplacement->setEditable(true);
    p.Emplacement->addItems({QStringLiteral("Bottom"), QStringLiteral("Left"), QStringLiteral("Middle"),
                             QStringLiteral("Right"), QStringLiteral("Top")});
    p.Emplacement->setCurrentIndex(-1);
    p.Emplacement->setEditText(QString());
    p.Cadre = spinField(QByteArray("Cadre" + n).constData(), 0, page);
    p.LienTexte = lineField(QByteArray("LienTexte" + n).constData(), page);
    p.Adresse = lineField(QByteArray("Adresse" + n).constData(), page);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(labelFor(QStringLiteral("Texte du paragraphe"), p.Texte, page));
    layout->addWidget(p.Texte, 1);
    auto *form = new QFormLayout;
    auto *imageRow = new QHBoxLayout;
    imageRow->addWidget(p.Image, 1);
    imageRow->addWidget(p.ImageBtn);
    form->addRow(labelFor(QStringLiteral("Image"), p.Image, page), imageRow);
    auto *placeRow = new QHBoxLayout;
    placeRow->addWidget(p.Emplacement);
    placeRow->addWidget(labelFor(QStringLiteral("Hauteur"), p.Hauteur, page));
    placeRow->addWidget(p.Hauteur);
    placeRow->addWidget(labelFor(QStringLiteral("Largeur"), p.Largeur, page));
    placeRow->addWidget(p.Largeur);
    placeRow->addWidget(labelFor(QStringLiteral("Cadre"), p.Cadre, page));
    placeRow->addWidget(p.Cadre);
    placeRow->addStretch();
    form->addRow(labelFor(QStringLiteral("Emplacement"), p.Emplacement, page), placeRow);
    form->addRow(labelFor(QStringLiteral("Texte du lien hypertexte"), p.LienTexte, page), p.LienTexte);
    form->addRow(labelFor(QStringLiteral("Adresse"), p.Adresse, page), p.Adresse);
    layout->addLayout(form);
    return p;
}

WizardPages::PersonalSite TAssistant::fields() const
{
    WizardPages::PersonalSite s;
    s.document = documentValues(Options);
    s.titre = TitrePage->text();
    s.titreNiveau = NiveauTitre->currentText();
    s.sousTitre = SousTitre->text();
    s.sousTitreNiveau = NiveauSousTitre->currentText();
    for (std::size_t i = 0; i < Paragraphes.size(); ++i) {
        const ParagraphFields &f = Paragraphes[i];
        WizardPages::Paragraph &p = s.paragraphes[i];
        p.texte = f.Texte->toPlainText();
        p.image = f.Image->text();
        p.emplacement = f.Emplacement->currentText();
        p.hauteur = f.Hauteur->number();
        p.largeur = f.Largeur->number();
        p.cadre = f.Cadre->number();
        p.lienTexte = f.LienTexte->text();
        p.adresse = f.Adresse->text();
    }
    s.pied = Pied.values();
    return s;
}

void TAssistant::Result(QStringList &lines) const
{
    lines.clear();
    if (generated())
        lines = WizardPages::personalSite(fields());
}
