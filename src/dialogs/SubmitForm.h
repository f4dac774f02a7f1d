#pragma once
// TSubmitForm: what a form of the preview would have sent (its action, its
// method and one "name=value" line per entry). Nothing is sent anywhere.
#include <QDialog>
#include <QStringList>

class QLineEdit;
class QListWidget;
class QPushButton;

class TSubmitForm : public QDialog
{
    Q_OBJECT
public:
    explicit TSubmitForm(QWidget *owner = nullptr);

    void Init(const QString &action, const QString &method, const QStringList &entries);

    QLineEdit *ActionEdit = nullptr;
    QLineEdit *MethodeEdit = nullptr;
    QListWidget *Resultat = nullptr;
    QPushButton *FermerBtn = nullptr;
};
