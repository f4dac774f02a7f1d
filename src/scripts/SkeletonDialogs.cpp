#include "SkeletonDialogs.h"

#include "platform/FileDialogs.h"
#include "platform/Paths.h"
#include "scripts/ScriptSkeletons.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QLineEdit *lineEdit(QWidget *parent, const char *name, const QString &text = QString())
{
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QPushButton *browseButton(QWidget *parent, const char *name, const QString &accessibleName)
{
    auto *button = new QPushButton(QStringLiteral("..."), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(accessibleName);
    button->setAutoDefault(false);
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    return button;
}

// The lines of a text area the way a page counts them: none when it is
// empty, and a final line break does not open another line.
QStringList areaLines(const QPlainTextEdit *area)
{
    const QString text = area->toPlainText();
    if (text.isEmpty())
        return {};
    QStringList list = text.split(u'\n');
    if (list.size() > 1 && list.back().isEmpty())
        list.removeLast();
    return list;
}

QRadioButton *radio(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QRadioButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(caption.trimmed());
    return button;
}

} // namespace

// --- TScript

TScript::TScript(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Script JavaScript"))
{
    setObjectName(QStringLiteral("Script"));
    m_code = new QPlainTextEdit(this);
    m_code->setObjectName(QStringLiteral("Memo1"));
    m_code->setAccessibleName(QStringLiteral("Script"));
    m_code->setLineWrapMode(QPlainTextEdit::NoWrap);

    // The buttons sit in a bar at the top, above the code.
    auto *bar = new QHBoxLayout;
    bar->addWidget(makeOkButton());
    bar->addWidget(makeCancelButton());
    bar->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_code, 1);
    resize(480, 320);
    m_code->setFocus();
}

void TScript::Init(const QString &text)
{
    if (!text.isEmpty())
        m_code->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void TScript::showEvent(QShowEvent *event)
{
    resetConfirmation();
    TInsertDialog::showEvent(event);
}

void TScript::Result(QString &text) const
{
    text.clear();
    if (confirmed())
        text = ScriptSkeletons::scriptBlock(m_code->toPlainText().replace(u'\n', QStringLiteral("\r\n")));
}

// --- TBoucleFor

TBoucleFor::TBoucleFor(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Boucle For"))
{
    setObjectName(QStringLiteral("BoucleFor"));
    m_compteur = lineEdit(this, "Compteur");
    m_initiale = lineEdit(this, "ValeurInitiale");
    m_finale = lineEdit(this, "ValeurFinale");
    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("Compteur"), m_compteur), m_compteur);
    form->addRow(labelFor(QStringLiteral("Valeur initiale"), m_initiale), m_initiale);
    form->addRow(labelFor(QStringLiteral("Valeur finale"), m_finale), m_finale);

    auto *sens = new QGroupBox(QStringLiteral("Sens"), this);
    sens->setObjectName(QStringLiteral("Sens"));
    sens->setAccessibleName(QStringLiteral("Sens"));
    m_croissant = radio(sens, "Croissant", QStringLiteral("Croissant"));
    m_decroissant = radio(sens, "Decroissant", QStringLiteral("Décroissant"));
    m_croissant->setChecked(true);
    auto *radios = new QVBoxLayout(sens);
    radios->addWidget(m_croissant);
    radios->addWidget(m_decroissant);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(sens);
    layout->addLayout(makeButtonRow());
    m_compteur->setFocus();
}

void TBoucleFor::Result(QString &text) const
{
    text.clear();
    if (confirmed())
        text = ScriptSkeletons::forLoop(m_compteur->text(), m_initiale->text(), m_finale->text(),
                                        m_decroissant->isChecked());
}

// --- while and if

TConditionDialog::TConditionDialog(QWidget *owner, const QString &caption)
    : TInsertDialog(owner, caption)
{
    // Created in the order they stand, which is the order Tab walks them.
    m_operande1 = lineEdit(this, "Operande1");

    auto *box = new QGroupBox(QStringLiteral("Opérateur"), this);
    box->setObjectName(QStringLiteral("Operateur"));
    box->setAccessibleName(QStringLiteral("Opérateur"));
    m_operateur = new QButtonGroup(this);
    auto *grid = new QGridLayout(box);
    const QStringList &ops = ScriptSkeletons::operators();
    for (int i = 0; i < ops.size(); ++i) {
        // The entries carry a leading space, as the dialog has always shown them.
        auto *button = new QRadioButton(u' ' + ops.at(i), box);
        button->setObjectName(QStringLiteral("Operateur%1").arg(i));
        button->setAccessibleName(ops.at(i));
        m_operateur->addButton(button, i);
        grid->addWidget(button, i / 3, i % 3);
    }
    m_operande2 = lineEdit(this, "Operande2");

    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("Opérande 1"), m_operande1), m_operande1);
    auto *form2 = new QFormLayout;
    form2->addRow(labelFor(QStringLiteral("Opérande 2"), m_operande2), m_operande2);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(box);
    layout->addLayout(form2);
    m_operande1->setFocus();
}

