#pragma once
// The question before a synchronisation runs: the list of what it would
// create, send and delete on the server. Tests answer it through the handler.
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;
namespace FtpSync {
struct Plan;
}

namespace SyncConfirm {

// "1 dossier à créer, 3 fichiers à envoyer (1,2 Mo), 2 fichiers à supprimer sur le serveur."
QString summary(const FtpSync::Plan &plan);
// One line per action, in the order they run.
QStringList lines(const FtpSync::Plan &plan);
// "512 octets", "1,2 Ko", "3,4 Mo", "1,1 Go".
QString sizeText(qint64 bytes);

// True when the user lets it run.
bool ask(QWidget *parent, const FtpSync::Plan &plan);

struct Request {
    QString summary;
    QStringList lines;
};
using Handler = std::function<bool(const Request &)>;
// An empty handler restores the real dialog.
void setHandler(Handler handler);

} // namespace SyncConfirm
