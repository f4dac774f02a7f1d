#include "StatsDialog.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TStats::TStats(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Stats"));
    setWindowTitle(QStringLiteral("Statistiques de la page"));
    setAccessibleName(windowTitle());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ListBox1"));
    m_list->setAccessibleName(QStringLiteral("Statistiques"));
    // Not a tab stop: the keyboard goes to "OK"; Escape in either closes
    // the dialog (QDialog rejects on Escape).
    m_list->setFocusPolicy(Qt::ClickFocus);
    m_list->setMinimumSize(320, 250);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setAccessibleName(ok->text());
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    ok->setFocus();
}

void TStats::Init(const QString &text) { m_list->addItem(text); }
