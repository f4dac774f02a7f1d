#include "NumberField.h"

#include "dialogs/NumberText.h"

#include <QLineEdit>
#include <limits>

TNumberField::TNumberField(int value, int minimum, int maximum, QWidget *parent)
    : QSpinBox(parent), m_minimum(minimum)
{
    if (minimum == 0 && maximum == 0)
        setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    else
        setRange(minimum, maximum);
    setValue(value);
    // The unbounded range would size the box for ten digits.
    setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 36);
}

int TNumberField::number() const
{
    return NumberText::parse(lineEdit()->text()).value_or(m_minimum);
}
