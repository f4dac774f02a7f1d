#include "ftp/SyncConfirm.h"

#include "ftp/SyncPlan.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace SyncConfirm {

namespace {

Handler &handler()
{
    static Handler h;
    return h;
}

QString count(qsizetype n, const char *one, const char *many)
{
    return QString::number(n) + u' ' + QString::fromUtf8(n > 1 ? many : one);
}

} // namespace

void setHandler(Handler h) { handler() = std::move(h); }

QString sizeText(qint64 bytes)
{
    if (bytes < 1024)
        return QString::number(bytes) + (bytes > 1 ? QStringLiteral(" octets") : QStringLiteral(" octet"));
    static const char *units[] = {" Ko", " Mo", " Go", " To"};
    double value = double(bytes) / 1024.0;
    int unit = 0;
    while (value >= 1024.0 && unit < 3) {
        value /= 1024.0;
        ++unit;
    }
    return QString::number(value, 'f', 1).replace(u'.', u',') + QString::fromLatin1(units[unit]);
}

QString summary(const FtpSync::Plan &plan)
{
    QStringList parts;
    if (!plan.createFolders.isEmpty())
        parts << count(plan.createFolders.size(), "dossier à créer", "dossiers à créer");
    if (!plan.send.isEmpty())
        parts << count(plan.send.size(), "fichier à envoyer", "fichiers à envoyer") + QStringLiteral(" (")
                     + sizeText(plan.bytesToSend()) + u')';
    const qsizetype deletions = plan.deleteFiles.size() + plan.deleteFolders.size();
    if (deletions > 0)
        parts << count(deletions, "élément à supprimer sur le serveur", "éléments à supprimer sur le serveur");
    if (parts.isEmpty())
        return QStringLiteral("Rien à envoyer : le serveur est à jour.");
    return parts.join(QStringLiteral(", ")) + u'.';
}

QStringList lines(const FtpSync::Plan &plan)
{
    QStringList out;
    for (const QString &folder : plan.createFolders)
        out << QStringLiteral("Créer le dossier ") + folder;
    for (const FtpSync::Upload &u : plan.send) {
        QString line = QStringLiteral("Envoyer ") + u.file.path + QStringLiteral(" (") + sizeText(u.file.size);
        if (u.resumeAt > 0)
            line += QStringLiteral(", reprise à ") + sizeText(u.resumeAt);
        else if (u.isNew)
            line += QStringLiteral(", nouveau");
        else
            line += QStringLiteral(", modifié");
        out << line + u')';
    }
    for (const QString &file : plan.deleteFiles)
        out << QStringLiteral("Supprimer ") + file;
    for (const QString &folder : plan.deleteFolders)
        out << QStringLiteral("Supprimer le dossier ") + folder;
    return out;
}

bool ask(QWidget *parent, const FtpSync::Plan &plan)
{
    const Request request{summary(plan), lines(plan)};
    if (const Handler &h = handler())
        return h(request);
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("ConfirmationSynchro"));
    dialog.setWindowTitle(QStringLiteral("Synchroniser"));
    dialog.setAccessibleName(dialog.windowTitle());
    auto *text = new QLabel(request.summary);
    text->setWordWrap(true);
    auto *list = new QListWidget;
    list->setObjectName(QStringLiteral("ListeSynchro"));
    list->setAccessibleName(QStringLiteral("Ce qui sera fait"));
    list->addItems(request.lines);
    text->setBuddy(list);
    auto *buttons = new QDialogButtonBox;
    QPushButton *run = buttons->addButton(QStringLiteral("Synchroniser"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
    run->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    layout->addWidget(list, 1);
    layout->addWidget(buttons);
    dialog.resize(560, 420);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace SyncConfirm
