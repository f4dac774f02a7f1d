#include "VerifDialog.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
constexpr int GridRows = 64; // the header row and 63 result rows
const int columnWidths[4] = {144, 74, 74, 10};

QTableWidgetItem *cell(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}
} // namespace

TVerif::TVerif(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Verif"));
    setWindowTitle(QStringLiteral("Vérification du code"));
    setAccessibleName(windowTitle());
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    // The header is the grid's first row, like the rest of the grid, not a
    // separate header bar.
    m_grid = new QTableWidget(GridRows, 4, this);
    m_grid->setObjectName(QStringLiteral("StringGrid1"));
    m_grid->setAccessibleName(QStringLiteral("Balises de la page"));
    m_grid->horizontalHeader()->hide();
    m_grid->horizontalHeader()->setMinimumSectionSize(1);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    int width = 0;
    for (int c = 0; c < 4; ++c) {
        m_grid->setColumnWidth(c, columnWidths[c]);
        width += columnWidths[c];
    }
    const QStringList header = {QStringLiteral("Balise"), QStringLiteral("Ouverte"), QStringLiteral("Fermée"),
                                QString()};
    for (int c = 0; c < 4; ++c) {
        QTableWidgetItem *item = cell(header.at(c));
        QFont bold = item->font();
        bold.setBold(true);
        item->setFont(bold);
        m_grid->setItem(0, c, item);
    }
    m_grid->setFixedSize(width + m_grid->verticalScrollBar()->sizeHint().width() + 2 * m_grid->frameWidth(),
                         12 * m_grid->verticalHeader()->defaultSectionSize() + 2 * m_grid->frameWidth());

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    auto *close = new QPushButton(QStringLiteral("Fermer"), panel);
    close->setObjectName(QStringLiteral("FermerBtn"));
    close->setAccessibleName(close->text());
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto *panelLayout = new QHBoxLayout(panel);
    panelLayout->setContentsMargins(0, 6, 0, 0);
    panelLayout->addStretch();
    panelLayout->addWidget(close);
    panelLayout->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_grid);
    layout->addWidget(panel);
    setFixedSize(sizeHint());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TVerif::Init(const QList<PageCheck::TagBalance> &entries)
{
    // More kinds than the grid's 63 result rows get further rows to scroll
    // to rather than being dropped.
    m_grid->setRowCount(qMax<int>(GridRows, int(entries.size()) + 1));
    for (int n = 0; n < entries.size(); ++n) {
        const PageCheck::TagBalance &e = entries.at(n);
        m_grid->setItem(n + 1, 0, cell(e.shortName()));
        m_grid->setItem(n + 1, 1, cell(QString::number(e.openings)));
        m_grid->setItem(n + 1, 2, cell(QString::number(e.closings)));
        QTableWidgetItem *mark = cell(e.unbalanced() ? QStringLiteral("*") : QString());
        mark->setTextAlignment(Qt::AlignCenter);
        m_grid->setItem(n + 1, 3, mark);
    }
}
