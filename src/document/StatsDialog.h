#pragma once
// TStats: "Statistiques de la page", a list of report lines and "OK".
#include <QDialog>

class QListWidget;

class TStats : public QDialog
{
    Q_OBJECT
public:
    explicit TStats(QWidget *parent = nullptr);

    // Appends one line to the list.
    void Init(const QString &text);

    QListWidget *list() const { return m_list; }

private:
    QListWidget *m_list = nullptr;
};
