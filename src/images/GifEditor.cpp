#include "GifEditor.h"

#include "dialogs/NumberField.h"
#include "images/GifReader.h"
#include "images/GifWriter.h"
#include "images/Resample.h"
#include "platform/Errors.h"
#include "platform/FileDialogs.h"
#include "platform/Messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Resizing every frame keeps the whole animation in memory twice; beyond
// this many pixels in all the resize is refused.
constexpr qint64 MaxTotalPixels = 256LL * 1024 * 1024;
constexpr Resample::Filter ResizeFilter = Resample::Filter::Mitchell;

const QString GifFilter = QStringLiteral("Images Gif (*.gif)|*.gif|Tous les fichiers (*.*)|*.*");

// Where a frame lets the empty screen show it is white in the window.
QImage onWhite(const QImage &frame)
{
    if (!frame.hasAlphaChannel())
        return frame;
    QImage shown = frame.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(frame.constScanLine(y));
        auto *dst = reinterpret_cast<QRgb *>(shown.scanLine(y));
        for (int x = 0; x < frame.width(); ++x)
            if (qAlpha(src[x]) < 128)
                dst[x] = qRgb(255, 255, 255);
    }
    return shown;
}

// The resampler knows no alpha: the clear area is resampled on its own, as
// a grey picture, and cut at half.
QImage stretchFrame(const QImage &frame, QSize size)
{
    const QImage colours = Resample::stretch(frame, size, ResizeFilter);
    if (!frame.hasAlphaChannel())
        return colours;
    QImage mask(frame.size(), QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(frame.constScanLine(y));
        auto *dst = reinterpret_cast<QRgb *>(mask.scanLine(y));
        for (int x = 0; x < frame.width(); ++x)
            dst[x] = qRgb(qAlpha(src[x]), qAlpha(src[x]), qAlpha(src[x]));
    }
    const QImage coverage = Resample::stretch(mask, size, ResizeFilter);
    QImage out = colours.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        const auto *m = reinterpret_cast<const QRgb *>(coverage.constScanLine(y));
        auto *dst = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if (qRed(m[x]) < 128)
                dst[x] = GifReader::Clear;
    }
    return out;
}

QToolButton *navButton(QWidget *parent, const char *name, QStyle::StandardPixmap icon, const QString &text)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(parent->style()->standardIcon(icon));
    b->setToolTip(text);
    b->setAccessibleName(text);
    b->setAutoRaise(true);
    return b;
}

} // namespace

TFGif::TFGif(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FGif"));
    setWindowTitle(QStringLiteral("Editer Gif animé"));
    setAccessibleName(windowTitle());
    setWindowState(windowState() | Qt::WindowMaximized);
    setSizeGripEnabled(true);

    EnregistrerBtn = new QToolButton(this);
    EnregistrerBtn->setObjectName(QStringLiteral("Enregistrer"));
    EnregistrerBtn->setText(QStringLiteral("Enregistrer"));
    EnregistrerBtn->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    EnregistrerBtn->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    EnregistrerBtn->setAccessibleName(QStringLiteral("Enregistrer"));
    PremierBtn = navButton(this, "Premier", QStyle::SP_MediaSkipBackward, QStringLiteral("Premier cadre"));
    PrecedentBtn = navButton(this, "Precedent", QStyle::SP_MediaSeekBackward, QStringLiteral("Cadre précédent"));
    SuivantBtn = navButton(this, "Suivant", QStyle::SP_MediaSeekForward, QStringLiteral("Cadre suivant"));
    DernierBtn = navButton(this, "Dernier", QStyle::SP_MediaSkipForward, QStringLiteral("Dernier cadre"));
    Barre = new QLabel(this);
    Barre->setObjectName(QStringLiteral("Barre"));

    Scroll = new QScrollArea(this);
    Scroll->setObjectName(QStringLiteral("ScrollBox1"));
    Scroll->setWidgetResizable(false);
    Scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Panel1 = new QLabel;
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel1->setLineWidth(1);
    Panel1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Panel1->setAccessibleName(QStringLiteral("Cadre"));
    Scroll->setWidget(Panel1);

    Proprietes1 = new QGroupBox(QStringLiteral("Propriétés"), this);
    Proprietes1->setObjectName(QStringLiteral("Proprietes"));
    auto *form = new QFormLayout(Proprietes1);
    form->setContentsMargins(6, 4, 6, 6);
    form->setVerticalSpacing(4);
    // The long captions go above their field.
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    auto addField = [&](const char *name, const QString &caption) {
        auto *field = new TNumberField(0, 0, 0, Proprietes1);
        field->setObjectName(QString::fromLatin1(name));
        auto *label = new QLabel(caption, Proprietes1);
        label->setBuddy(field);
        field->setAccessibleName(caption);
        form->addRow(label, field);
        return field;
    };
    Largeur = addField("Largeur", QStringLiteral("Largeur"));
    Hauteur = addField("Hauteur", QStringLiteral("Hauteur"));
    Repetitions = addField("Repetitions", QStringLiteral("Nombre de répétitons (0 = en continu"));
    Duree = addField("Duree", QStringLiteral("Durée d'apparition de l'image (en 1/100 sec)"));
    FondTransparent = new QCheckBox(QStringLiteral("Fond transparent"), Proprietes1);
    FondTransparent->setObjectName(QStringLiteral("FondTransparent"));
    FondTransparent->setAccessibleName(FondTransparent->text());
    form->addRow(FondTransparent);
    OKBtn = new QPushButton(QStringLiteral("OK"), Proprietes1);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setAccessibleName(QStringLiteral("OK"));
    OKBtn->setAutoDefault(false);
    form->addRow(OKBtn);

    Fermer = new QPushButton(QStringLiteral("Fermer"), this);
    Fermer->setObjectName(QStringLiteral("Fermer"));
    Fermer->setAccessibleName(QStringLiteral("Fermer"));
    Fermer->setAutoDefault(false);

    connect(EnregistrerBtn, &QToolButton::clicked, this, &TFGif::Enregistrer);
    connect(PremierBtn, &QToolButton::clicked, this, &TFGif::Premier);
    connect(PrecedentBtn, &QToolButton::clicked, this, &TFGif::Precedent);
    connect(SuivantBtn, &QToolButton::clicked, this, &TFGif::Suivant);
    connect(DernierBtn, &QToolButton::clicked, this, &TFGif::Dernier);
    connect(Largeur, &QSpinBox::editingFinished, this, &TFGif::largeurExit);
    connect(Hauteur, &QSpinBox::editingFinished, this, &TFGif::hauteurExit);
    connect(OKBtn, &QPushButton::clicked, this, &TFGif::okClick);
    connect(Fermer, &QPushButton::clicked, this, &QDialog::reject);

    // Page Up and Page Down turn the frames whichever control has the focus.
    qApp->installEventFilter(this);
    resize(800, 600);
}

