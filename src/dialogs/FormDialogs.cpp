#include "FormDialogs.h"

#include "dialogs/FormFragments.h"
#include "dialogs/StepperField.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

// The menu's choices: a multi-line box of limited size in which Enter
// confirms the dialog, like in the name field; Ctrl+Enter (or Shift+Enter)
// starts a new line.
class TChoicesEdit : public QPlainTextEdit
{
public:
    TChoicesEdit(int limit, QWidget *parent) : QPlainTextEdit(parent), m_limit(limit)
    {
        setTabChangesFocus(true);
        setLineWrapMode(QPlainTextEdit::NoWrap);
    }

    QString choices() const { return toPlainText(); }
    int limit() const { return m_limit; }
    // What the choices take, line breaks counting two.
    int used() const { return sizeOf(toPlainText()); }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && !(event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier))) {
            // Left to the dialog, whose default button is OK.
            event->ignore();
            return;
        }
        if (enter) {
            if (room() >= 2)
                insertPlainText(QStringLiteral("\n"));
            return;
        }
        if (!event->text().isEmpty() && event->text().at(0).isPrint() && room() < event->text().size())
            return;
        QPlainTextEdit::keyPressEvent(event);
    }

    void insertFromMimeData(const QMimeData *source) override
    {
        QString text = source->text();
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        // Cut what does not fit; a line break counts two.
        int left = room();
        int keep = 0;
        while (keep < text.size()) {
            const int cost = text.at(keep) == u'\n' ? 2 : 1;
            if (cost > left)
                break;
            left -= cost;
            ++keep;
        }
        insertPlainText(text.left(keep));
    }

private:
    static int sizeOf(const QString &t) { return int(t.size() + t.count(u'\n') + t.count(QChar::ParagraphSeparator)); }

    // What can still be typed in place of the selection.
    int room() const { return m_limit - used() + sizeOf(textCursor().selectedText()); }

    int m_limit;
};

namespace {

QLineEdit *textField(QWidget *parent, const char *name, const QString &value)
{
    auto *edit = new QLineEdit(value, parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMinimumWidth(200);
    return edit;
}

TStepperField *boundedStepper(QWidget *parent, const char *name, const QString &value)
{
    auto *field = new TStepperField(value, parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setSteps(FormFragments::stepUp, FormFragments::stepDown);
    return field;
}

// Wide enough for the window manager to show the whole caption beside its
// buttons.
void fitCaption(QDialog *dialog)
{
    dialog->setMinimumWidth(dialog->fontMetrics().horizontalAdvance(dialog->windowTitle()) + 160);
}

} // namespace

TFormEmail::TFormEmail(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Définir formulaire"))
{
    setObjectName(QStringLiteral("FormEmail"));
    m_email = textField(this, "Email", QString());
    m_email->setMinimumWidth(260);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(labelFor(QStringLiteral("Email destiné à recevoir les données"), m_email));
    layout->addWidget(m_email);
    layout->addLayout(makeButtonRow());
    fitCaption(this);
}

void TFormEmail::showEvent(QShowEvent *event)
{
    TInsertDialog::showEvent(event);
    resetConfirmation();
    m_email->setFocus();
}

void TFormEmail::Result(QString &text) const
{
    text = confirmed() ? FormFragments::form(m_email->text()) : QString();
}

TFormEdit::TFormEdit(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Formulaie : ligne de saisie"))
{
    setObjectName(QStringLiteral("FormEdit"));
    m_nom = textField(this, "Nom", QStringLiteral("Edit"));
    m_longueur = boundedStepper(this, "Longueur", QStringLiteral("30"));

    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("Nom du champ"), m_nom), m_nom);
    form->addRow(labelFor(QStringLiteral("Longueur"), m_longueur), m_longueur);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(makeButtonRow());
    fitCaption(this);
    m_nom->setFocus();
}

void TFormEdit::Result(QString &text) const
{
    text = confirmed() ? FormFragments::inputLine(m_nom->text(), m_longueur->text()) : QString();
}

TFormMemo::TFormMemo(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Formulaie : Fenêtre de texte"))
{
    setObjectName(QStringLiteral("FormMemo"));
    m_nom = textField(this, "Nom", QStringLiteral("Texte"));
    m_rangees = boundedStepper(this, "Rangees", QStringLiteral("7"));
    m_colonnes = boundedStepper(this, "Colonnes", QStringLiteral("40"));

    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("Nom du champ"), m_nom), m_nom);
    form->addRow(labelFor(QStringLiteral("Rangées"), m_rangees), m_rangees);
    form->addRow(labelFor(QStringLiteral("Colonnes"), m_colonnes), m_colonnes);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(makeButtonRow());
    fitCaption(this);
    m_nom->setFocus();
}

void TFormMemo::Result(QString &text) const
{
    text = confirmed() ? FormFragments::textArea(m_nom->text(), m_rangees->text(), m_colonnes->text()) : QString();
}

TFormCases::TFormCases(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Formulaire : Case à cocher"))
{
    setObjectName(QStringLiteral("FormCases"));
    m_nom = textField(this, "Nom", QStringLiteral("Nom"));
    m_valeur = textField(this, "Valeur", QStringLiteral("Valeur"));
    m_libelle = textField(this, "Libelle", QStringLiteral("Libellé"));
    m_coche = new QCheckBox(QStringLiteral("Coché"), this);
    m_coche->setObjectName(QStringLiteral("Coche"));
    m_coche->setAccessibleName(QStringLiteral("Coché"));

    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("Nom"), m_nom), m_nom);
    form->addRow(labelFor(QStringLiteral("Valeur"), m_valeur), m_valeur);
    form->addRow(labelFor(QStringLiteral("Libellé"), m_libelle), m_libelle);
    form->addRow(QString(), m_coche);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(makeButtonRow());
    fitCaption(this);
}

