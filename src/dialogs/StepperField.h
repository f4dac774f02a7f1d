#pragma once
// A one-line box with an up/down button pair beside it. The buttons step the
// number in the box (NumberText::stepUp/stepDown); the box itself accepts
// any text, limited only in length.
#include <QWidget>

class QLineEdit;
class QToolButton;

class TStepperField : public QWidget
{
    Q_OBJECT
public:
    explicit TStepperField(const QString &text, QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    // Limits what is typed; the buttons may still write longer numbers.
    void setMaxLength(int length);
    void setAccessibleName(const QString &name);

    QLineEdit *edit() const { return m_edit; }
    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

    void stepUp();
    void stepDown();

private:
    QLineEdit *m_edit;
    QToolButton *m_up;
    QToolButton *m_down;
};