TFGif::~TFGif()
{
    qApp->removeEventFilter(this);
}

void TFGif::Init(QString &name)
{
    FileName = name;
    name.clear();
    if (!FileName.isEmpty() && QFileInfo(FileName).isFile()) {
        name = FileName;
        return;
    }
    Platform::FileDialogRequest request;
    request.kind = Platform::FileDialogKind::Open;
    request.title = QStringLiteral("Editer Gif animé");
    request.filter = GifFilter;
    request.fileName = QStringLiteral("*.gif");
    request.picturePreview = true;
    const Platform::FileDialogResult chosen = Platform::runFileDialog(this, request);
    if (chosen.accepted && !chosen.path.isEmpty()) {
        FileName = chosen.path;
        name = FileName;
    }
}

void TFGif::FormShow()
{
    if (Shown)
        return;
    Shown = true;
    placeControls();

    GifReader::Animation animation;
    if (FileName.toUpper().contains(QStringLiteral(".GIF"))) {
        try {
            animation = GifReader::read(FileName);
        } catch (const Platform::PemoError &e) {
            Platform::error(this, e.message());
            QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
            return;
        }
    }
    setWindowTitle(QFileInfo(FileName).fileName());
    Frames = animation.frames;
    Delays = animation.delays;
    Palettes = animation.palettes;
    Looped = animation.looped;
    RepeatSet = false;
    TransparentSet = false;
    sizePanel(animation.screen.width(), animation.screen.height());
    Repeat = animation.repeat;
    Delay = animation.delay;
    Transparent = animation.transparent;
    Current = 0;
    LitCadre();
}

QString TFGif::statusText() const
{
    return QStringLiteral("Cadre %1 / %2 (%3 x %4)")
        .arg(Current + 1)
        .arg(Frames.size())
        .arg(Picture.width())
        .arg(Picture.height());
}

void TFGif::AffBarre()
{
    Barre->setText(statusText());
}

void TFGif::LitCadre()
{
    Picture = Frames.value(Current);
    PictureChanged = false;
    Panel1->setPixmap(QPixmap::fromImage(onWhite(Picture)));
    AffBarre();
    Proprietes();
}

void TFGif::EcritCadre()
{
    if (PictureChanged && Current < Frames.size())
        Frames[Current] = Picture;
    PictureChanged = false;
}

void TFGif::Premier()
{
    EcritCadre();
    Current = 0;
    LitCadre();
}

void TFGif::Precedent()
{
    EcritCadre();
    Current = std::max(0, Current - 1);
    LitCadre();
}

void TFGif::Suivant()
{
    EcritCadre();
    Current = std::max(0, std::min(Current + 1, int(Frames.size()) - 1));
    LitCadre();
}

void TFGif::Dernier()
{
    EcritCadre();
    Current = std::max(0, int(Frames.size()) - 1);
    LitCadre();
}

void TFGif::Proprietes()
{
    FondTransparent->setChecked(Transparent);
    Repetitions->setValue(Repeat);
    Duree->setValue(Delay);
    const QSize size = Frames.isEmpty() ? QSize(0, 0) : Frames.first().size();
    Largeur->setValue(size.width());
    Hauteur->setValue(size.height());
    if (size.height() != 0)
        Ratio = double(size.width()) / double(size.height());
}

