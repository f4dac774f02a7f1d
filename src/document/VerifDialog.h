#pragma once
// TVerif: "Vérification du code", the grid of the tag balance check.
#include "document/PageCheck.h"

#include <QDialog>

class QTableWidget;

class TVerif : public QDialog
{
    Q_OBJECT
public:
    explicit TVerif(QWidget *parent = nullptr);

    // One grid row per entry, below the header row.
    void Init(const QList<PageCheck::TagBalance> &entries);

    QTableWidget *grid() const { return m_grid; }

private:
    QTableWidget *m_grid = nullptr;
};