void TFormCases::showEvent(QShowEvent *event)
{
    TInsertDialog::showEvent(event);
    resetConfirmation();
    m_nom->setFocus();
}

void TFormCases::Result(QString &text) const
{
    text = confirmed()
               ? FormFragments::checkBox(m_nom->text(), m_valeur->text(), m_libelle->text(), m_coche->isChecked())
               : QString();
}

TFormRadio::TFormRadio(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Formulaire : Bouton radio"))
{
    setObjectName(QStringLiteral("FormRadio"));
    m_nom = textField(this, "Nom", QStringLiteral("Nom"));
    m_valeur = textField(this, "Valeur", QStringLiteral("Valeur"));
    m_libelle = textField(this, "Libelle", QStringLiteral("Libellé"));

    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("Nom"), m_nom), m_nom);
    form->addRow(labelFor(QStringLiteral("Valeur"), m_valeur), m_valeur);
    form->addRow(labelFor(QStringLiteral("Libellé"), m_libelle), m_libelle);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(makeButtonRow());
    fitCaption(this);
}

void TFormRadio::showEvent(QShowEvent *event)
{
    TInsertDialog::showEvent(event);
    resetConfirmation();
    m_nom->setFocus();
}

void TFormRadio::Result(QString &text) const
{
    text = confirmed() ? FormFragments::radioButton(m_nom->text(), m_valeur->text(), m_libelle->text()) : QString();
}

TFormMenus::TFormMenus(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Formulaire : Menu déroulant"))
{
    setObjectName(QStringLiteral("FormMenus"));
    m_nom = textField(this, "Nom", QStringLiteral("Nom"));
    m_visibles = new TStepperField(QStringLiteral("3"), this);
    m_visibles->setObjectName(QStringLiteral("Visibles"));
    m_visibles->setSteps(FormFragments::visibleItemsUp, FormFragments::stepDown);
    m_choix = new TChoicesEdit(MaxChoices, this);
    m_choix->setObjectName(QStringLiteral("Choix"));
    m_choix->setPlainText(QStringLiteral("Choix1\nChoix2\nChoix3"));
    m_choix->setToolTip(QStringLiteral("Un choix par ligne (Ctrl+Entrée pour aller à la ligne)"));
    // The box refuses what goes past its size: say so before it happens.
    m_reste = new QLabel(this);
    m_reste->setObjectName(QStringLiteral("ResteChoix"));
    const auto showRoom = [this] {
        const QString text = QStringLiteral("%1 caractères au plus (reste : %2)")
                                 .arg(m_choix->limit())
                                 .arg(m_choix->limit() - m_choix->used());
        m_reste->setText(text);
        m_choix->setAccessibleDescription(text);
    };
    connect(m_choix, &QPlainTextEdit::textChanged, this, showRoom);
    showRoom();

    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("Nom"), m_nom), m_nom);
    form->addRow(labelFor(QStringLiteral("Nombre d'éléments visibles"), m_visibles), m_visibles);
    form->addRow(labelFor(QStringLiteral("Choix"), m_choix), m_choix);
    form->addRow(QString(), m_reste);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(makeButtonRow());
    fitCaption(this);
}

void TFormMenus::showEvent(QShowEvent *event)
{
    TInsertDialog::showEvent(event);
    resetConfirmation();
    m_nom->setFocus();
}

void TFormMenus::Result(QString &opening, QString &options, QString &closing) const
{
    opening.clear();
    options.clear();
    closing.clear();
    if (!confirmed())
        return;
    opening = FormFragments::menuOpening(m_nom->text(), m_visibles->text());
    options = FormFragments::menuOptions(m_choix->choices());
    closing = FormFragments::menuClosing();
}
