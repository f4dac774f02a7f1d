#pragma once
// The modeless find and replace dialogs of a document window. They keep
// their texts and options while the window lives and only raise signals;
// the window runs the searches.
#include "colormemo/TextSearch.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TSearchDialog : public QDialog
{
    Q_OBJECT
public:
    QString findText() const;
    void setFindText(const QString &text);
    virtual SearchOptions options() const;
    // Whether the search text is a regular expression.
    bool regex() const;
    // Shows the dialog beside its window, or brings it back to the front.
    void showModeless();

    QLineEdit *FindEdit = nullptr;
    QCheckBox *WholeWordBox = nullptr;
    QCheckBox *MatchCaseBox = nullptr;
    QCheckBox *RegexBox = nullptr;
    // Under the search field: why the expression cannot be used.
    QLabel *RegexError = nullptr;
    QPushButton *FindNextBtn = nullptr;
    QPushButton *CancelBtn = nullptr;

Q_SIGNALS:
    void findNext();

protected:
    explicit TSearchDialog(const QString &caption, QWidget *parent);
    // The buttons that need a search text are disabled without one, and
    // while the text is a regular expression that does not compile.
    virtual void updateButtons();
    bool searchUsable() const;
};

class TFindDialog : public TSearchDialog
{
    Q_OBJECT
public:
    explicit TFindDialog(QWidget *parent);
    SearchOptions options() const override;

    QRadioButton *UpBtn = nullptr;
    QRadioButton *DownBtn = nullptr;
};

class TReplaceDialog : public TSearchDialog
{
    Q_OBJECT
public:
    explicit TReplaceDialog(QWidget *parent);
    QString replaceText() const;
    void setReplaceText(const QString &text);
    // The replace dialog always searches downwards.
    SearchOptions options() const override;

    QLineEdit *ReplaceEdit = nullptr;
    QPushButton *ReplaceBtn = nullptr;
    QPushButton *ReplaceAllBtn = nullptr;

Q_SIGNALS:
    void replace();
    void replaceAll();

protected:
    void updateButtons() override;
};
