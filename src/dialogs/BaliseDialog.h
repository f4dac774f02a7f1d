#pragma once
// "Balises HTML": a list of tags to pick from. Enter, a double-click, a click
// on the form or closing the window take the current entry; Escape takes
// none. The caller reads selectedEntry() once the window has closed.
#include <QDialog>

class QListWidget;

class TFBalise : public QDialog
{
    Q_OBJECT
public:
    explicit TFBalise(QWidget *owner);

    // The selected entry; empty when none (the picker was cancelled).
    QString selectedEntry() const;
    QListWidget *list() const { return m_list; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void cancel();
    QListWidget *m_list;
};
