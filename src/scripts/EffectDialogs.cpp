#include "EffectDialogs.h"

#include "dialogs/ColourSwatch.h"
#include "scripts/ScriptEffects.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QLineEdit *messageField(QWidget *parent)
{
    auto *edit = new QLineEdit(QStringLiteral("Texte du message"), parent);
    edit->setObjectName(QStringLiteral("Message"));
    return edit;
}

QLineEdit *previewLine(QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QStringLiteral("Apercu"));
    edit->setAccessibleName(QStringLiteral("Aperçu"));
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    return edit;
}

} // namespace

// --- TDefile

TDefile::TDefile(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Message défilant"))
{
    setObjectName(QStringLiteral("Defile"));
    m_message = messageField(this);
    auto *emplacement = new QGroupBox(QStringLiteral("Emplacement"), this);
    emplacement->setObjectName(QStringLiteral("Emplacement"));
    emplacement->setAccessibleName(QStringLiteral("Emplacement"));
    m_bouton = new QRadioButton(QStringLiteral("Bouton"), emplacement);
    m_bouton->setObjectName(QStringLiteral("Bouton"));
    m_bouton->setAccessibleName(QStringLiteral("Bouton"));
    m_bouton->setChecked(true);
    m_statut = new QRadioButton(QStringLiteral("Ligne de statut"), emplacement);
    m_statut->setObjectName(QStringLiteral("Statut"));
    m_statut->setAccessibleName(QStringLiteral("Ligne de statut"));
    auto *radios = new QHBoxLayout(emplacement);
    radios->addWidget(m_bouton);
    radios->addWidget(m_statut);
    m_preview = previewLine(this);

    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("Message"), m_message), m_message);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(emplacement);
    layout->addWidget(m_preview);
    layout->addLayout(makeCancelOkRow());
    resize(380, sizeHint().height());

    m_timer = new QTimer(this);
    m_timer->setInterval(300);
    connect(m_timer, &QTimer::timeout, this, [this] { m_preview->setText(ScriptEffects::rotated(m_preview->text())); });
    connect(m_message, &QLineEdit::textChanged, this, &TDefile::restartPreview);
    restartPreview();
    m_message->setFocus();
}

void TDefile::restartPreview() { m_preview->setText(m_message->text() + QStringLiteral(" - ")); }

void TDefile::showEvent(QShowEvent *event)
{
    resetConfirmation();
    m_timer->start();
    TInsertDialog::showEvent(event);
}

void TDefile::Result(QString &head, QString &body) const
{
    head.clear();
    body.clear();
    if (!confirmed())
        return;
    const ScriptEffects::Pieces pieces = ScriptEffects::scrollingMessage(m_message->text(), m_bouton->isChecked());
    head = pieces.head;
    body = pieces.body;
}

// --- TDegrade

TDegrade::TDegrade(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Texte en dégradé"))
{
    setObjectName(QStringLiteral("Degrade"));
    // The preview is drawn on the dialog itself at a fixed place, so the
    // controls are placed around it rather than by a layout.
    setFixedSize(380, 190);
    m_message = messageField(this);
    m_debut = new TColourSwatch(this);
    m_debut->setObjectName(QStringLiteral("CouleurDebut"));
    m_debut->setColour(QColor(0, 0, 255));
    m_fin = new TColourSwatch(this);
    m_fin->setObjectName(QStringLiteral("CouleurFin"));
    m_fin->setColour(QColor(255, 0, 0));

    QLabel *messageLabel = labelFor(QStringLiteral("Message"), m_message);
    messageLabel->setGeometry(20, 14, 70, 22);
    m_message->setGeometry(100, 12, 260, 24);
    QLabel *debutLabel = labelFor(QStringLiteral("Couleur début"), m_debut);
    debutLabel->setGeometry(20, 52, 100, 22);
    m_debut->setGeometry(120, 50, 44, 26);
    QLabel *finLabel = labelFor(QStringLiteral("Couleur fin"), m_fin);
    finLabel->setGeometry(200, 52, 90, 22);
    m_fin->setGeometry(290, 50, 44, 26);

    QPushButton *cancel = makeCancelButton();
    QPushButton *ok = makeOkButton();
    cancel->setGeometry(190, 150, 80, 28);
    ok->setGeometry(280, 150, 80, 28);

    // The preview follows every click on a swatch, chosen or not, and the
    // message as it is typed.
    connect(m_debut, &QAbstractButton::clicked, this, qOverload<>(&QWidget::update));
    connect(m_fin, &QAbstractButton::clicked, this, qOverload<>(&QWidget::update));
    connect(m_message, &QLineEdit::textChanged, this, qOverload<>(&QWidget::update));
    m_message->setFocus();
}

void TDegrade::showEvent(QShowEvent *event)
{
    resetConfirmation();
    TInsertDialog::showEvent(event);
}

void TDegrade::paintEvent(QPaintEvent *event)
{
    TInsertDialog::paintEvent(event);
    const QString message = m_message->text();
    const QList<QColor> colours = ScriptEffects::gradientColours(int(message.size()), m_debut->colour(), m_fin->colour());
    QPainter painter(this);
    QFont font = this->font();
    font.setPointSize(previewPointSize);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    int x = previewX;
    const int baseline = previewY + metrics.ascent();
    for (int i = 0; i < colours.size(); ++i) {
        painter.setPen(colours.at(i));
        const QString character = message.mid(i, 1);
        painter.drawText(x, baseline, character);
        x += metrics.horizontalAdvance(character);
    }
}

void TDegrade::Result(QString &head, QString &body) const
{
    head.clear();
    body.clear();
    if (!confirmed())
        return;
    const ScriptEffects::Pieces pieces =
        ScriptEffects::gradientText(m_message->text(), m_debut->colour(), m_fin->colour());
    head = pieces.head;
    body = pieces.body;
}

// --- TAnime

TAnime::TAnime(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Message animé"))
{
    setObjectName(QStringLiteral("Anime"));
    m_message = messageField(this);
    m_preview = previewLine(this);
    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("Message"), m_message), m_message);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_preview);
    layout->addLayout(makeCancelOkRow());
    resize(380, sizeHint().height());

    m_timer = new QTimer(this);
    m_timer->setInterval(250);
    connect(m_timer, &QTimer::timeout, this, &TAnime::tick);
    m_message->setFocus();
}