QString TConditionDialog::operand1() const { return m_operande1->text(); }
QString TConditionDialog::operand2() const { return m_operande2->text(); }
int TConditionDialog::operatorIndex() const { return m_operateur->checkedId(); }

TBoucleWhile::TBoucleWhile(QWidget *owner)
    : TConditionDialog(owner, QStringLiteral("Boucle While"))
{
    setObjectName(QStringLiteral("BoucleWhile"));
    static_cast<QVBoxLayout *>(layout())->addLayout(makeButtonRow());
}

void TBoucleWhile::Result(QString &text) const
{
    text.clear();
    if (confirmed())
        text = ScriptSkeletons::whileLoop(operand1(), operatorIndex(), operand2());
}

TConditionIf::TConditionIf(QWidget *owner)
    : TConditionDialog(owner, QStringLiteral("Condition If"))
{
    setObjectName(QStringLiteral("ConditionIf"));
    m_else = new QCheckBox(QStringLiteral(" ELSE"), this);
    m_else->setObjectName(QStringLiteral("Else"));
    m_else->setAccessibleName(QStringLiteral("ELSE"));
    auto *column = static_cast<QVBoxLayout *>(layout());
    column->addWidget(m_else);
    column->addLayout(makeButtonRow());
}

void TConditionIf::Result(QString &text) const
{
    text.clear();
    if (confirmed())
        text = ScriptSkeletons::ifCondition(operand1(), operatorIndex(), operand2(), m_else->isChecked());
}

// --- TMotsCle

TMotsCle::TMotsCle(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("MotsCle"));
    setWindowTitle(QStringLiteral("Mots clé"));
    setAccessibleName(QStringLiteral("Mots clé"));
    setModal(true);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ListBox1"));
    m_list->setAccessibleName(QStringLiteral("Mots clé"));
    // Kept in the order they are listed in, which is already the sorted one.
    m_list->addItems(ScriptSkeletons::keywords());
    m_list->setCurrentRow(-1);
    m_list->clearSelection();
    m_list->installEventFilter(this);
    connect(m_list, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        m_list->setCurrentItem(item);
        item->setSelected(true);
        accept();
    });
    auto *layout = new QVBoxLayout(this);
    // A margin round the list leaves the form a place to be clicked on.
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(m_list);
    resize(200, 320);
}

QString TMotsCle::selectedEntry() const
{
    const QList<QListWidgetItem *> items = m_list->selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
}

