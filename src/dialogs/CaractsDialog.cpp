#include "CaractsDialog.h"

#include "dialogs/CharacterGrid.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
constexpr int CellSize = 20;
}

TCaractsDialog::TCaractsDialog(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Caractères spéciaux"))
{
    setObjectName(QStringLiteral("CaractsDialog"));
    using CharacterGrid::Columns;
    using CharacterGrid::Rows;

    m_grid = new QTableWidget(Rows, Columns, this);
    m_grid->setObjectName(QStringLiteral("Grille"));
    m_grid->setAccessibleName(QStringLiteral("Caractères spéciaux"));
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setMinimumSectionSize(CellSize);
    m_grid->verticalHeader()->setMinimumSectionSize(CellSize);
    m_grid->horizontalHeader()->setDefaultSectionSize(CellSize);
    m_grid->verticalHeader()->setDefaultSectionSize(CellSize);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setTabKeyNavigation(false);
    const int frame = 2 * m_grid->frameWidth();
    m_grid->setFixedSize(Columns * CellSize + frame, Rows * CellSize + frame);
    const auto &cells = CharacterGrid::cells();
    for (int c = 0; c < int(cells.size()); ++c) {
        auto *item = new QTableWidgetItem(QString(cells[c].character));
        item->setTextAlignment(Qt::AlignCenter);
        // The last cell shows a space: its name tells what it is.
        item->setData(Qt::AccessibleTextRole, QString::fromLatin1(cells[c].entity));
        m_grid->setItem(c / Columns, c % Columns, item);
    }
    m_grid->setCurrentCell(0, 0);

    m_entite = new QLineEdit(this);
    m_entite->setObjectName(QStringLiteral("Entite"));
    // The Tab key goes from the grid to the buttons; a click still reaches it.
    m_entite->setFocusPolicy(Qt::ClickFocus);
    m_entite->setFixedWidth(m_grid->width());

    // A click on the cell already current chooses it too.
    connect(m_grid, &QTableWidget::cellClicked, this, &TCaractsDialog::choose);
    connect(m_grid, &QTableWidget::currentCellChanged, this,
            [this](int row, int column, int, int) { choose(row, column); });

    auto *left = new QVBoxLayout;
    left->addWidget(m_grid);
    left->addWidget(labelFor(QStringLiteral("Entité"), m_entite));
    left->addWidget(m_entite);
    left->addStretch();
    // The buttons stand one above the other beside the grid.
    auto *buttons = new QVBoxLayout;
    for (QPushButton *button : {makeOkButton(), makeCancelButton()}) {
        // Wide enough for the window manager to show the whole caption.
        button->setMinimumWidth(130);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_grid->setFocus();
}

void TCaractsDialog::choose(int row, int column)
{
    if (row < 0 || column < 0)
        return;
    m_entite->setText(CharacterGrid::entityOf(row * CharacterGrid::Columns + column));
}

void TCaractsDialog::Result(QString &text) const { text = confirmed() ? m_entite->text() : QString(); }
