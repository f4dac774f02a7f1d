#include "AidDialogs.h"

#include "aids/AidSettings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QTableWidget *makeGrid(QWidget *parent, const QStringList &header, const QString &name)
{
    auto *grid = new QTableWidget(0, int(header.size()), parent);
    grid->setObjectName(name);
    grid->setAccessibleName(name);
    grid->setHorizontalHeaderLabels(header);
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setWordWrap(false);
    return grid;
}

QTableWidgetItem *cell(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

QTableWidgetItem *number(int n) { return cell(n > 0 ? QString::number(n) : QString()); }

QPushButton *button(const QString &caption, const QString &name, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAccessibleName(QString(caption).remove(u'&'));
    return b;
}

} // namespace

TValidationDialog::TValidationDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Validation"));
    setWindowTitle(QStringLiteral("Validation HTML5"));
    setAccessibleName(windowTitle());
    m_grid = makeGrid(this, {QStringLiteral("Ligne"), QStringLiteral("Colonne"), QStringLiteral("Niveau"),
                             QStringLiteral("Message")},
                      QStringLiteral("Messages"));
    m_grid->setColumnWidth(0, 60);
    m_grid->setColumnWidth(1, 70);
    m_grid->setColumnWidth(2, 110);
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (row >= 0 && row < m_messages.size() && placeCaret)
            placeCaret(m_messages.at(row).line, m_messages.at(row).column);
    });
    auto *hint = new QLabel(QStringLiteral("Double-cliquez sur un message pour placer le curseur à cet endroit."), this);
    auto *close = button(QStringLiteral("Fermer"), QStringLiteral("Fermer"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(hint, 1);
    bottom->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_grid);
    layout->addLayout(bottom);
    resize(720, 360);
}

void TValidationDialog::Init(const QList<HtmlValidator::Message> &messages)
{
    m_messages = messages;
    m_grid->setRowCount(int(messages.size()));
    for (int r = 0; r < messages.size(); ++r) {
        const HtmlValidator::Message &m = messages.at(r);
        m_grid->setItem(r, 0, number(m.line));
        m_grid->setItem(r, 1, number(m.column));
        m_grid->setItem(r, 2, cell(m.level == HtmlValidator::Level::Error ? QStringLiteral("Erreur")
                                                                          : QStringLiteral("Avertissement")));
        m_grid->setItem(r, 3, cell(m.text));
    }
}

TTypographyDialog::TTypographyDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Typographie"));
    setWindowTitle(QStringLiteral("Typographie française"));
    setAccessibleName(windowTitle());
    m_grid = makeGrid(this, {QStringLiteral("Ligne"), QStringLiteral("Colonne"), QStringLiteral("Extrait"),
                             QStringLiteral("Faute"), QStringLiteral("Correction proposée")},
                      QStringLiteral("Fautes"));
    m_grid->setColumnWidth(0, 60);
    m_grid->setColumnWidth(1, 70);
    m_grid->setColumnWidth(2, 260);
    m_grid->setColumnWidth(3, 250);
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (row >= 0 && row < m_faults.size() && placeCaret)
            placeCaret(m_faults.at(row).line + 1, m_faults.at(row).mark + 1);
    });
    auto *fixChecked = button(QStringLiteral("&Corriger la sélection"), QStringLiteral("Corriger"), this);
    auto *fixAll = button(QStringLiteral("&Tout corriger"), QStringLiteral("ToutCorriger"), this);
    auto *close = button(QStringLiteral("Fermer"), QStringLiteral("Fermer"), this);
    connect(fixChecked, &QPushButton::clicked, this, [this] {
        if (fix)
            fix(checkedFaults());
        accept();
    });
    connect(fixAll, &QPushButton::clicked, this, [this] {
        if (fix)
            fix(m_faults);
        accept();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("Les indications (espace insécable non fine) ne sont pas cochées."), this), 1);
    bottom->addWidget(fixChecked);
    bottom->addWidget(fixAll);
    bottom->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_grid);
    layout->addLayout(bottom);
    resize(900, 380);
}

void TTypographyDialog::Init(const QStringList &lines, const QList<FrenchTypography::Fault> &faults)
{
    m_faults = faults;
    m_grid->setRowCount(int(faults.size()));
    for (int r = 0; r < faults.size(); ++r) {
        const FrenchTypography::Fault &f = faults.at(r);
        QTableWidgetItem *line = number(f.line + 1);
        line->setFlags(line->flags() | Qt::ItemIsUserCheckable);
        line->setCheckState(f.hint() ? Qt::Unchecked : Qt::Checked);
        m_grid->setItem(r, 0, line);
        m_grid->setItem(r, 1, number(f.mark + 1));
        m_grid->setItem(r, 2, cell(FrenchTypography::excerpt(lines.value(f.line), f)));
        m_grid->setItem(r, 3, cell(FrenchTypography::describe(f)));
        m_grid->setItem(r, 4, cell(FrenchTypography::describeFix(f)));
    }
}

QList<FrenchTypography::Fault> TTypographyDialog::checkedFaults() const
{
    QList<FrenchTypography::Fault> chosen;
    for (int r = 0; r < m_faults.size(); ++r)
        if (m_grid->item(r, 0)->checkState() == Qt::Checked)
            chosen << m_faults.at(r);
    return chosen;
}

TAidSettingsDialog::TAidSettingsDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AidesRedaction"));
    setWindowTitle(QStringLiteral("Aides à la rédaction"));
    setAccessibleName(windowTitle());
    m_validation = new QCheckBox(QStringLiteral("&Validation de la page (HTML5)"), this);
    m_validation->setObjectName(QStringLiteral("AideValidation"));
    m_typography = new QCheckBox(QStringLiteral("&Typographie française"), this);
    m_typography->setObjectName(QStringLiteral("AideTypographie"));
    m_marks = new QCheckBox(QStringLiteral("&Souligner les fautes de typographie dans le source"), this);
    m_marks->setObjectName(QStringLiteral("AideSoulignement"));
    m_spelling = new QCheckBox(QStringLiteral("&Vérifier l'orthographe du texte (fautes soulignées dans le source)"), this);
    m_spelling->setObjectName(QStringLiteral("AideOrthographe"));
    m_completion = new QCheckBox(QStringLiteral("&Complétion des balises"), this);
    m_completion->setObjectName(QStringLiteral("AideCompletion"));
    for (QCheckBox *box : {m_validation, m_typography, m_marks, m_spelling, m_completion})
        box->setAccessibleName(box->text().remove(u'&'));
    m_validation->setChecked(AidSettings::validationOn());
    m_typography->setChecked(AidSettings::typographyOn());
    m_marks->setChecked(AidSettings::typographyMarksOn());
    m_spelling->setChecked(AidSettings::spellingOn());
    m_completion->setChecked(AidSettings::tagCompletionOn());
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annuler"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_validation);
    layout->addWidget(m_typography);
    layout->addWidget(m_marks);
    layout->addWidget(m_spelling);
    layout->addWidget(m_completion);
    layout->addWidget(buttons);
}

void TAidSettingsDialog::save() const
{
    AidSettings::setValidationOn(m_validation->isChecked());
    AidSettings::setTypographyOn(m_typography->isChecked());
    AidSettings::setTypographyMarksOn(m_marks->isChecked());
    AidSettings::setSpellingOn(m_spelling->isChecked());
    AidSettings::setTagCompletionOn(m_completion->isChecked());
}
