#pragma once
// A spin box with its own bounds. Bounds of 0 and 0 mean unbounded; an entry
// that cannot be read (an empty box, a lone minus sign) counts as the minimum.
#include <QSpinBox>

class TNumberField : public QSpinBox
{
    Q_OBJECT
public:
    TNumberField(int value, int minimum, int maximum, QWidget *parent = nullptr);

    // The number the box stands for, as the dialogs read it.
    int number() const;

private:
    int m_minimum;
};
