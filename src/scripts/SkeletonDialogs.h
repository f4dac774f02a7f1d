#pragma once
// The dialogs of the code skeletons: a JavaScript block, loops, a
// condition, the keyword picker, an applet and an XML data island.
#include "dialogs/InsertDialog.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QRadioButton;

// "Script JavaScript": the code typed in a text area filling the window.
class TScript : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TScript(QWidget *owner);
    // The selected text of the page (CR LF line breaks); ignored when empty.
    void Init(const QString &text);
    // The script block; empty after Annuler.
    void Result(QString &text) const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPlainTextEdit *m_code;
};

class TBoucleFor : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TBoucleFor(QWidget *owner);
    // Empty after Annuler or without a counter.
    void Result(QString &text) const;

private:
    QLineEdit *m_compteur;
    QLineEdit *m_initiale;
    QLineEdit *m_finale;
    QRadioButton *m_croissant;
    QRadioButton *m_decroissant;
};

// Two operands and a comparison operator; the base of the while loop and
// of the condition.
class TConditionDialog : public TInsertDialog
{
    Q_OBJECT
protected:
    TConditionDialog(QWidget *owner, const QString &caption);
    QString operand1() const;
    QString operand2() const;
    // -1 while no operator is chosen.
    int operatorIndex() const;

    QLineEdit *m_operande1;
    QLineEdit *m_operande2;
    QButtonGroup *m_operateur;
};

class TBoucleWhile : public TConditionDialog
{
    Q_OBJECT
public:
    explicit TBoucleWhile(QWidget *owner);
    // Empty after Annuler, without a first operand or without an operator.
    void Result(QString &text) const;
};

class TConditionIf : public TConditionDialog
{
    Q_OBJECT
public:
    explicit TConditionIf(QWidget *owner);
    void Result(QString &text) const;

private:
    QCheckBox *m_else;
};

// "Mots clé": a list of keywords. Enter, a double-click, a click beside the
// list or the close box keep the current entry; Escape leaves none.
class TMotsCle : public QDialog
{
    Q_OBJECT
public:
    explicit TMotsCle(QWidget *owner);
    // The chosen keyword; empty when the user cancelled.
    QString selectedEntry() const;
    QListWidget *list() const { return m_list; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QListWidget *m_list;
};

class TJava : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TJava(QWidget *owner);
    // The page's folder, against which the class file is made relative.
    void Init(const QString &pageFolder);
    void Result(QString &text) const;

private:
    void chooseClass();

    QString m_dossier;
    QLineEdit *m_applet;
    QLineEdit *m_largeur;
    QLineEdit *m_hauteur;
    QLineEdit *m_paramName;
    QLineEdit *m_paramValue;
    QPlainTextEdit *m_texte;
};

class TIlotxml : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TIlotxml(QWidget *owner);
    void Init(const QString &pageFolder);
    // Empty after Annuler or without an id.
    void Result(QString &text) const;

private:
    void chooseFile();

    QString m_dossier;
    QLineEdit *m_id;
    QLineEdit *m_url;
    QPlainTextEdit *m_source;
};