void TAnime::tick()
{
    const QString message = m_message->text();
    if (m_capital >= message.size())
        m_capital = 0;
    m_preview->setText(ScriptEffects::animatedFrame(message, m_capital));
    ++m_capital;
}

void TAnime::showEvent(QShowEvent *event)
{
    resetConfirmation();
    m_capital = 0;
    tick();
    m_timer->start();
    TInsertDialog::showEvent(event);
}

void TAnime::Result(QString &head, QString &body) const
{
    head.clear();
    body.clear();
    if (!confirmed())
        return;
    const ScriptEffects::Pieces pieces = ScriptEffects::animatedMessage(m_message->text());
    head = pieces.head;
    body = pieces.body;
}

// --- TMsgalea

TMsgalea::TMsgalea(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Message aléatoire"))
{
    setObjectName(QStringLiteral("Msgalea"));
    auto *form = new QFormLayout;
    const QStringList defaults{QStringLiteral("Message 1"), QStringLiteral("Message 2"), QStringLiteral("Message 3"),
                               QString(), QString()};
    for (int i = 0; i < defaults.size(); ++i) {
        auto *edit = new QLineEdit(defaults.at(i), this);
        edit->setObjectName(QStringLiteral("Texte%1").arg(i + 1));
        form->addRow(labelFor(QStringLiteral("Texte %1").arg(i + 1), edit), edit);
        m_textes << edit;
    }
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(makeCancelOkRow());
    resize(380, sizeHint().height());
    m_textes.first()->setFocus();
}

void TMsgalea::Result(QString &head, QString &body) const
{
    head.clear();
    body.clear();
    if (!confirmed())
        return;
    QStringList texts;
    for (const QLineEdit *edit : m_textes)
        texts << edit->text();
    const ScriptEffects::Pieces pieces = ScriptEffects::randomMessage(texts);
    head = pieces.head;
    body = pieces.body;
}

// --- TCompte

TCompte::TCompte(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Compte à rebours"))
{
    setObjectName(QStringLiteral("Compte"));
    m_date = new QDateEdit(QDate::currentDate(), this);
    m_date->setObjectName(QStringLiteral("DateLimite"));
    m_date->setCalendarPopup(true);
    m_date->setLocale(QLocale(QLocale::French, QLocale::France));
    m_date->setDisplayFormat(m_date->locale().dateFormat(QLocale::ShortFormat));
    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("Date limite"), m_date), m_date);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(makeCancelOkRow());
    resize(300, sizeHint().height());
}

void TCompte::showEvent(QShowEvent *event)
{
    m_date->setDate(QDate::currentDate());
    TInsertDialog::showEvent(event);
}

void TCompte::Result(QString &text) const
{
    text.clear();
    if (confirmed())
        text = ScriptEffects::countDown(m_date->date());
}
