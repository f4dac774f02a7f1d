#include "CalculatorEngine.h"

#include <cmath>

namespace Tools {

namespace {
const QString divisionByZero = QStringLiteral("Division par zéro impossible");
const QString overflow = QStringLiteral("Dépassement de capacité");

int digitCount(const QString &entry)
{
    int n = 0;
    for (QChar c : entry)
        if (c.isDigit())
            ++n;
    return n;
}
} // namespace

QString CalculatorEngine::format(double value)
{
    if (value == 0)
        return QStringLiteral("0"); // never "-0"
    QString text = QString::number(value, 'g', MaxDigits);
    text.replace(u'.', u',');
    return text;
}

double CalculatorEngine::value() const { return m_typing ? m_entry.toDouble() : m_value; }

QString CalculatorEngine::display() const
{
    if (hasError())
        return m_error;
    if (m_typing) {
        QString text = m_entry;
        text.replace(u'.', u',');
        return text;
    }
    return format(m_value);
}

bool CalculatorEngine::resetAfterError()
{
    if (!hasError())
        return false;
    clear();
    return true;
}

void CalculatorEngine::startEntryIfNeeded()
{
    if (!m_typing) {
        m_entry = QStringLiteral("0");
        m_typing = true;
        m_haveOperand = true;
    }
}

void CalculatorEngine::finishEntry()
{
    if (m_typing) {
        m_value = m_entry.toDouble();
        m_typing = false;
    }
}

void CalculatorEngine::digit(int value)
{
    if (value < 0 || value > 9)
        return;
    resetAfterError();
    if (m_pending == Op::None && !m_typing)
        m_repeatOp = Op::None; // a new number after "=" starts a new calculation
    startEntryIfNeeded();
    if (digitCount(m_entry) >= MaxDigits)
        return;
    const QChar d = QChar(u'0' + value);
    if (m_entry == QLatin1String("0"))
        m_entry = d;
    else if (m_entry == QLatin1String("-0"))
        m_entry = QStringLiteral("-") + d;
    else
        m_entry += d;
}

void CalculatorEngine::decimalPoint()
{
    resetAfterError();
    startEntryIfNeeded();
    if (!m_entry.contains(u'.'))
        m_entry += u'.';
}

double CalculatorEngine::apply(double left, Op op, double right)
{
    double result = right;
    switch (op) {
    case Op::None: break;
    case Op::Add: result = left + right; break;
    case Op::Subtract: result = left - right; break;
    case Op::Multiply: result = left * right; break;
    case Op::Divide:
        if (right == 0) {
            m_error = divisionByZero;
            return 0;
        }
        result = left / right;
        break;
    }
    if (!std::isfinite(result)) {
        m_error = overflow;
        return 0;
    }
    return result;
}

void CalculatorEngine::operation(Op op)
{
    if (hasError())
        return;
    finishEntry();
    if (m_pending != Op::None && m_haveOperand) {
        m_value = apply(m_accumulator, m_pending, m_value);
        if (hasError())
            return;
    }
    m_accumulator = m_value;
    m_pending = op;
    m_haveOperand = false;
}

void CalculatorEngine::equals()
{
    if (hasError())
        return;
    finishEntry();
    if (m_pending != Op::None) {
        // "2 + =" adds the number to itself, as desk calculators do.
        const double operand = m_haveOperand ? m_value : m_accumulator;
        m_repeatOp = m_pending;
        m_repeatOperand = operand;
        m_value = apply(m_accumulator, m_pending, operand);
        m_pending = Op::None;
    } else if (m_repeatOp != Op::None) {
        m_value = apply(m_value, m_repeatOp, m_repeatOperand);
    }
    m_haveOperand = false;
}

void CalculatorEngine::percent()
{
    if (hasError())
        return;
    finishEntry();
    // "200 + 5 %" adds 5 % of 200; "200 x 5 %" takes 5 % of 200.
    if (m_pending == Op::Add || m_pending == Op::Subtract)
        m_value = m_accumulator * m_value / 100;
    else
        m_value = m_value / 100;
    m_haveOperand = true;
}

void CalculatorEngine::changeSign()
{
    if (hasError())
        return;
    if (m_typing) {
        if (m_entry.startsWith(u'-'))
            m_entry.remove(0, 1);
        else
            m_entry.prepend(u'-');
        return;
    }
    m_value = -m_value;
    if (m_pending != Op::None)
        m_haveOperand = true;
}

void CalculatorEngine::clear()
{
    const double memory = m_memory;
    const bool memorySet = m_memorySet;
    *this = CalculatorEngine();
    m_memory = memory;
    m_memorySet = memorySet;
}

void CalculatorEngine::clearEntry()
{
    if (resetAfterError())
        return;
    m_entry = QStringLiteral("0");
    m_typing = true;
    m_haveOperand = true;
}

void CalculatorEngine::backspace()
{
    if (hasError() || !m_typing)
        return;
    m_entry.chop(1);
    if (m_entry.isEmpty() || m_entry == QLatin1String("-"))
        m_entry = QStringLiteral("0");
}

void CalculatorEngine::memoryClear()
{
    m_memory = 0;
    m_memorySet = false;
}

void CalculatorEngine::memoryRecall()
{
    resetAfterError();
    if (m_pending == Op::None)
        m_repeatOp = Op::None;
    m_typing = false;
    m_value = m_memory;
    m_haveOperand = true;
}

void CalculatorEngine::memoryAdd()
{
    if (hasError())
        return;
    finishEntry();
    m_memory += m_value;
    m_memorySet = true;
}

void CalculatorEngine::memorySubtract()
{
    if (hasError())
        return;
    finishEntry();
    m_memory -= m_value;
    m_memorySet = true;
}

bool CalculatorEngine::key(QChar c)
{
    if (c.isDigit() && c.unicode() < 128) {
        digit(c.digitValue());
        return true;
    }
    switch (c.unicode()) {
    case u'.': case u',': decimalPoint(); return true;
    case u'+': operation(Op::Add); return true;
    case u'-': case u'\u2212': operation(Op::Subtract); return true;
    case u'*': case u'x': case u'X': case u'\u00D7': operation(Op::Multiply); return true;
    case u'/': case u':': case u'\u00F7': operation(Op::Divide); return true;
    case u'=': equals(); return true;
    case u'%': percent(); return true;
    default: return false;
    }
}

} // namespace Tools
