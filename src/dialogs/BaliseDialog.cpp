#include "BaliseDialog.h"

#include "dialogs/StructureFragments.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QVBoxLayout>

TFBalise::TFBalise(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("FBalise"));
    setWindowTitle(QStringLiteral("Balises HTML"));
    setAccessibleName(QStringLiteral("Balises HTML"));
    setModal(true);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ListBox1"));
    m_list->setAccessibleName(QStringLiteral("Balises HTML"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->addItems(StructureFragments::tagEntries());
    m_list->clearSelection();
    m_list->installEventFilter(this);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        m_list->setCurrentItem(item);
        accept();
    });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    resize(220, 360);
}

QString TFBalise::selectedEntry() const
{
    const QList<QListWidgetItem *> selected = m_list->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void TFBalise::cancel()
{
    m_list->clearSelection();
    reject();
}

bool TFBalise::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            accept();
            return true;
        }
        if (key == Qt::Key_Escape) {
            cancel();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFBalise::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        cancel();
    else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        accept();
    else
        QDialog::keyPressEvent(event);
}

void TFBalise::mousePressEvent(QMouseEvent *event)
{
    QDialog::mousePressEvent(event);
    accept();
}
