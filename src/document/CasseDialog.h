#pragma once
// TFCasse: "Changer la casse". Given the selected text, it hands back the
// text in lower or upper case, or unchanged when the user cancels.
#include <QDialog>

class QButtonGroup;
class QRadioButton;

class TFCasse : public QDialog
{
    Q_OBJECT
public:
    explicit TFCasse(QWidget *parent = nullptr);

    void Init(const QString &text);
    // The converted text after "OK"; the text as given otherwise.
    QString Result() const;
    bool confirmed() const { return m_confirmed; }

    QRadioButton *lowerButton() const { return m_lower; }
    QRadioButton *upperButton() const { return m_upper; }

private:
    QString m_text;
    bool m_confirmed = false;
    QRadioButton *m_lower = nullptr;
    QRadioButton *m_upper = nullptr;
};
