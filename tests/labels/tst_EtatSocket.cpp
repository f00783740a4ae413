// The socket states the printer link and the print server show: their
// numbers and texts, without any socket.
#include "EtatSocket.h"

#include <QtTest>

class TstEtatSocket : public QObject {
    Q_OBJECT
private slots:
    void textesEtat_data();
    void textesEtat();
    void etatsNumerotes_data();
    void etatsNumerotes();
};

void TstEtatSocket::textesEtat_data() {
    QTest::addColumn<int>("etat");
    QTest::addColumn<QString>("texte");
    QTest::newRow("0") << 0 << "port fermé";
    QTest::newRow("2") << 2 << "port à l'ecoute";
    QTest::newRow("6") << 6 << "port en cours de connection";
    QTest::newRow("7") << 7 << "port connecté";
    QTest::newRow("8") << 8 << "port Connexion en cours de fermeture par l'homologue";
    QTest::newRow("9") << 9 << "port Erreur";
    QTest::newRow("10") << 10 << "state n° 10 Etat inconnu";
    QTest::newRow("-1") << -1 << "state n° -1 Etat inconnu";
}

void TstEtatSocket::textesEtat() {
    QFETCH(int, etat);
    QFETCH(QString, texte);
    QCOMPARE(TexteEtatSocket(etat), texte);
}

void TstEtatSocket::etatsNumerotes_data() {
    QTest::addColumn<EtatSocket>("etat");
    QTest::addColumn<int>("numero");
    QTest::addColumn<QString>("texte");
    QTest::newRow("ferme") << EtatSocket::Ferme << 0 << "port fermé";
    QTest::newRow("ouvert") << EtatSocket::Ouvert << 1 << "port ouvert";
    QTest::newRow("ecoute") << EtatSocket::Ecoute << 2 << "port à l'ecoute";
    QTest::newRow("attente") << EtatSocket::ConnexionEnAttente << 3 << "port connection en attente";
    QTest::newRow("resolution") << EtatSocket::ResolutionHote << 4
                                << "port hote en cours de resolution";
    QTest::newRow("resolu") << EtatSocket::HoteResolu << 5 << "port hote resolu";
    QTest::newRow("connexion") << EtatSocket::ConnexionEnCours << 6
                               << "port en cours de connection";
    QTest::newRow("connecte") << EtatSocket::Connecte << 7 << "port connecté";
    QTest::newRow("homologue") << EtatSocket::FermetureParHomologue << 8
                               << "port Connexion en cours de fermeture par l'homologue";
    QTest::newRow("erreur") << EtatSocket::Erreur << 9 << "port Erreur";
}

void TstEtatSocket::etatsNumerotes() {
    QFETCH(EtatSocket, etat);
    QFETCH(int, numero);
    QFETCH(QString, texte);
    QCOMPARE(NumeroEtatSocket(etat), numero);
    QCOMPARE(TexteEtatSocket(etat), texte);
    QCOMPARE(TexteEtatSocket(numero), texte);
}

QTEST_APPLESS_MAIN(TstEtatSocket)
#include "tst_EtatSocket.moc"
