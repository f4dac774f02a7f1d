#pragma once
// The euro converter tool window: a currency, an amount in that currency and
// the same amount in euros. Typing in either field fills the other.
#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

class TEuroConvert : public QDialog
{
    Q_OBJECT
public:
    explicit TEuroConvert(QWidget *owner);

private:
    void currencyChanged();
    void nationalEdited();
    void euroEdited();

    QComboBox *m_currency;
    QLabel *m_rate;
    QLabel *m_nationalLabel;
    QLineEdit *m_national;
    QLineEdit *m_euro;
    QLabel *m_status;
    bool m_lastEditedEuro = false;
};