void TFGif::largeurExit()
{
    if (Ratio != 0.0)
        Hauteur->setValue(qRound(Largeur->number() / Ratio));
}

void TFGif::hauteurExit()
{
    Largeur->setValue(qRound(Hauteur->number() * Ratio));
}

void TFGif::okClick()
{
    if (FondTransparent->isChecked() != Transparent)
        TransparentSet = true;
    Transparent = FondTransparent->isChecked();
    if (Repetitions->number() != Repeat)
        RepeatSet = true;
    Repeat = Repetitions->number();
    if (Duree->number() != Delay)
        Delays.fill(Duree->number());
    Delay = Duree->number();
    if (Ratio != 0.0)
        Hauteur->setValue(qRound(Largeur->number() / Ratio));
    Taille();
}

void TFGif::Taille()
{
    const int w = Largeur->number();
    const int h = Hauteur->number();
    // Sizes below one pixel cannot be drawn; they leave the frames as they are.
    if (w < 1 || h < 1 || Frames.isEmpty())
        return;
    // Stretching onto the same size changes nothing; it must not blur the
    // frames or lose their tables when "OK" only sets the delay or the loops.
    if (std::all_of(Frames.cbegin(), Frames.cend(), [&](const QImage &f) { return f.size() == QSize(w, h); }))
        return;
    if (qint64(w) * h * Frames.size() > MaxTotalPixels) {
        Platform::error(this, QStringLiteral("Les images seraient trop grandes (%1 x %2).").arg(w).arg(h));
        return;
    }
    QList<QImage> resized;
    resized.reserve(Frames.size());
    for (const QImage &frame : std::as_const(Frames))
        resized << stretchFrame(frame, QSize(w, h));
    Frames = resized;
    // Resampled frames have colours of their own: the writer makes tables for them.
    Palettes.clear();
    sizePanel(w, h);
    LitCadre();
}

void TFGif::Enregistrer()
{
    Platform::FileDialogRequest request;
    request.kind = Platform::FileDialogKind::Save;
    request.title = QStringLiteral("Enregistrer");
    request.filter = GifFilter;
    request.fileName = FileName;
    const Platform::FileDialogResult chosen = Platform::runFileDialog(this, request);
    if (!chosen.accepted || chosen.path.isEmpty())
        return;
    Sauve(chosen.path);
}

bool TFGif::Sauve(QString name)
{
    if (!name.contains(u'.'))
        name += QStringLiteral(".gif");
    EcritCadre();
    GifWriter::Options options;
    options.colours = GifWriter::Colours::Picture;
    if (Looped || RepeatSet)
        options.repeat = Repeat;
    options.delay = Delay;
    options.transparent = TransparentSet && Transparent;
    QList<GifWriter::Frame> frames;
    frames.reserve(Frames.size());
    for (qsizetype i = 0; i < Frames.size(); ++i) {
        GifWriter::Frame frame{Frames[i], std::nullopt, Palettes.value(i)};
        // "Fond transparent" turned off: what was clear is white, as shown.
        if (TransparentSet && !Transparent)
            frame.image = onWhite(frame.image);
        if (i < Delays.size())
            frame.delay = Delays[i];
        frames.append(frame);
    }
    try {
        GifWriter::save(name, frames, options);
    } catch (const Platform::PemoError &e) {
        Platform::error(this, e.message());
        return false;
    }
    FileName = name;
    setWindowTitle(QFileInfo(FileName).fileName());
    return true;
}

void TFGif::sizePanel(int w, int h)
{
    Panel1->setFixedSize(std::max(0, w) + 2, std::max(0, h) + 2);
}

void TFGif::placeControls()
{
    const int w = width();
    const int h = height();
    int x = 6;
    EnregistrerBtn->adjustSize();
    EnregistrerBtn->move(x, 6);
    x += EnregistrerBtn->width() + 12;
    for (QToolButton *b : {PremierBtn, PrecedentBtn, SuivantBtn, DernierBtn}) {
        b->adjustSize();
        b->move(x, 6);
        x += b->width() + 2;
    }
    Barre->setGeometry(x + 12, 6, std::max(50, w - x - 130), EnregistrerBtn->height());
    Fermer->adjustSize();
    Fermer->move(w - 100, 6);
    // Anchored to the bottom-right corner; wide enough for its long captions.
    const QSize group(300, std::max(232, Proprietes1->heightForWidth(300)));
    Proprietes1->setGeometry(w - group.width() - 10, h - group.height() - 8, group.width(), group.height());
    Scroll->setGeometry(6, 12 + EnregistrerBtn->height(), std::max(50, w - group.width() - 27),
                        std::max(50, h - 18 - EnregistrerBtn->height()));
}

void TFGif::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TFGif::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    placeControls();
}

bool TFGif::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_PageUp || key == Qt::Key_PageDown) && (widget == this || isAncestorOf(widget))) {
            if (key == Qt::Key_PageDown)
                Suivant();
            else
                Precedent();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
