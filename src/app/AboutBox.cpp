#include "AboutBox.h"

#include "app/Icons.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

static QLabel *boldLabel(const QString &text, int pixels, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixels);
    f.setBold(true);
    label->setFont(f);
    return label;
}

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("A propos de PemoHTML"));
    setAccessibleName(windowTitle());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    auto *picture = new QLabel(panel);
    picture->setObjectName(QStringLiteral("ProgramIcon"));
    picture->setPixmap(Icons::logo(64));
    picture->setAccessibleName(QStringLiteral("Image du programme"));
    auto *product = boldLabel(QStringLiteral("Pemo HTML 2001"), 16, panel);
    product->setObjectName(QStringLiteral("ProductName"));
    auto *version = boldLabel(QStringLiteral("Version 4.0"), 12, panel);
    version->setObjectName(QStringLiteral("Version"));
    auto *credits1 = new QLabel(QStringLiteral("Éditeur de pages HTML écrites à la main."), panel);
    auto *credits2 = new QLabel(QStringLiteral("Conçu et programmé par l'équipe Pemo HTML."), panel);

    auto *texts = new QVBoxLayout;
    texts->addWidget(product);
    texts->addWidget(version);
    texts->addSpacing(12);
    texts->addWidget(credits1);
    texts->addWidget(credits2);
    auto *inside = new QHBoxLayout(panel);
    inside->addWidget(picture, 0, Qt::AlignTop);
    inside->addSpacing(12);
    inside->addLayout(texts, 1);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setAccessibleName(QStringLiteral("OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    setFixedSize(sizeHint());
}

TSplash::TSplash()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("Splash"));
    setAccessibleName(QStringLiteral("Pemo HTML"));
    setFixedSize(318, 221);
    auto *panel = new QFrame(this);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setLineWidth(2);
    panel->setAutoFillBackground(true);
    auto *picture = new QLabel(panel);
    picture->setPixmap(Icons::logo(96));
    auto *name = boldLabel(QStringLiteral("Pemo HTML"), 27, panel);
    auto *version = new QLabel(QStringLiteral("Version 2001"), panel);
    auto *credits = new QLabel(QStringLiteral("Une création de l'équipe Pemo HTML"), panel);
    QFont small = credits->font();
    small.setPointSize(8);
    credits->setFont(small);

    auto *right = new QVBoxLayout;
    right->addStretch();
    right->addWidget(name);
    right->addWidget(version);
    right->addStretch();
    right->addWidget(credits);
    auto *inside = new QHBoxLayout(panel);
    inside->addWidget(picture);
    inside->addLayout(right, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel);

    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}
