#include "Cv.h"

#include "platform/FileDialogs.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QPlainTextEdit *memoTab(QWidget *page, QLabel *label, QPlainTextEdit *memo)
{
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(label);
    layout->addWidget(memo, 1);
    return memo;
}

} // namespace

TCv::TCv(QWidget *owner)
    : TWizardDialog(owner, QStringLiteral("Curriculum vitae"))
{
    setObjectName(QStringLiteral("Cv"));
    QWidget *head = addTab(QStringLiteral("En-tête de page"), "EnTete");
    Options = addDocumentFields(head, true);
    static_cast<QVBoxLayout *>(head->layout())->addStretch();

    QWidget *identity = addTab(QStringLiteral("Identité"), "Identite");
    Nom = lineField("Nom", identity);
    Adresse1 = lineField("Adresse1", identity);
    Adresse2 = lineField("Adresse2", identity);
    CpVille = lineField("CpVille", identity);
    Telephone1 = lineField("Telephone1", identity);
    Telephone2 = lineField("Telephone2", identity);
    Photo = lineField("Photo", identity);
    PhotoBtn = new QPushButton(QStringLiteral("..."), identity);
    PhotoBtn->setObjectName(QStringLiteral("PhotoBtn"));
    PhotoBtn->setAccessibleName(QStringLiteral("Choisir la photo"));
    PhotoBtn->setAutoDefault(false);
    PhotoBtn->setFixedWidth(32);
    connect(PhotoBtn, &QPushButton::clicked, this, &TCv::choosePhoto);
    Image1 = new QLabel(identity);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAccessibleName(QStringLiteral("Aperçu de la photo"));
    Image1->setFixedSize(96, 120);
    Image1->setFrameShape(QFrame::StyledPanel);
    Image1->setScaledContents(true); // the photo is stretched to the frame
    Accroche = lineField("Accroche", identity);
    Accroche->setText(QStringLiteral("TITRE DU CV"));
    makeLarge(Accroche);

    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("Prénom Nom"), Nom, identity), Nom);
    form->addRow(labelFor(QStringLiteral("Adresse"), Adresse1, identity), Adresse1);
    // Both lines are labelled, the second told apart for screen readers.
    form->addRow(labelFor(QStringLiteral("Adresse"), Adresse2, identity), Adresse2);
    Adresse2->setAccessibleName(QStringLiteral("Adresse (suite)"));
    form->addRow(labelFor(QStringLiteral("Cp ville"), CpVille, identity), CpVille);
    form->addRow(labelFor(QStringLiteral("Téléphone"), Telephone1, identity), Telephone1);
    form->addRow(labelFor(QStringLiteral("Téléphone"), Telephone2, identity), Telephone2);
    Telephone2->setAccessibleName(QStringLiteral("Téléphone (second)"));
    auto *photoRow = new QHBoxLayout;
    photoRow->addWidget(Photo, 1);
    photoRow->addWidget(PhotoBtn);
    form->addRow(labelFor(QStringLiteral("Photo"), Photo, identity), photoRow);
    auto *grid = new QGridLayout(identity);
    grid->addLayout(form, 0, 0);
    grid->addWidget(Image1, 0, 1, Qt::AlignTop);
    grid->addWidget(labelFor(QStringLiteral("Accroche"), Accroche, identity), 1, 0, 1, 2);
    grid->addWidget(Accroche, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);

    QWidget *work = addTab(QStringLiteral("Expérience"), "ExperienceTab");
    Experience = memoField("Experience", work);
    memoTab(work, labelFor(QStringLiteral("Expérience professionnelle"), Experience, work), Experience);
    QWidget *studies = addTab(QStringLiteral("Etudes"), "EtudesTab");
    Etudes = memoField("Etudes", studies);
    memoTab(studies, labelFor(QStringLiteral("Etudes"), Etudes, studies), Etudes);
    QWidget *other = addTab(QStringLiteral("Divers"), "DiversTab");
    Divers = memoField("Divers", other);
    memoTab(other, labelFor(QStringLiteral("Centres d'intérêt"), Divers, other), Divers);
    Pied = addFooterTab(QStringLiteral("Générer page HTML"));

    connect(PageControl1, &QTabWidget::currentChanged, this, &TCv::PageControl1Change);
    resize(520, 460);
}

void TCv::PageControl1Change(int index)
{
    QWidget *first = nullptr;
    switch (index) {
    case 1: first = Nom; break;
    case 2: first = Experience; break;
    case 3: first = Etudes; break;
    case 4: first = Divers; break;
    case 5: first = Pied.Pied; break;
    default: break;
    }
    if (first)
        first->setFocus();
}

void TCv::choosePhoto()
{
    Platform::FileDialogRequest request;
    request.kind = Platform::FileDialogKind::Open;
    request.title = QStringLiteral("Photo");
    request.filter = QStringLiteral("Tout (*.jpg;*.jpeg;*.gif)|*.jpg;*.jpeg;*.gif|JPEG Image File (*.jpg)|*.jpg|"
                                    "JPEG Image File (*.jpeg)|*.jpeg|GIF Image (*.gif)|*.gif");
    request.picturePreview = true;
    const Platform::FileDialogResult chosen = Platform::runFileDialog(this, request);
    if (!chosen.accepted || chosen.path.isEmpty())
        return;
    Photo->setText(chosen.path);
    showPhoto();
}

void TCv::showPhoto()
{
    QImageReader reader(Photo->text());
    reader.setDecideFormatFromContent(true);
    // Only the preview's size is needed: large photos are read reduced.
    const QSize full = reader.size();
    if (full.isValid())
        reader.setScaledSize(full.scaled(Image1->size() * 2, Qt::KeepAspectRatioByExpanding)
                                 .boundedTo(full));
    const QImage picture = reader.read();
    Image1->setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
}

WizardPages::Cv TCv::fields() const
{
    WizardPages::Cv cv;
    cv.document = documentValues(Options);
    cv.nom = Nom->text();
    cv.adresse1 = Adresse1->text();
    cv.adresse2 = Adresse2->text();
    cv.cpVille = CpVille->text();
    cv.telephone1 = Telephone1->text();
    cv.telephone2 = Telephone2->text();
    cv.photo = Photo->text();
    if (!cv.photo.isEmpty()) {
        QImageReader reader(cv.photo);
        reader.setDecideFormatFromContent(true);
        cv.photoSize = reader.size();
    }
    cv.accroche = Accroche->text();
    cv.experience = Experience->toPlainText();
    cv.etudes = Etudes->toPlainText();
    cv.divers = Divers->toPlainText();
    cv.pied = Pied.values();
    return cv;
}

void TCv::Result(QStringList &lines) const
{
    lines.clear();
    if (generated())
        lines = WizardPages::curriculumVitae(fields());
}
