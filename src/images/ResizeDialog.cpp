#include "ResizeDialog.h"

#include "dialogs/NumberField.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

TResizeDialog::TResizeDialog(QWidget *owner) : TInsertDialog(owner, QStringLiteral("Redimensionner"))
{
    setObjectName(QStringLiteral("ResizeDialog"));
    setMinimumWidth(300);
    Largeur = new TNumberField(1, 1, 100000, this);
    Largeur->setObjectName(QStringLiteral("Largeur"));
    Hauteur = new TNumberField(1, 1, 100000, this);
    Hauteur->setObjectName(QStringLiteral("Hauteur"));
    Proportions = new QCheckBox(QStringLiteral("Conserver les proportions"), this);
    Proportions->setObjectName(QStringLiteral("Proportions"));
    Proportions->setAccessibleName(Proportions->text());
    Proportions->setChecked(true);

    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("Largeur"), Largeur), Largeur);
    form->addRow(labelFor(QStringLiteral("Hauteur"), Hauteur), Hauteur);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(Proportions);
    layout->addLayout(makeButtonRow());

    connect(Largeur, &QSpinBox::valueChanged, this, [this] { follow(true); });
    connect(Hauteur, &QSpinBox::valueChanged, this, [this] { follow(false); });
}

void TResizeDialog::Init(QSize current)
{
    m_current = current;
    const QSignalBlocker a(Largeur);
    const QSignalBlocker b(Hauteur);
    Largeur->setValue(current.width());
    Hauteur->setValue(current.height());
}

void TResizeDialog::follow(bool fromWidth)
{
    if (!Proportions->isChecked() || m_current.width() < 1 || m_current.height() < 1)
        return;
    if (fromWidth) {
        const QSignalBlocker block(Hauteur);
        Hauteur->setValue(std::max(1, qRound(double(Largeur->value()) * m_current.height() / m_current.width())));
    } else {
        const QSignalBlocker block(Largeur);
        Largeur->setValue(std::max(1, qRound(double(Hauteur->value()) * m_current.width() / m_current.height())));
    }
}

QSize TResizeDialog::Result() const
{
    if (!confirmed() || Largeur->number() < 1 || Hauteur->number() < 1)
        return {};
    return QSize(Largeur->number(), Hauteur->number());
}
