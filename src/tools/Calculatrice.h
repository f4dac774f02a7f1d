#pragma once
// The pocket calculator tool window: buttons and keyboard drive the
// arithmetic of Tools::CalculatorEngine.
#include "tools/CalculatorEngine.h"

#include <QDialog>
#include <functional>

class QGridLayout;
class QLabel;
class QLineEdit;

class TCalculatrice : public QDialog
{
    Q_OBJECT
public:
    explicit TCalculatrice(QWidget *owner);
    QString display() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void addKey(int row, int column, const QString &caption, const QString &name,
                const QString &accessible, const std::function<void()> &action);
    void refresh();

    Tools::CalculatorEngine m_engine;
    QLineEdit *m_display;
    QLabel *m_memory;
    QGridLayout *m_keys;
};
