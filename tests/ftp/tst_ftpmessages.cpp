// The French words for connections that do not open: the network's failures
// as the engine reports them, and the server's refusals.
#include "testmain.h"

#include "ftp/FtpMessages.h"

class TestFtpMessages : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void connectionFailure_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("text");
        const QString server = QStringLiteral("Le serveur «\u00A0ftp.exemple.fr\u00A0»");
        QTest::newRow("unknown host name")
            << 500 << "500 Host not found (Winsock error #11001)"
            << "Aucun serveur ne porte le nom «\u00A0ftp.exemple.fr\u00A0» : vérifiez l'adresse de l'hôte.";
        QTest::newRow("nothing on the port")
            << 500 << "500 Connection refused (Winsock error #10061)"
            << server + " refuse la connexion sur le port 2121 : aucun serveur FTP n'y répond.";
        QTest::newRow("unreachable") << 500 << "500 Connection timed out (Winsock error #10060)"
                                     << server + " est injoignable : vérifiez l'adresse et la connexion au réseau.";
        QTest::newRow("other network failure, its words kept")
            << 500 << "500 Unknown error (Winsock error #20099)"
            << "La connexion au serveur «\u00A0ftp.exemple.fr\u00A0» a échoué.\n"
               "Réponse du serveur : 500 Unknown error (Winsock error #20099)";
        QTest::newRow("login refused") << 530 << "530 Login incorrect."
                                       << server + " refuse l'identification : nom d'usager ou mot de passe "
                                                   "incorrect.\nRéponse du serveur : 530 Login incorrect.";
        QTest::newRow("too many users") << 421 << "421 There are too many connected users, please try later."
                                        << server + " n'accepte pas de connexion pour l'instant.\nRéponse du "
                                                    "serveur : 421 There are too many connected users, please "
                                                    "try later.";
        // The status still holds the last reply read when the line dropped.
        QTest::newRow("closed in the middle, judged on the reply that ended it")
            << 234 << "426 Connection closed by the server"
            << server + " a fermé la connexion.\nRéponse du serveur : 426 Connection closed by the server";
        QTest::newRow("no reply at all") << 0 << "" << "La connexion au serveur «\u00A0ftp.exemple.fr\u00A0» a échoué.";
    }
    void connectionFailure()
    {
        QFETCH(int, code);
        QFETCH(QString, reply);
        QFETCH(QString, text);
        QCOMPARE(FtpMessages::connectionFailure(QStringLiteral("ftp.exemple.fr"), QStringLiteral("2121"), code, reply),
                 text);
    }
};

PEMO_TEST(TestFtpMessages)
#include "tst_ftpmessages.moc"
