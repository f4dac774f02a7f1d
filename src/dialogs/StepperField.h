#pragma once
// A one-line box with an up/down button pair beside it. The buttons step the
// number in the box (NumberText::stepUp/stepDown unless told otherwise); the
// box itself accepts any text, limited only in length.
#include <QWidget>
#include <functional>

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
    // Names the field and its text box alike (QWidget's own setter is not
    // virtual: TInsertDialog::labelFor comes here through a cast).
    void setAccessibleName(const QString &name);
    // What the buttons write, given the box's text.
    using Step = std::function<QString(const QString &)>;
    void setSteps(Step up, Step down);

    QLineEdit *edit() const { return m_edit; }
    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

    void stepUp();
    void stepDown();

protected:
    // The Up and Down keys in the box step like the buttons.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_edit;
    QToolButton *m_up;
    QToolButton *m_down;
    Step m_stepUp;
    Step m_stepDown;
};
