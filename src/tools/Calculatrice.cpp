#include "Calculatrice.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using Op = Tools::CalculatorEngine::Op;

TCalculatrice::TCalculatrice(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("Calculatrice"));
    setWindowTitle(QStringLiteral("Calculatrice"));
    setAccessibleName(windowTitle());

    m_display = new QLineEdit(this);
    m_display->setObjectName(QStringLiteral("Display"));
    m_display->setAccessibleName(QStringLiteral("Affichage"));
    m_display->setReadOnly(true);
    m_display->setAlignment(Qt::AlignRight);
    m_display->setFocusPolicy(Qt::NoFocus); // keys go to the calculator itself
    QFont big = m_display->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    m_display->setFont(big);
    m_display->setMinimumWidth(m_display->fontMetrics().horizontalAdvance(QStringLiteral("Division par zéro impossible")) + 20);

    m_memory = new QLabel(this);
    m_memory->setObjectName(QStringLiteral("MemoryIndicator"));
    m_memory->setAccessibleName(QStringLiteral("Mémoire"));
    m_memory->setFixedWidth(m_memory->fontMetrics().horizontalAdvance(QStringLiteral("MM")));

    m_keys = new QGridLayout;
    auto &e = m_engine;
    addKey(0, 0, QStringLiteral("MC"), QStringLiteral("BtnMC"), QStringLiteral("Effacer la mémoire"), [&e] { e.memoryClear(); });
    addKey(0, 1, QStringLiteral("MR"), QStringLiteral("BtnMR"), QStringLiteral("Rappeler la mémoire"), [&e] { e.memoryRecall(); });
    addKey(0, 2, QStringLiteral("M+"), QStringLiteral("BtnMPlus"), QStringLiteral("Ajouter à la mémoire"), [&e] { e.memoryAdd(); });
    addKey(0, 3, QStringLiteral("M−"), QStringLiteral("BtnMMinus"), QStringLiteral("Soustraire de la mémoire"), [&e] { e.memorySubtract(); });
    addKey(0, 4, QStringLiteral("←"), QStringLiteral("BtnBack"), QStringLiteral("Effacer le dernier chiffre"), [&e] { e.backspace(); });
    const int digitRows[10][2] = {{4, 0}, {3, 0}, {3, 1}, {3, 2}, {2, 0}, {2, 1}, {2, 2}, {1, 0}, {1, 1}, {1, 2}};
    for (int d = 0; d <= 9; ++d)
        addKey(digitRows[d][0], digitRows[d][1], QString::number(d), QStringLiteral("Btn%1").arg(d),
               QString::number(d), [&e, d] { e.digit(d); });
    addKey(4, 1, QStringLiteral("±"), QStringLiteral("BtnSign"), QStringLiteral("Changer de signe"), [&e] { e.changeSign(); });
    addKey(4, 2, QStringLiteral(","), QStringLiteral("BtnComma"), QStringLiteral("Virgule"), [&e] { e.decimalPoint(); });
    addKey(1, 3, QStringLiteral("÷"), QStringLiteral("BtnDivide"), QStringLiteral("Diviser"), [&e] { e.operation(Op::Divide); });
    addKey(2, 3, QStringLiteral("×"), QStringLiteral("BtnMultiply"), QStringLiteral("Multiplier"), [&e] { e.operation(Op::Multiply); });
    addKey(3, 3, QStringLiteral("−"), QStringLiteral("BtnSubtract"), QStringLiteral("Soustraire"), [&e] { e.operation(Op::Subtract); });
    addKey(4, 3, QStringLiteral("+"), QStringLiteral("BtnAdd"), QStringLiteral("Additionner"), [&e] { e.operation(Op::Add); });
    addKey(1, 4, QStringLiteral("C"), QStringLiteral("BtnClear"), QStringLiteral("Effacer tout"), [&e] { e.clear(); });
    addKey(2, 4, QStringLiteral("CE"), QStringLiteral("BtnClearEntry"), QStringLiteral("Effacer le nombre"), [&e] { e.clearEntry(); });
    addKey(3, 4, QStringLiteral("%"), QStringLiteral("BtnPercent"), QStringLiteral("Pourcentage"), [&e] { e.percent(); });
    addKey(4, 4, QStringLiteral("="), QStringLiteral("BtnEquals"), QStringLiteral("Égal"), [&e] { e.equals(); });

    auto *displayRow = new QHBoxLayout;
    displayRow->addWidget(m_memory);
    displayRow->addWidget(m_display, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(displayRow);
    layout->addLayout(m_keys);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    refresh();
}

void TCalculatrice::addKey(int row, int column, const QString &caption, const QString &name,
                           const QString &accessible, const std::function<void()> &action)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setAccessibleName(accessible);
    if (accessible != caption)
        button->setToolTip(accessible);
    // Enter must mean "=", never a click on the focused key.
    button->setAutoDefault(false);
    button->setMinimumSize(48, 36);
    connect(button, &QPushButton::clicked, this, [this, action] {
        action();
        refresh();
    });
    m_keys->addWidget(button, row, column);
}

QString TCalculatrice::display() const { return m_display->text(); }

void TCalculatrice::refresh()
{
    m_display->setText(m_engine.display());
    m_memory->setText(m_engine.hasMemory() ? QStringLiteral("M") : QString());
}

void TCalculatrice::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_engine.equals();
        break;
    case Qt::Key_Backspace:
        m_engine.backspace();
        break;
    case Qt::Key_Delete:
        m_engine.clearEntry();
        break;
    case Qt::Key_F9:
        m_engine.changeSign();
        break;
    default: {
        const QString text = event->text();
        if (text.size() == 1 && text.at(0).toLower() == u'c' && !(event->modifiers() & Qt::ControlModifier)) {
            m_engine.clear();
        } else if (text.size() != 1 || !m_engine.key(text.at(0))) {
            QDialog::keyPressEvent(event); // Escape closes
            return;
        }
    }
    }
    refresh();
    event->accept();
}
