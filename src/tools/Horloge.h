#pragma once
// The clock tool window: the current time and date in spin fields, which
// follow the clock until the user changes one; "Set" then sets the system
// clock to them.
#include <QDialog>

class QDateEdit;
class QLabel;
class QTimeEdit;
class QTimer;

class THorloge : public QDialog
{
    Q_OBJECT
public:
    explicit THorloge(QWidget *owner);
    // True while the fields show the running clock.
    bool following() const { return m_following; }
    // Sets the system clock from the fields; reports a refusal in French.
    void setClock();

private:
    void tick();
    void userEdited();

    QTimeEdit *m_time;
    QDateEdit *m_date;
    QLabel *m_status;
    QTimer *m_timer;
    bool m_following = true;
    bool m_updating = false;
};
