#include "RecoveryDialog.h"

#include "platform/Messages.h"
#include "platform/Paths.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

TRecoveryDialog::TRecoveryDialog(const QList<Recovery::Entry> &entries, Opener opener, QWidget *parent)
    : QDialog(parent), m_entries(entries), m_opener(std::move(opener))
{
    setObjectName(QStringLiteral("Recuperation"));
    setWindowTitle(QStringLiteral("Récupération de documents"));
    setAccessibleName(windowTitle());
    resize(640, 300);

    auto *label = new QLabel(QStringLiteral("Ces &documents n'avaient pas été enregistrés quand Pemo HTML "
                                            "s'est arrêté. Les copies ci-dessous ont été conservées :"),
                             this);
    label->setWordWrap(true);
    Liste = new QTreeWidget(this);
    Liste->setObjectName(QStringLiteral("Liste"));
    Liste->setAccessibleName(QStringLiteral("Documents récupérables"));
    Liste->setRootIsDecorated(false);
    Liste->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Liste->setHeaderLabels({QStringLiteral("Nom"), QStringLiteral("Emplacement d'origine"), QStringLiteral("Copie du")});
    label->setBuddy(Liste);
    const QLocale french(QLocale::French, QLocale::France);
    for (const Recovery::Entry &e : std::as_const(m_entries)) {
        const QString name = e.original.isEmpty() ? e.title : Platform::fileNamePart(e.original);
        auto *item = new QTreeWidgetItem(
            Liste, {name, Recovery::shownOriginal(e), french.toString(e.saved, QStringLiteral("dd/MM/yyyy HH:mm:ss"))});
        item->setToolTip(1, Recovery::shownOriginal(e));
    }
    Liste->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    Liste->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    Liste->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    Liste->header()->setStretchLastSection(false);
    if (Liste->topLevelItemCount() > 0)
        Liste->setCurrentItem(Liste->topLevelItem(0));

    auto button = [this](const QString &caption, const QString &name) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAccessibleName(QString(caption).remove(u'&'));
        b->setAutoDefault(false);
        return b;
    };
    OuvrirBtn = button(QStringLiteral("&Ouvrir"), QStringLiteral("OuvrirBtn"));
    SupprimerBtn = button(QStringLiteral("&Supprimer"), QStringLiteral("SupprimerBtn"));
    FermerBtn = button(QStringLiteral("&Fermer"), QStringLiteral("FermerBtn"));
    OuvrirBtn->setDefault(true);
    connect(OuvrirBtn, &QPushButton::clicked, this, &TRecoveryDialog::Ouvrir);
    connect(SupprimerBtn, &QPushButton::clicked, this, &TRecoveryDialog::Supprimer);
    connect(FermerBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(Liste, &QTreeWidget::itemSelectionChanged, this, &TRecoveryDialog::updateButtons);
    connect(Liste, &QTreeWidget::itemDoubleClicked, this, &TRecoveryDialog::Ouvrir);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OuvrirBtn);
    buttons->addWidget(SupprimerBtn);
    buttons->addWidget(FermerBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(Liste, 1);
    layout->addLayout(buttons);
    updateButtons();
}

QList<int> TRecoveryDialog::chosenRows() const
{
    QList<int> rows;
    for (QTreeWidgetItem *item : Liste->selectedItems())
        rows << Liste->indexOfTopLevelItem(item);
    // Removed from the bottom up, so the rows still to go keep their index.
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    return rows;
}

void TRecoveryDialog::removeRow(int row)
{
    delete Liste->takeTopLevelItem(row);
    m_entries.removeAt(row);
}

void TRecoveryDialog::updateButtons()
{
    const bool chosen = !Liste->selectedItems().isEmpty();
    OuvrirBtn->setEnabled(chosen);
    SupprimerBtn->setEnabled(chosen);
}

void TRecoveryDialog::Ouvrir()
{
    const QList<int> rows = chosenRows();
    for (int row : rows)
        if (m_opener && m_opener(m_entries.at(row)))
            removeRow(row);
    if (m_entries.isEmpty())
        accept();
}

void TRecoveryDialog::Supprimer()
{
    const QList<int> rows = chosenRows();
    if (rows.isEmpty())
        return;
    const QString question =
        rows.size() == 1
            ? QStringLiteral("Supprimer la copie de « %1 » ? Les modifications qu'elle contient seront perdues.")
                  .arg(Liste->topLevelItem(rows.first())->text(0))
            : QStringLiteral("Supprimer les %1 copies choisies ? Les modifications qu'elles contiennent seront perdues.")
                  .arg(rows.size());
    if (Platform::confirm(this, question, Platform::Buttons::YesNo) != Platform::Answer::Yes)
        return;
    for (int row : rows) {
        Recovery::discard(m_entries.at(row));
        removeRow(row);
    }
    if (m_entries.isEmpty())
        accept();
}
