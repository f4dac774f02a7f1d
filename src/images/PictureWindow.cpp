#include "PictureWindow.h"

#include "images/GifReader.h"
#include "images/GifWriter.h"
#include "images/JpegCodec.h"
#include "images/ResizeDialog.h"
#include "images/Resample.h"
#include "platform/Errors.h"
#include "platform/FileDialogs.h"
#include "platform/Messages.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QMouseEvent>
#include <QRubberBand>
#include <QScrollArea>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString PictureFilter = QStringLiteral("Images Gif (*.gif)|*.gif|Images Jpeg (*.jpg)|*.jpg");

bool isJpegName(const QString &name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    return suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg");
}

// GIF and JPEG by their contents; other pictures Qt reads are accepted too.
// images receives the number of images in the file (a GIF may hold several).
QImage loadPicture(const QString &path, int &images)
{
    images = 1;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Platform::PemoError(QStringLiteral("Impossible d'ouvrir le fichier %1.\n%2")
                                      .arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Platform::PemoError(QStringLiteral("Erreur de lecture du fichier %1.\n%2")
                                      .arg(path, file.errorString()));
    if (bytes.startsWith("GIF8")) {
        const GifReader::Animation animation = GifReader::decode(bytes, path);
        if (animation.frames.isEmpty())
            throw Platform::PemoError(QStringLiteral("Le fichier %1 ne contient aucune image.").arg(path));
        images = int(animation.frames.size());
        // Shown and saved as the program always showed GIFs: on white.
        return animation.frames.first().convertToFormat(QImage::Format_RGB32);
    }
    if (bytes.startsWith("\xFF\xD8"))
        return JpegCodec::decode(bytes, path);
    QImage other = QImage::fromData(bytes);
    if (other.isNull())
        throw Platform::PemoError(QStringLiteral("Le fichier %1 n'est pas une image GIF ou JPEG.").arg(path));
    return other.convertToFormat(QImage::Format_RGB32);
}

QToolButton *tool(QWidget *parent, QHBoxLayout *row, const char *name, const QString &text,
                  QStyle::StandardPixmap icon = QStyle::SP_CustomBase)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(text);
    b->setAccessibleName(text);
    if (icon != QStyle::SP_CustomBase) {
        b->setIcon(parent->style()->standardIcon(icon));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    row->addWidget(b);
    return b;
}

// The pixels between two mouse positions: from 10 to 40 is 30 pixels wide.
QRect spanned(QPoint a, QPoint b)
{
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QSize(std::abs(a.x() - b.x()), std::abs(a.y() - b.y())));
}

} // namespace

TPictureView::TPictureView(QWidget *parent)
    : QLabel(parent), m_band(new QRubberBand(QRubberBand::Rectangle, this))
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setCursor(Qt::CrossCursor);
    setAccessibleName(QStringLiteral("Image"));
}

void TPictureView::setPicture(const QImage &picture)
{
    m_size = picture.size();
    setPixmap(QPixmap::fromImage(picture));
    setFixedSize(picture.size());
    setSelection({});
}

void TPictureView::setSelection(const QRect &rect)
{
    m_selection = rect.intersected(QRect(QPoint(0, 0), m_size));
    if (m_selection.isEmpty()) {
        m_selection = QRect();
        m_band->hide();
    } else {
        m_band->setGeometry(m_selection);
        m_band->show();
    }
    Q_EMIT selectionChanged(m_selection);
}

QPoint TPictureView::clampToPicture(QPoint p) const
{
    return QPoint(std::clamp(p.x(), 0, m_size.width()), std::clamp(p.y(), 0, m_size.height()));
}

void TPictureView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QLabel::mousePressEvent(event);
    m_origin = clampToPicture(event->position().toPoint());
    setSelection({});
}

void TPictureView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return QLabel::mouseMoveEvent(event);
    setSelection(spanned(m_origin, clampToPicture(event->position().toPoint())));
}

void TPictureView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QLabel::mouseReleaseEvent(event);
    setSelection(spanned(m_origin, clampToPicture(event->position().toPoint())));
}

