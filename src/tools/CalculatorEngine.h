#pragma once
// The pocket calculator's arithmetic, driven key by key like the device it
// imitates: operations chain from left to right, "=" repeats the last
// operation, "%" works as on a desk calculator. No widgets here.
#include <QChar>
#include <QString>

namespace Tools {

class CalculatorEngine
{
public:
    enum class Op { None, Add, Subtract, Multiply, Divide };

    // Most digits a typed number may hold.
    static constexpr int MaxDigits = 12;

    void digit(int value);
    void decimalPoint();
    void operation(Op op);
    void equals();
    void percent();
    void changeSign();
    void clear();      // C: everything but the memory
    void clearEntry(); // CE: the number being typed
    void backspace();

    void memoryClear();
    void memoryRecall();
    void memoryAdd();
    void memorySubtract();

    // A character typed on the keyboard: digits, "." or ",", + - * x / :,
    // "=", "%". Returns false for a character the calculator does not use.
    bool key(QChar c);

    // What the display shows: the number typed, the last result (French
    // decimal comma) or the error text.
    QString display() const;
    bool hasError() const { return !m_error.isEmpty(); }
    bool hasMemory() const { return m_memorySet; }
    double value() const;

    static QString format(double value);

private:
    double apply(double left, Op op, double right);
    void finishEntry();
    void startEntryIfNeeded();
    bool resetAfterError();

    QString m_entry;        // the number being typed, with '.' as separator
    bool m_typing = false;
    double m_value = 0;     // shown when not typing
    double m_accumulator = 0;
    Op m_pending = Op::None;
    bool m_haveOperand = false; // a right operand was given since the last operator
    Op m_repeatOp = Op::None;
    double m_repeatOperand = 0;
    double m_memory = 0;
    bool m_memorySet = false;
    QString m_error;
};

} // namespace Tools
