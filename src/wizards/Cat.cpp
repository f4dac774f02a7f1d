#include "Cat.h"

#include "dialogs/NumberField.h"

#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

TCat::TCat(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Parcourir"))
{
    setObjectName(QStringLiteral("Cat"));
    FileListBox1 = new QListWidget(this);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FileListBox1->setAccessibleName(QStringLiteral("Images du dossier"));
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    SpeedButton1->setIconSize(QSize(24, 24));
    SpeedButton1->setToolTip(QStringLiteral("Ajouter"));
    SpeedButton1->setAccessibleName(QStringLiteral("Ajouter"));
    connect(SpeedButton1, &QToolButton::clicked, this, &TCat::Ajouter);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setAccessibleName(QStringLiteral("Images choisies"));
    ListBox1->installEventFilter(this);

    auto *size = new QGroupBox(QStringLiteral("Taille des vignettes"), this);
    size->setObjectName(QStringLiteral("TailleVignettes"));
    size->setAccessibleName(size->title());
    Largeur = new TNumberField(100, 0, 0, size);
    Largeur->setObjectName(QStringLiteral("Largeur"));
    Largeur->setAccessibleName(QStringLiteral("Largeur des vignettes"));
    Hauteur = new TNumberField(100, 0, 0, size);
    Hauteur->setObjectName(QStringLiteral("Hauteur"));
    Hauteur->setAccessibleName(QStringLiteral("Hauteur des vignettes"));
    auto *sizeRow = new QHBoxLayout(size);
    sizeRow->addWidget(Largeur);
    sizeRow->addWidget(new QLabel(QStringLiteral("X"), size));
    sizeRow->addWidget(Hauteur);
    sizeRow->addStretch();

    auto *lists = new QHBoxLayout;
    lists->addWidget(FileListBox1, 1);
    lists->addWidget(SpeedButton1);
    lists->addWidget(ListBox1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addWidget(size);
    layout->addLayout(makeButtonRow());
    resize(460, 340);
}

void TCat::showEvent(QShowEvent *event)
{
    setWindowTitle(QStringLiteral("Parcourir - ") + QDir::currentPath());
    fillFileList();
    TInsertDialog::showEvent(event);
}

void TCat::fillFileList()
{
    FileListBox1->clear();
    // Picture names are matched whatever their case, as the folders the
    // pages come from often hold "PHOTO.JPG".
    QDir dir = QDir::current();
    dir.setNameFilters({QStringLiteral("*.jpg"), QStringLiteral("*.jpeg"), QStringLiteral("*.gif")});
    dir.setFilter(QDir::Files | QDir::Readable);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    FileListBox1->addItems(dir.entryList());
}

void TCat::Ajouter()
{
    for (int i = 0; i < FileListBox1->count(); ++i)
        if (FileListBox1->item(i)->isSelected())
            ListBox1->addItem(FileListBox1->item(i)->text());
}

bool TCat::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ListBox1 && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        const QList<QListWidgetItem *> selected = ListBox1->selectedItems();
        if (!selected.isEmpty())
            delete selected.first();
        return true;
    }
    return TInsertDialog::eventFilter(watched, event);
}

QStringList TCat::files() const
{
    QStringList names;
    for (int i = 0; i < ListBox1->count(); ++i)
        names << ListBox1->item(i)->text();
    return names;
}

void TCat::done(int result)
{
    m_width = Largeur->number();
    m_height = Hauteur->number();
    TInsertDialog::done(result);
}

TCat::Choice TCat::Result() const { return {confirmed(), m_width, m_height}; }