TFImage::TFImage(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FImage"));
    setWindowTitle(QStringLiteral("Editer image"));
    setAccessibleName(windowTitle());
    setSizeGripEnabled(true);

    // Files on the first row, picture changes on the second.
    auto *row = new QHBoxLayout;
    auto *edits = new QHBoxLayout;
    auto *enregistrer = tool(this, row, "Enregistrer", QStringLiteral("Enregistrer"), QStyle::SP_DialogSaveButton);
    auto *sous = tool(this, row, "EnregistrerSous", QStringLiteral("Enregistrer sous..."));
    row->addSpacing(12);
    Qualite = new QSpinBox(this);
    Qualite->setObjectName(QStringLiteral("Qualite"));
    Qualite->setRange(1, 100);
    Qualite->setValue(JpegCodec::DefaultQuality);
    auto *qualiteLabel = new QLabel(QStringLiteral("Qualité JPEG"), this);
    qualiteLabel->setBuddy(Qualite);
    Qualite->setAccessibleName(QStringLiteral("Qualité JPEG"));
    row->addWidget(qualiteLabel);
    row->addWidget(Qualite);
    row->addStretch();
    auto *fermer = tool(this, row, "Fermer", QStringLiteral("Fermer"));

    AnnulerBtn = tool(this, edits, "Annuler", QStringLiteral("Annuler"), QStyle::SP_ArrowBack);
    edits->addSpacing(12);
    auto *gauche = tool(this, edits, "RotationGauche", QStringLiteral("Rotation à gauche"));
    auto *droite = tool(this, edits, "RotationDroite", QStringLiteral("Rotation à droite"));
    auto *horizontal = tool(this, edits, "RetournerHorizontal", QStringLiteral("Miroir horizontal"));
    auto *vertical = tool(this, edits, "RetournerVertical", QStringLiteral("Miroir vertical"));
    edits->addSpacing(12);
    auto *taille = tool(this, edits, "Redimensionner", QStringLiteral("Redimensionner..."));
    Filtre = new QComboBox(this);
    Filtre->setObjectName(QStringLiteral("Filtre"));
    for (Resample::Filter f : {Resample::Filter::Box, Resample::Filter::Triangle, Resample::Filter::Hermite,
                               Resample::Filter::Bell, Resample::Filter::BSpline, Resample::Filter::Lanczos3,
                               Resample::Filter::Mitchell})
        Filtre->addItem(Resample::filterName(f), int(f));
    Filtre->setCurrentText(QStringLiteral("Mitchell"));
    auto *filtreLabel = new QLabel(QStringLiteral("Filtre"), this);
    filtreLabel->setBuddy(Filtre);
    Filtre->setAccessibleName(QStringLiteral("Filtre"));
    edits->addWidget(filtreLabel);
    edits->addWidget(Filtre);
    edits->addSpacing(12);
    RecadrerBtn = tool(this, edits, "Recadrer", QStringLiteral("Recadrer"));
    edits->addStretch();

    View = new TPictureView;
    View->setObjectName(QStringLiteral("Image1"));
    Scroll = new QScrollArea(this);
    Scroll->setObjectName(QStringLiteral("ScrollBox1"));
    Scroll->setWidget(View);
    Scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Barre = new QLabel(this);
    Barre->setObjectName(QStringLiteral("Barre"));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(edits);
    layout->addWidget(Scroll, 1);
    layout->addWidget(Barre);

    connect(enregistrer, &QToolButton::clicked, this, &TFImage::Enregistrer);
    connect(sous, &QToolButton::clicked, this, &TFImage::EnregistrerSous);
    connect(AnnulerBtn, &QToolButton::clicked, this, &TFImage::AnnulerModif);
    connect(gauche, &QToolButton::clicked, this, &TFImage::RotationGauche);
    connect(droite, &QToolButton::clicked, this, &TFImage::RotationDroite);
    connect(horizontal, &QToolButton::clicked, this, &TFImage::RetournerHorizontal);
    connect(vertical, &QToolButton::clicked, this, &TFImage::RetournerVertical);
    connect(taille, &QToolButton::clicked, this, &TFImage::RedimensionnerDialogue);
    connect(RecadrerBtn, &QToolButton::clicked, this, &TFImage::Recadrer);
    connect(fermer, &QToolButton::clicked, this, &QDialog::reject);
    connect(View, &TPictureView::selectionChanged, this, [this] { refresh(); });
    resize(900, 650);
    refresh();
}

void TFImage::Init(const QString &name)
{
    FileName = name;
}

