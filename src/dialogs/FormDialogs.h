#pragma once
// The form-control dialogs: the form itself, a one-line input, a text area,
// a check box, a radio button and a drop-down menu. Each gives its HTML
// through Result, empty after Annuler.
#include "dialogs/InsertDialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class TChoicesEdit;
class TStepperField;

// "Définir formulaire": the address that receives the form's data.
class TFormEmail : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TFormEmail(QWidget *owner);
    void Result(QString &text) const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *m_email;
};

// "Formulaie : ligne de saisie".
class TFormEdit : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TFormEdit(QWidget *owner);
    void Result(QString &text) const;

private:
    QLineEdit *m_nom;
    TStepperField *m_longueur;
};

// "Formulaie : Fenêtre de texte".
class TFormMemo : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TFormMemo(QWidget *owner);
    void Result(QString &text) const;

private:
    QLineEdit *m_nom;
    TStepperField *m_rangees;
    TStepperField *m_colonnes;
};

// "Formulaire : Case à cocher".
class TFormCases : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TFormCases(QWidget *owner);
    void Result(QString &text) const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *m_nom;
    QLineEdit *m_valeur;
    QLineEdit *m_libelle;
    QCheckBox *m_coche;
};

// "Formulaire : Bouton radio".
class TFormRadio : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TFormRadio(QWidget *owner);
    void Result(QString &text) const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *m_nom;
    QLineEdit *m_valeur;
    QLineEdit *m_libelle;
};

// "Formulaire : Menu déroulant": a name, the number of visible items and
// the choices, one a line.
class TFormMenus : public TInsertDialog
{
    Q_OBJECT
public:
    // The most the list of choices holds, line breaks counting two.
    static constexpr int MaxChoices = 255;

    explicit TFormMenus(QWidget *owner);
    // The opening, the options and the closing, each empty after Annuler.
    void Result(QString &opening, QString &options, QString &closing) const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *m_nom;
    TStepperField *m_visibles;
    TChoicesEdit *m_choix;
    QLabel *m_reste;
};
