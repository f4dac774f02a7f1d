#pragma once
// Base of the insertion dialogs: a modal window with a French caption and a
// confirmation flag, set by its OK button and cleared by its Annuler button
// (and by Escape or the close box, which cancel). Result builders read the
// flag and give nothing after a cancel.
#include <QDialog>

class QPushButton;
class QLabel;
class QHBoxLayout;

class TInsertDialog : public QDialog
{
    Q_OBJECT
public:
    TInsertDialog(QWidget *owner, const QString &caption);

    bool confirmed() const { return m_confirmed; }

    // Annuler, Escape and the close box all clear the flag.
    void reject() override;

protected:
    // "OK" (objectName OKBtn, the default button) and "Annuler" (CancelBtn).
    QPushButton *makeOkButton();
    QPushButton *makeCancelButton();
    // The usual bottom row: OK then Annuler, pushed to the right.
    QHBoxLayout *makeButtonRow();
    // The script generators' bottom row: Annuler then OK, pushed to the right.
    QHBoxLayout *makeCancelOkRow();
    // A label that names its field for the keyboard and for screen readers.
    QLabel *labelFor(const QString &caption, QWidget *field);
    void resetConfirmation() { m_confirmed = false; }

private:
    bool m_confirmed = false;
};