bool TFImage::Charger()
{
    try {
        Picture = loadPicture(FileName, Images);
    } catch (const Platform::PemoError &e) {
        Platform::error(this, e.message());
        return false;
    }
    Avant = QImage();
    Modifie = false;
    Origine = FileName;
    setWindowTitle(QStringLiteral("Editer image - ") + QFileInfo(FileName).fileName());
    View->setPicture(Picture);
    refresh();
    return true;
}

void TFImage::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (Shown)
        return;
    Shown = true;
    if (Picture.isNull() && !Charger())
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
}

void TFImage::change(const QImage &picture)
{
    if (picture.isNull())
        return;
    Avant = Picture;
    Picture = picture;
    Modifie = true;
    View->setPicture(Picture);
    refresh();
}

void TFImage::refresh()
{
    RecadrerBtn->setEnabled(!View->selection().isEmpty());
    AnnulerBtn->setEnabled(!Avant.isNull());
    QString text = QStringLiteral("%1 x %2").arg(Picture.width()).arg(Picture.height());
    const QRect s = View->selection();
    if (!s.isEmpty())
        text += QStringLiteral(" - sélection %1 x %2 en (%3, %4)").arg(s.width()).arg(s.height()).arg(s.x()).arg(s.y());
    Barre->setText(text);
}

void TFImage::RotationGauche()
{
    change(Picture.transformed(QTransform().rotate(-90)));
}

void TFImage::RotationDroite()
{
    change(Picture.transformed(QTransform().rotate(90)));
}

void TFImage::RetournerHorizontal()
{
    change(Picture.mirrored(true, false));
}

void TFImage::RetournerVertical()
{
    change(Picture.mirrored(false, true));
}

void TFImage::Redimensionner(int w, int h)
{
    if (Picture.isNull() || w < 1 || h < 1)
        return;
    const auto filter = Resample::Filter(Filtre->currentData().toInt());
    change(Resample::stretch(Picture, QSize(w, h), filter));
}

void TFImage::RedimensionnerDialogue()
{
    if (Picture.isNull())
        return;
    TResizeDialog dialog(this);
    dialog.Init(Picture.size());
    dialog.exec();
    const QSize size = dialog.Result();
    if (size.isValid())
        Redimensionner(size.width(), size.height());
}

void TFImage::Recadrer()
{
    const QRect s = View->selection();
    if (s.isEmpty())
        return;
    change(Picture.copy(s));
}

void TFImage::AnnulerModif()
{
    if (Avant.isNull())
        return;
    std::swap(Picture, Avant);
    Avant = QImage();
    View->setPicture(Picture);
    refresh();
}

bool TFImage::Enregistrer()
{
    if (FileName.isEmpty())
        return EnregistrerSous();
    return Sauve(FileName);
}

bool TFImage::EnregistrerSous()
{
    Platform::FileDialogRequest request;
    request.kind = Platform::FileDialogKind::Save;
    request.title = QStringLiteral("Enregistrer l'image");
    request.filter = PictureFilter;
    request.filterIndex = isJpegName(FileName) ? 2 : 1;
    request.fileName = FileName;
    const Platform::FileDialogResult chosen = Platform::runFileDialog(this, request);
    if (!chosen.accepted || chosen.path.isEmpty())
        return false;
    QString name = chosen.path;
    if (QFileInfo(name).suffix().isEmpty())
        name += chosen.filterIndex == 2 ? QStringLiteral(".jpg") : QStringLiteral(".gif");
    return Sauve(name);
}

bool TFImage::Sauve(const QString &name)
{
    if (Picture.isNull())
        return false;
    // Only the first image of an animation is shown here: writing it over the
    // animation would lose the other images unless the user wants that.
    if (Images > 1 && QFileInfo(name) == QFileInfo(Origine)
        && Platform::confirm(this,
                             QStringLiteral("L'animation %1 sera remplacée par sa première image seulement. Continuer ?")
                                 .arg(name),
                             Platform::Buttons::YesNo)
               != Platform::Answer::Yes)
        return false;
    try {
        if (isJpegName(name))
            JpegCodec::save(name, Picture, Qualite->value());
        else
            GifWriter::save(name, {Picture});
    } catch (const Platform::PemoError &e) {
        Platform::error(this, e.message());
        return false;
    }
    FileName = name;
    Modifie = false;
    setWindowTitle(QStringLiteral("Editer image - ") + QFileInfo(FileName).fileName());
    return true;
}
