#include "StepperField.h"

#include "dialogs/NumberText.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValidator>

namespace {

// Limits what is typed, not what the buttons write: unlike a line edit's
// maximum length, a validator does not cut text set by the program.
class LengthLimit : public QValidator
{
public:
    LengthLimit(int limit, QLineEdit *edit) : QValidator(edit), m_limit(limit), m_edit(edit) {}
    State validate(QString &input, int &) const override
    {
        // Shortening a longer number written by the buttons stays possible.
        if (input.size() > m_limit && input.size() >= m_edit->text().size())
            return Invalid;
        return Acceptable;
    }

private:
    int m_limit;
    QLineEdit *m_edit;
};

} // namespace

TStepperField::TStepperField(const QString &text, QWidget *parent)
    : QWidget(parent), m_stepUp(NumberText::stepUp), m_stepDown(NumberText::stepDown)
{
    m_edit = new QLineEdit(text, this);
    m_edit->setObjectName(QStringLiteral("edit"));
    m_edit->setFixedWidth(m_edit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    m_up = new QToolButton(this);
    m_up->setObjectName(QStringLiteral("up"));
    m_up->setArrowType(Qt::UpArrow);
    m_down = new QToolButton(this);
    m_down->setObjectName(QStringLiteral("down"));
    m_down->setArrowType(Qt::DownArrow);
    const int half = std::max(10, m_edit->sizeHint().height() / 2);
    for (QToolButton *b : {m_up, m_down}) {
        b->setFixedSize(16, half);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    m_up->setAccessibleName(QStringLiteral("Augmenter"));
    m_down->setAccessibleName(QStringLiteral("Diminuer"));

    auto *buttons = new QVBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(0);
    buttons->addWidget(m_up);
    buttons->addWidget(m_down);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(m_edit);
    layout->addLayout(buttons);
    layout->addStretch();
    setFocusProxy(m_edit);
    m_edit->installEventFilter(this);

    connect(m_up, &QToolButton::clicked, this, &TStepperField::stepUp);
    connect(m_down, &QToolButton::clicked, this, &TStepperField::stepDown);
}

QString TStepperField::text() const { return m_edit->text(); }

void TStepperField::setText(const QString &text) { m_edit->setText(text); }

void TStepperField::setMaxLength(int length) { m_edit->setValidator(new LengthLimit(length, m_edit)); }

void TStepperField::setAccessibleName(const QString &name)
{
    QWidget::setAccessibleName(name);
    m_edit->setAccessibleName(name);
}

void TStepperField::setSteps(Step up, Step down)
{
    m_stepUp = std::move(up);
    m_stepDown = std::move(down);
}

void TStepperField::stepUp() { m_edit->setText(m_stepUp(m_edit->text())); }

void TStepperField::stepDown() { m_edit->setText(m_stepDown(m_edit->text())); }

bool TStepperField::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            if (key->key() == Qt::Key_Up) {
                stepUp();
                return true;
            }
            if (key->key() == Qt::Key_Down) {
                stepDown();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
