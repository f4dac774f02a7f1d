#include "CasseDialog.h"
#include "platform/AsciiCase.h"

#include "document/TextTransforms.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TFCasse::TFCasse(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FCasse"));
    setWindowTitle(QStringLiteral("Changer la casse"));
    setAccessibleName(windowTitle());
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    auto *group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("RadioGroup1"));
    group->setAccessibleName(QStringLiteral("Casse"));
    m_lower = new QRadioButton(QStringLiteral("Tout mettre en minuscules"), group);
    m_lower->setObjectName(QStringLiteral("Minuscules"));
    m_lower->setAccessibleName(m_lower->text());
    m_upper = new QRadioButton(QStringLiteral("Tout mettre en majuscules"), group);
    m_upper->setObjectName(QStringLiteral("Majuscules"));
    m_upper->setAccessibleName(m_upper->text());
    m_lower->setChecked(true);
    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_lower);
    groupLayout->addWidget(m_upper);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setAccessibleName(ok->text());
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Annuler"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setAccessibleName(cancel->text());
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(ok, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel, QDialogButtonBox::RejectRole);
    connect(ok, &QPushButton::clicked, this, [this] {
        m_confirmed = true;
        accept();
    });
    // Escape and the close box reject the dialog like "Annuler".
    connect(cancel, &QPushButton::clicked, this, [this] {
        m_confirmed = false;
        reject();
    });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(260, 0)));
}

void TFCasse::Init(const QString &text) { m_text = text; }

QString TFCasse::Result() const
{
    if (!m_confirmed)
        return m_text;
    return m_upper->isChecked() ? Ascii::upper(m_text) : Ascii::lower(m_text);
}
