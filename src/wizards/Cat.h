#pragma once
// "Parcourir": the pictures of the current folder to make thumbnails of,
// and the thumbnails' largest size.
#include "dialogs/InsertDialog.h"

#include <QStringList>

class QListWidget;
class QToolButton;
class TNumberField;

class TCat : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TCat(QWidget *owner);

    struct Choice {
        bool ok = false;
        int width = 100;
        int height = 100;
    };
    Choice Result() const;
    // The chosen pictures, names without folder, in the order added.
    QStringList files() const;

    // Appends every selected name of the folder's list to the chosen list
    // (a name may be added twice).
    void Ajouter();

    QListWidget *FileListBox1 = nullptr; // the current folder's pictures
    QToolButton *SpeedButton1 = nullptr; // adds the selected ones
    QListWidget *ListBox1 = nullptr;     // the chosen pictures
    TNumberField *Largeur = nullptr;
    TNumberField *Hauteur = nullptr;

    // The sizes are read as the window closes: the spin fields put back
    // their last number over an entry they cannot read once they are hidden.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillFileList();
    int m_width = 100;
    int m_height = 100;
};
