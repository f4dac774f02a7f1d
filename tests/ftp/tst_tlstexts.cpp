// The French words for certificate problems and failed secure sessions.
#include "testmain.h"

#include "ftp/TlsTexts.h"

class TestTlsTexts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void reasons_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("text");
        QTest::newRow("expired") << int(QSslError::CertificateExpired) << "le certificat a expiré";
        QTest::newRow("not yet valid") << int(QSslError::CertificateNotYetValid)
                                       << "le certificat n'est pas encore valide";
        QTest::newRow("untrusted root") << int(QSslError::UnableToGetLocalIssuerCertificate)
                                        << "l'autorité qui a émis le certificat n'est pas reconnue";
        QTest::newRow("untrusted") << int(QSslError::CertificateUntrusted)
                                   << "l'autorité qui a émis le certificat n'est pas reconnue";
        QTest::newRow("revoked") << int(QSslError::CertificateRevoked) << "le certificat a été révoqué";
        // Without a certificate to read names from, the host alone is named.
        QTest::newRow("host name, no certificate")
            << int(QSslError::HostNameMismatch) << QStringLiteral("le certificat n'est pas établi au nom de «\u00A0ftp.example.org\u00A0»");
        QTest::newRow("no words of our own: the library's")
            << int(QSslError::PathLengthExceeded) << QSslError(QSslError::PathLengthExceeded).errorString();
    }
    void reasons()
    {
        QFETCH(int, error);
        QFETCH(QString, text);
        QCOMPARE(TlsTexts::reason(QSslError(QSslError::SslError(error)), QStringLiteral("ftp.example.org")), text);
    }

    void sameWordsOnce()
    {
        // Two errors that say the same thing in French are listed once.
        const QString q = TlsTexts::question(QStringLiteral("h"),
                                             {QSslError(QSslError::UnableToGetLocalIssuerCertificate),
                                              QSslError(QSslError::CertificateUntrusted)},
                                             QSslCertificate());
        QCOMPARE(q.count(QStringLiteral("n'est pas reconnue")), 1);
        QVERIFY(q.startsWith(QStringLiteral("Le certificat du serveur «\u00A0h\u00A0» n'est pas vérifié :\n- l'autorité")));
        QVERIFY(q.endsWith(QStringLiteral("\n\nSe connecter quand même ?")));
    }

    void failures_data()
    {
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("text");
        QTest::newRow("refused") << int(ftpTlsRefused)
                                 << "Le serveur refuse la connexion sécurisée (TLS) : 502 AUTH not supported";
        QTest::newRow("handshake") << int(ftpTlsHandshake)
                                   << "La connexion sécurisée (TLS) avec le serveur a échoué : 502 AUTH not supported";
        QTest::newRow("turned down by the user: nothing more to say") << int(ftpTlsRejected) << QString();
    }
    void failures()
    {
        QFETCH(int, failure);
        QFETCH(QString, text);
        QCOMPARE(TlsTexts::failure(TFtpTlsFailure(failure), QStringLiteral("502 AUTH not supported")), text);
    }
};

PEMO_TEST(TestTlsTexts)
#include "tst_tlstexts.moc"
