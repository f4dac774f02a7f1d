#include "FindDialogs.h"

#include "document/RegexSearch.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
QPushButton *button(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(QString(caption).remove(u'&'));
    b->setAutoDefault(false);
    return b;
}

QCheckBox *checkBox(QWidget *parent, const char *name, const QString &caption)
{
    auto *c = new QCheckBox(caption, parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setAccessibleName(QString(caption).remove(u'&'));
    return c;
}

QLineEdit *field(QWidget *parent, const char *name, const QString &caption, QLabel **label)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAccessibleName(QString(caption).remove(u'&').remove(QStringLiteral(" :")));
    *label = new QLabel(caption, parent);
    (*label)->setBuddy(edit);
    return edit;
}
} // namespace

TSearchDialog::TSearchDialog(const QString &caption, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(caption);
    setAccessibleName(caption);
    setModal(false);
    FindEdit = new QLineEdit(this);
    FindEdit->setObjectName(QStringLiteral("FindEdit"));
    FindEdit->setAccessibleName(QStringLiteral("Rechercher"));
    FindEdit->setMinimumWidth(220);
    WholeWordBox = checkBox(this, "WholeWordBox", QStringLiteral("&Mot entier uniquement"));
    MatchCaseBox = checkBox(this, "MatchCaseBox", QStringLiteral("Respecter la &casse"));
    RegexBox = checkBox(this, "RegexBox", QStringLiteral("E&xpression régulière"));
    RegexError = new QLabel(this);
    RegexError->setObjectName(QStringLiteral("RegexError"));
    RegexError->setWordWrap(true);
    RegexError->setStyleSheet(QStringLiteral("color: #b00000;"));
    RegexError->hide();
    connect(RegexBox, &QCheckBox::toggled, this, [this] { updateButtons(); });
    FindNextBtn = button(this, "FindNextBtn", QStringLiteral("&Suivant"));
    FindNextBtn->setDefault(true);
    CancelBtn = button(this, "CancelBtn", QStringLiteral("Annuler"));
    connect(FindNextBtn, &QPushButton::clicked, this, &TSearchDialog::findNext);
    // Closing only hides: the texts and options stay for the next use.
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::hide);
    connect(FindEdit, &QLineEdit::textChanged, this, [this] { updateButtons(); });
}

QString TSearchDialog::findText() const { return FindEdit->text(); }

void TSearchDialog::setFindText(const QString &text) { FindEdit->setText(text); }

SearchOptions TSearchDialog::options() const
{
    SearchOptions o;
    if (MatchCaseBox->isChecked())
        o |= SearchOption::MatchCase;
    if (WholeWordBox->isChecked())
        o |= SearchOption::WholeWord;
    return o;
}

void TSearchDialog::showModeless()
{
    updateButtons();
    show();
    raise();
    activateWindow();
    FindEdit->setFocus();
    FindEdit->selectAll();
}

bool TSearchDialog::regex() const { return RegexBox->isChecked(); }

bool TSearchDialog::searchUsable() const
{
    return !FindEdit->text().isEmpty() && (!regex() || RegexSearch::patternError(FindEdit->text()).isEmpty());
}

void TSearchDialog::updateButtons()
{
    const QString error = regex() ? RegexSearch::patternError(FindEdit->text()) : QString();
    RegexError->setText(error);
    RegexError->setAccessibleName(error);
    RegexError->setVisible(!error.isEmpty());
    FindNextBtn->setEnabled(searchUsable());
}

TFindDialog::TFindDialog(QWidget *parent)
    : TSearchDialog(QStringLiteral("Rechercher"), parent)
{
    setObjectName(QStringLiteral("FindDialog1"));
    UpBtn = new QRadioButton(QStringLiteral("&Haut"), this);
    UpBtn->setObjectName(QStringLiteral("UpBtn"));
    UpBtn->setAccessibleName(QStringLiteral("Haut"));
    DownBtn = new QRadioButton(QStringLiteral("&Bas"), this);
    DownBtn->setObjectName(QStringLiteral("DownBtn"));
    DownBtn->setAccessibleName(QStringLiteral("Bas"));
    DownBtn->setChecked(true);

    auto *label = new QLabel(QStringLiteral("&Rechercher :"), this);
    label->setBuddy(FindEdit);
    auto *direction = new QGroupBox(QStringLiteral("Direction"), this);
    direction->setAccessibleName(QStringLiteral("Direction"));
    auto *dirLayout = new QHBoxLayout(direction);
    dirLayout->addWidget(UpBtn);
    dirLayout->addWidget(DownBtn);

    auto *grid = new QGridLayout;
    grid->addWidget(label, 0, 0);
    grid->addWidget(FindEdit, 0, 1, 1, 2);
    grid->addWidget(RegexError, 1, 1, 1, 2);
    auto *checks = new QVBoxLayout;
    checks->addWidget(WholeWordBox);
    checks->addWidget(MatchCaseBox);
    checks->addWidget(RegexBox);
    checks->addStretch();
    grid->addLayout(checks, 2, 0, 1, 2);
    grid->addWidget(direction, 2, 2);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(FindNextBtn);
    buttons->addWidget(CancelBtn);
    buttons->addStretch();
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);
    updateButtons();
}

SearchOptions TFindDialog::options() const
{
    SearchOptions o = TSearchDialog::options();
    if (DownBtn->isChecked())
        o |= SearchOption::Down;
    return o;
}

TReplaceDialog::TReplaceDialog(QWidget *parent)
    : TSearchDialog(QStringLiteral("Remplacer"), parent)
{
    setObjectName(QStringLiteral("ReplaceDialog1"));
    QLabel *replaceLabel = nullptr;
    ReplaceEdit = field(this, "ReplaceEdit", QStringLiteral("Rem&placer par :"), &replaceLabel);
    ReplaceBtn = button(this, "ReplaceBtn", QStringLiteral("&Remplacer"));
    ReplaceAllBtn = button(this, "ReplaceAllBtn", QStringLiteral("Remplacer &tout"));
    connect(ReplaceBtn, &QPushButton::clicked, this, &TReplaceDialog::replace);
    connect(ReplaceAllBtn, &QPushButton::clicked, this, &TReplaceDialog::replaceAll);

    auto *findLabel = new QLabel(QStringLiteral("Rec&hercher :"), this);
    findLabel->setBuddy(FindEdit);
    auto *grid = new QGridLayout;
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(FindEdit, 0, 1);
    grid->addWidget(RegexError, 1, 1);
    grid->addWidget(replaceLabel, 2, 0);
    grid->addWidget(ReplaceEdit, 2, 1);
    auto *checks = new QVBoxLayout;
    checks->addSpacing(8);
    checks->addWidget(WholeWordBox);
    checks->addWidget(MatchCaseBox);
    checks->addWidget(RegexBox);
    checks->addStretch();
    grid->addLayout(checks, 3, 0, 1, 2);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(FindNextBtn);
    buttons->addWidget(ReplaceBtn);
    buttons->addWidget(ReplaceAllBtn);
    buttons->addWidget(CancelBtn);
    buttons->addStretch();
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);
    updateButtons();
}

QString TReplaceDialog::replaceText() const { return ReplaceEdit->text(); }

void TReplaceDialog::setReplaceText(const QString &text) { ReplaceEdit->setText(text); }

SearchOptions TReplaceDialog::options() const { return TSearchDialog::options() | SearchOption::Down; }

void TReplaceDialog::updateButtons()
{
    TSearchDialog::updateButtons();
    const bool any = searchUsable();
    ReplaceBtn->setEnabled(any);
    ReplaceAllBtn->setEnabled(any);
}