void TMotsCle::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        m_list->clearSelection();
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TMotsCle::eventFilter(QObject *watched, QEvent *event)
{
    // Escape goes to the dialog even while the list has the focus.
    if (watched == m_list && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        keyPressEvent(static_cast<QKeyEvent *>(event));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TMotsCle::mousePressEvent(QMouseEvent *event)
{
    QDialog::mousePressEvent(event);
    accept();
}

// --- TJava

TJava::TJava(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Applet Java"))
{
    setObjectName(QStringLiteral("Java"));
    m_applet = lineEdit(this, "Applet");
    m_largeur = lineEdit(this, "Largeur", QStringLiteral("300"));
    m_hauteur = lineEdit(this, "Hauteur", QStringLiteral("300"));
    m_paramName = lineEdit(this, "ParamName");
    m_paramValue = lineEdit(this, "ParamValue");
    m_texte = new QPlainTextEdit(this);
    m_texte->setObjectName(QStringLiteral("Texte"));
    m_texte->setTabChangesFocus(true);

    auto *browse = browseButton(this, "Parcourir", QStringLiteral("Choisir la classe"));
    connect(browse, &QPushButton::clicked, this, &TJava::chooseClass);
    auto *appletRow = new QHBoxLayout;
    appletRow->addWidget(m_applet);
    appletRow->addWidget(browse);

    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("Applet"), m_applet), appletRow);
    form->addRow(labelFor(QStringLiteral("Largeur"), m_largeur), m_largeur);
    form->addRow(labelFor(QStringLiteral("Hauteur"), m_hauteur), m_hauteur);
    form->addRow(labelFor(QStringLiteral("Param Name="), m_paramName), m_paramName);
    form->addRow(labelFor(QStringLiteral("Value="), m_paramValue), m_paramValue);
    form->addRow(labelFor(QStringLiteral("Texte de remplacement"), m_texte), m_texte);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(makeCancelOkRow());
    resize(420, sizeHint().height());
    m_applet->setFocus();
}

void TJava::Init(const QString &pageFolder)
{
    m_dossier = pageFolder;
    resetConfirmation();
}

void TJava::chooseClass()
{
    Platform::FileDialogRequest request;
    request.filter = QStringLiteral("Fichiers classes (*.class)|*.class");
    request.defaultExt = QStringLiteral("class");
    const Platform::FileDialogResult chosen = Platform::runFileDialog(this, request);
    if (chosen.accepted)
        m_applet->setText(chosen.path);
}

void TJava::Result(QString &text) const
{
    text.clear();
    if (!confirmed())
        return;
    ScriptSkeletons::Applet applet;
    applet.classFile = m_applet->text();
    applet.width = m_largeur->text();
    applet.height = m_hauteur->text();
    applet.paramName = m_paramName->text();
    applet.paramValue = m_paramValue->text();
    applet.text = areaLines(m_texte);
    text = ScriptSkeletons::appletElement(applet, m_dossier);
}

// --- TIlotxml

TIlotxml::TIlotxml(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Ilot de données XML"))
{
    setObjectName(QStringLiteral("Ilotxml"));
    m_id = lineEdit(this, "ID");
    m_url = lineEdit(this, "URL");
    m_source = new QPlainTextEdit(QStringLiteral("<?xml version=\"1.0\"?>"), this);
    m_source->setObjectName(QStringLiteral("Source"));
    m_source->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_source->setTabChangesFocus(true);

    auto *browse = browseButton(this, "Parcourir", QStringLiteral("Choisir le fichier XML"));
    connect(browse, &QPushButton::clicked, this, &TIlotxml::chooseFile);
    auto *urlRow = new QHBoxLayout;
    urlRow->addWidget(m_url);
    urlRow->addWidget(browse);

    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("ID"), m_id), m_id);
    form->addRow(labelFor(QStringLiteral("URL"), m_url), urlRow);
    form->addRow(labelFor(QStringLiteral("Ou source XML"), m_source), m_source);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(makeCancelOkRow());
    resize(420, sizeHint().height());
    m_id->setFocus();
}

void TIlotxml::Init(const QString &pageFolder) { m_dossier = pageFolder; }

void TIlotxml::chooseFile()
{
    Platform::FileDialogRequest request;
    request.filter = QStringLiteral("Fichiers xml (*.xml)|*.xml");
    request.defaultExt = QStringLiteral("xml");
    const Platform::FileDialogResult chosen = Platform::runFileDialog(this, request);
    if (chosen.accepted)
        m_url->setText(Platform::relativePath(chosen.path, m_dossier));
}

void TIlotxml::Result(QString &text) const
{
    text.clear();
    if (confirmed())
        text = ScriptSkeletons::xmlIsland(m_id->text(), m_url->text(), areaLines(m_source));
}
