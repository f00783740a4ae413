// A serial-number series on a real file: increments, the header, the first
// SN typed, the boxes shown, the file byte for byte, the lock, and two
// processes taking numbers from one file at once.
#include "PosteTest.h"
#include "SerieSN.h"
#include "TracesTest.h"

#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

namespace {

// The rail series: its own title, the prompt and refusal shared with cards.
const TextesSerieSN kTextesRail{
    QStringLiteral("taper le premier SN (carte) (4 caracteres)"),
    QStringLiteral("SAISIR LE PREMIER NUMERO DE SERIE de rail POUR CE POSTE"),
    QStringLiteral(" impossible dans le SN")};

const QByteArray kEnTete00z9 = "dernier SN: 00z9  01/12/2026 10:00:00\r\n";
const QByteArray kLigne00z9 = "01/12/2026 09:00:00 - 0 1 SN=00z9 R08\r\n";

const QString kAucun = QStringLiteral("(aucun SN)");

QString SNdonne(const std::optional<QString>& sn) {
    return sn.value_or(kAucun);
}

void Ecrit(const QString& chemin, const QByteArray& octets) {
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(octets), octets.size());
}

QByteArray EnTete(const QByteArray& sn) {
    return "dernier SN: " + sn + "  JJ/MM/AAAA hh:mm:ss\r\n";
}

QString LigneRail(const QString& sn) {
    return HorodatageTrace(QDateTime::currentDateTime()) + " - 0 1 SN=" + sn + " R08";
}

struct Banc {
    PosteTest poste;
    QString fichier = poste.fichier(QStringLiteral("SNrail.txt"));
    SerieSN serie{poste, fichier, kTextesRail};

    // Forecast and reservation in one go, as the rail bench does.
    QString suivant() {
        const auto prevision = serie.Prevoit();
        return prevision ? SNdonne(serie.Reserve(*prevision)) : kAucun;
    }

    // The box texts name the file.
    QString avecChemin(QString texte) const { return texte.replace("%1", fichier); }
    void aucuneBoite() const {
        QVERIFY2(poste.op.echanges.isEmpty(), qPrintable(poste.op.boites().join('\n')));
    }
    void uneBoiteCritique(const QString& texte) const {
        QCOMPARE(poste.op.echanges.size(), 1);
        const auto& b = poste.op.dernier();
        QCOMPARE(b.genre, OperateurScripte::Genre::Boite);
        QCOMPARE(b.texte, avecChemin(texte));
        QCOMPARE(b.titre, QString());
        QCOMPARE(b.icone, Icone::Critique);
    }
};

} // namespace

class TstSerieSN : public QObject {
    Q_OBJECT
private slots:
    void increment_data() {
        QTest::addColumn<QString>("avant");
        QTest::addColumn<QString>("apres");
        QTest::newRow("9 devient A") << "00z9"
                                     << "00zA";
        QTest::newRow("Z devient a") << "000Z"
                                     << "000a";
        QTest::newRow("retenue sur z") << "00Zz"
                                       << "00a0";
        QTest::newRow("retenues en chaine") << "0zzz"
                                            << "1000";
        QTest::newRow("tour complet") << "zzzz"
                                      << "0000";
        QTest::newRow("simple") << "0A1B"
                                << "0A1C";
        QTest::newRow("rail 0009") << "0009"
                                   << "000A";
        QTest::newRow("rail 00AZ") << "00AZ"
                                   << "00Aa";
        QTest::newRow("rail 00zz") << "00zz"
                                   << "0100";
    }
    void increment() {
        QFETCH(QString, avant);
        QFETCH(QString, apres);
        QCOMPARE(IncrementeSN(avant), apres);
    }

    // The header is rewritten in place: the SN at characters 13 to 16 and a
    // length that never depends on the date.
    void enTete_data() {
        QTest::addColumn<QString>("sn");
        QTest::addColumn<QDateTime>("quand");
        QTest::addColumn<QString>("texte");
        QTest::newRow("petits nombres") << "0001" << QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))
                                        << "dernier SN: 0001  02/01/2026 03:04:05";
        QTest::newRow("fin d'annee") << "zzzz" << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59))
                                     << "dernier SN: zzzz  31/12/2026 23:59:59";
        QTest::newRow("minuit") << "0A1B" << QDateTime(QDate(2027, 10, 9), QTime(0, 0, 0))
                                << "dernier SN: 0A1B  09/10/2027 00:00:00";
    }
    void enTete() {
        QFETCH(QString, sn);
        QFETCH(QDateTime, quand);
        QFETCH(QString, texte);
        QCOMPARE(EnTeteSN(sn, quand), texte);
        QCOMPARE(texte.mid(12, 4), sn);
        QCOMPARE(EnTeteSN(sn, quand).size(),
                 QString("dernier SN: 0001  02/01/2026 03:04:05").size());
    }

    // An empty file: the operator types the first SN of the station.
    void premierSN_data() {
        QTest::addColumn<QString>("saisie");
        QTest::addColumn<QString>("boite"); // empty: no box
        QTest::addColumn<bool>("accepte");
        QTest::newRow("accepte") << "0a1B" << QString() << true;
        QTest::newRow("blanc") << "00 9"
                               << "  impossible dans le SN" << false;
        QTest::newRow("tiret") << "0a1-"
                               << "- impossible dans le SN" << false;
        QTest::newRow("accent") << QString::fromUtf8("0é1B")
                                << QString::fromUtf8("é impossible dans le SN") << false;
        QTest::newRow("trois caracteres") << "0a1" << QString() << false;
        QTest::newRow("cinq caracteres") << "0a1B2" << QString() << false;
        QTest::newRow("abandon") << QString() << QString() << false;
    }
    void premierSN() {
        QFETCH(QString, saisie);
        QFETCH(QString, boite);
        QFETCH(bool, accepte);
        Banc banc;
        Ecrit(banc.fichier, {});
        banc.poste.op.repond(saisie);

        const auto prevision = banc.serie.Prevoit();

        const auto& echanges = banc.poste.op.echanges;
        QCOMPARE(echanges.size(), boite.isEmpty() ? 1 : 2);
        QCOMPARE(echanges.first().genre, OperateurScripte::Genre::Saisie);
        QCOMPARE(echanges.first().texte, kTextesRail.invitePremierSN);
        QCOMPARE(echanges.first().titre, kTextesRail.titrePremierSN);
        QCOMPARE(echanges.first().defaut, QString());
        if (!boite.isEmpty()) {
            QCOMPARE(echanges.last().genre, OperateurScripte::Genre::Boite);
            QCOMPARE(echanges.last().texte, boite);
            QCOMPARE(echanges.last().titre, QString());
            QCOMPARE(echanges.last().icone, Icone::Aucune);
        }
        QCOMPARE(Lit(banc.fichier), QByteArray()); // a forecast takes nothing
        QCOMPARE(prevision.has_value(), accepte);
        if (!accepte)
            return;
        QCOMPARE(prevision->sn, saisie);
        QCOMPARE(SNdonne(banc.serie.Reserve(*prevision)), saisie);
        QCOMPARE(SansHorodatage(Lit(banc.fichier)), EnTete(saisie.toLatin1()));
    }

    // Empty file, first SN 00Z9, three rails: 00Z9, 00ZA, 00ZB, one question.
    void troisRails() {
        Banc banc;
        Ecrit(banc.fichier, {});
        banc.poste.op.repond("00Z9");
        QStringList donnes;
        for (int i = 0; i < 3; ++i) {
            const auto prevision = banc.serie.Prevoit();
            QVERIFY(prevision);
            const auto sn = banc.serie.Reserve(*prevision);
            QVERIFY(sn);
            QString erreur;
            QVERIFY2(banc.serie.AjouteLigne(LigneRail(*sn), erreur), qPrintable(erreur));
            donnes << *sn;
        }
        QCOMPARE(donnes, QStringList({"00Z9", "00ZA", "00ZB"}));
        QCOMPARE(banc.poste.op.echanges.size(), 1);
        QCOMPARE(SansHorodatage(Lit(banc.fichier)),
                 EnTete("00ZB") + "JJ/MM/AAAA hh:mm:ss - 0 1 SN=00Z9 R08\r\n"
                                  "JJ/MM/AAAA hh:mm:ss - 0 1 SN=00ZA R08\r\n"
                                  "JJ/MM/AAAA hh:mm:ss - 0 1 SN=00ZB R08\r\n");
    }

    // The forecast reads the header; the reservation reads it again, so that
    // a number another station took meanwhile is not given twice.
    void previsionPuisReservation_data() {
        QTest::addColumn<QByteArray>("avant");
        QTest::addColumn<QByteArray>("entreTemps"); // written by another station, or empty
        QTest::addColumn<QString>("donne");
        QTest::addColumn<QByteArray>("apres"); // timestamps masked
        const QByteArray autre = "01/12/2026 10:05:00 - 0 2 SN=00zA R11\r\n";
        QTest::newRow("seul") << kEnTete00z9 + kLigne00z9 << QByteArray() << "00zA"
                              << EnTete("00zA") + SansHorodatage(kLigne00z9);
        QTest::newRow("en-tete seul") << kEnTete00z9 << QByteArray() << "00zA" << EnTete("00zA");
        QTest::newRow("autre poste entre temps")
            << kEnTete00z9 + kLigne00z9
            << "dernier SN: 00zA  01/12/2026 10:05:00\r\n" + kLigne00z9 + autre << "00zB"
            << EnTete("00zB") + SansHorodatage(kLigne00z9 + autre);
        // Overwritten in place, a shorter header would eat into line 2.
        QTest::newRow("en-tete d'autre longueur")
            << "dernier SN: 00z9  1/12/2026 9:00:00\r\n" + kLigne00z9 << QByteArray() << "00zA"
            << EnTete("00zA") + SansHorodatage(kLigne00z9);
    }
    void previsionPuisReservation() {
        QFETCH(QByteArray, avant);
        QFETCH(QByteArray, entreTemps);
        QFETCH(QString, donne);
        QFETCH(QByteArray, apres);
        Banc banc;
        Ecrit(banc.fichier, avant);

        const auto prevision = banc.serie.Prevoit();
        QVERIFY(prevision);
        QCOMPARE(prevision->sn, QString("00zA"));
        QVERIFY(!prevision->premier);
        QCOMPARE(Lit(banc.fichier), avant);
        if (!entreTemps.isEmpty())
            Ecrit(banc.fichier, entreTemps);

        QCOMPARE(SNdonne(banc.serie.Reserve(*prevision)), donne);
        banc.aucuneBoite();
        QCOMPARE(SansHorodatage(Lit(banc.fichier)), apres);
    }

    // A header behind SNs already traced (a restored copy, a hand edit): the
    // series moves past every one of them to the first SN no line holds,
    // notes those it skipped, and tells the operator once.
    void doublonsSautes_data() {
        QTest::addColumn<QByteArray>("traces"); // after the header "0A1B"
        QTest::addColumn<QString>("donne");
        QTest::addColumn<QString>("sautes");
        QTest::addColumn<int>("ligne"); // the line of the first SN skipped
        const QByteArray l1B = "01/12/2026 09:00:00 - 0 1 SN=0A1B R08\r\n";
        const QByteArray l1C = "01/12/2026 09:30:00 - 0 2 SN=0A1C R11\r\n";
        const QByteArray l1D = "01/12/2026 09:40:00 - 0 2 SN=0A1D R11\r\n";
        const QByteArray l1F = "01/12/2026 09:50:00 - 0 2 SN=0A1F R11\r\n";
        QTest::newRow("un") << l1B + l1C << "0A1D"
                            << "0A1C" << 3;
        QTest::newRow("plusieurs de suite") << l1B + l1D + l1C << "0A1E"
                                            << "0A1C 0A1D" << 4;
        QTest::newRow("trou apres") << l1B + l1C + l1F << "0A1D"
                                    << "0A1C" << 3;
        QTest::newRow("note d'un SN perdu")
            << l1B + "01/12/2026 09:30:00 - 0 1 SN=0A1C R08  ** SN perdu: Err: Time Out\r\n"
            << "0A1D"
            << "0A1C" << 3;
    }
    void doublonsSautes() {
        QFETCH(QByteArray, traces);
        QFETCH(QString, donne);
        QFETCH(QString, sautes);
        QFETCH(int, ligne);
        Banc banc;
        const QByteArray avant = "dernier SN: 0A1B  01/12/2026 10:00:00\r\n" + traces;
        Ecrit(banc.fichier, avant);

        QCOMPARE(banc.suivant(), donne);
        const QByteArray note =
            "JJ/MM/AAAA hh:mm:ss ** SN deja attribues, sautes: " + sautes.toLatin1() + " -> " +
            donne.toLatin1() + "\r\n";
        QCOMPARE(SansHorodatage(Lit(banc.fichier)),
                 EnTete(donne.toLatin1()) + SansHorodatage(traces) + note);
        QCOMPARE(banc.poste.op.echanges.size(), 1);
        const auto& b = banc.poste.op.dernier();
        const QString premier = sautes.left(4);
        QCOMPARE(b.texte,
                 banc.avecChemin("le SN " + premier + " est deja attribue dans %1, ligne " +
                                 QString::number(ligne) + ":\r" +
                                 QString::fromLatin1(avant.split('\n').at(ligne - 1)).chopped(1) +
                                 "\rSN deja attribues, sautes: " + sautes +
                                 "\rSN attribue: " + donne));
        QCOMPARE(b.icone, Icone::Exclamation);

        // Once only: the header now stands past them.
        banc.poste.op.echanges.clear();
        QString erreur;
        QVERIFY(banc.serie.AjouteLigne(LigneRail(donne), erreur));
        QCOMPARE(banc.suivant(), IncrementeSN(donne));
        banc.aucuneBoite();
    }

    // Every refusal: one critical box, nothing written, no SN.
    void refus_data() {
        QTest::addColumn<QByteArray>("avant");
        QTest::addColumn<QString>("saisie");     // first SN typed, for an empty file
        QTest::addColumn<QString>("entreTemps"); // after the forecast: "efface", "remplace", ""
        QTest::addColumn<QByteArray>("nouveau"); // what "remplace" writes
        QTest::addColumn<QString>("boite");      // %1: the file
        QTest::newRow("fichier efface entre temps")
            << kEnTete00z9 << QString() << "efface" << QByteArray()
            << "impossible de lire %1\raucun SN attribue";
        QTest::newRow("fichier vide entre temps")
            << kEnTete00z9 << QString() << "remplace" << QByteArray()
            << "%1 a ete vide par un autre programme\raucun SN attribue, recommencez";
        QTest::newRow("serie commencee pendant la saisie")
            << QByteArray() << "0a1B"
            << "remplace" << kEnTete00z9
            << "un autre poste a commence la serie de %1 pendant la saisie du premier SN\r"
               "SN 0a1B non attribue, recommencez";
    }
    void refus() {
        QFETCH(QByteArray, avant);
        QFETCH(QString, saisie);
        QFETCH(QString, entreTemps);
        QFETCH(QByteArray, nouveau);
        QFETCH(QString, boite);
        Banc banc;
        Ecrit(banc.fichier, avant);
        if (!saisie.isEmpty())
            banc.poste.op.repond(saisie);
        const auto prevision = banc.serie.Prevoit();
        QVERIFY(prevision);
        banc.poste.op.echanges.clear();
        QByteArray fin = avant;
        if (entreTemps == "efface")
            QVERIFY(QFile::remove(banc.fichier));
        else if (entreTemps == "remplace")
            Ecrit(banc.fichier, fin = nouveau);

        QCOMPARE(SNdonne(banc.serie.Reserve(*prevision)), kAucun);

        banc.uneBoiteCritique(boite);
        if (entreTemps == "efface")
            QVERIFY(!QFile::exists(banc.fichier));
        else
            QCOMPARE(Lit(banc.fichier), fin);
    }

    // A file the forecast cannot use: one critical box, no question, nothing written.
    void previsionImpossible_data() {
        QTest::addColumn<bool>("existe");
        QTest::addColumn<QByteArray>("avant");
        QTest::addColumn<QString>("boite"); // %1: the file
        QTest::newRow("en-tete illisible")
            << true << QByteArray("dernier SN: 0-1B  01/12/2026 10:00:00\r\n")
            << "la premiere ligne de %1 ne contient pas de SN valide:\r"
               "dernier SN: 0-1B  01/12/2026 10:00:00\raucun SN attribue";
        QTest::newRow("en-tete trop court")
            << true << QByteArray("dernier SN: 0A\r\n")
            << "la premiere ligne de %1 ne contient pas de SN valide:\r"
               "dernier SN: 0A\raucun SN attribue";
        QTest::newRow("caractere hors des 62")
            << true << QByteArray("dernier SN: 0A1#  01/12/2026 10:00:00\r\n")
            << "la premiere ligne de %1 ne contient pas de SN valide:\r"
               "dernier SN: 0A1#  01/12/2026 10:00:00\raucun SN attribue";
        // Characters 13 to 16 of garbage may look like an SN: the head must be there.
        QTest::newRow("octets quelconques")
            << true << QByteArray("\x01\x02PK\x03\x04zzzzzz0A1B\x7f\xff\r\n")
            << "la premiere ligne de %1 ne contient pas de SN valide:\r"
               "??PK??zzzzzz0A1B?\u00ff\raucun SN attribue";
        QTest::newRow("marque d'ordre UTF-8")
            << true
            << QByteArray("\xef\xbb\xbf"
                          "dernier SN: 0A1B  01/12/2026 10:00:00\r\n")
            << "la premiere ligne de %1 ne contient pas de SN valide:\r"
               "\u00ef\u00bb\u00bf"
               "dernier SN: 0A1B  01/12/2026 10:00:00\raucun SN attribue";
        QTest::newRow("SN de cinq caracteres")
            << true << QByteArray("dernier SN: 0A1B2  01/12/2026 10:00:00\r\n")
            << "la premiere ligne de %1 ne contient pas de SN valide:\r"
               "dernier SN: 0A1B2  01/12/2026 10:00:00\raucun SN attribue";
        QTest::newRow("fichier absent")
            << false << QByteArray()
            << "impossible de lire %1 (fichier ou dossier introuvable)\raucun SN attribue";
    }
    void previsionImpossible() {
        QFETCH(bool, existe);
        QFETCH(QByteArray, avant);
        QFETCH(QString, boite);
        Banc banc;
        if (existe)
            Ecrit(banc.fichier, avant);

        QCOMPARE(banc.serie.Prevoit().has_value(), false);

        banc.uneBoiteCritique(boite);
        QCOMPARE(QFile::exists(banc.fichier), existe);
        QCOMPARE(Lit(banc.fichier), avant);
    }

    // An SN lost after the forecast was taken is noted, so that it is never
    // given again, even if the header is set back by hand.
    void snPerdu() {
        Banc banc;
        Ecrit(banc.fichier, kEnTete00z9 + kLigne00z9);
        QCOMPARE(banc.suivant(), QString("00zA"));
        QString erreur;
        QVERIFY2(banc.serie.NoteSNperdu(LigneRail("00zA"),
                                        "pas de reponse carte de la carte\rErr: Time Out", erreur),
                 qPrintable(erreur));
        const QByteArray perdu = "JJ/MM/AAAA hh:mm:ss - 0 1 SN=00zA R08  ** SN perdu: pas de "
                                 "reponse carte de la carte Err: Time Out\r\n";
        QCOMPARE(SansHorodatage(Lit(banc.fichier)),
                 EnTete("00zA") + SansHorodatage(kLigne00z9) + perdu);

        QCOMPARE(banc.suivant(), QString("00zB"));

        QFile f(banc.fichier);
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.write(kEnTete00z9.left(kEnTete00z9.size() - 2));
        f.close();
        const QByteArray avant = Lit(banc.fichier);
        QCOMPARE(banc.suivant(), QString("00zB"));
        const QString ligne3 = QString::fromLatin1(avant.split('\n').at(2)).chopped(1);
        QCOMPARE(banc.poste.op.boites(),
                 QStringList{
                     banc.avecChemin("le SN 00zA est deja attribue dans %1, ligne 3:\r" + ligne3 +
                                     "\rSN deja attribues, sautes: 00zA\rSN attribue: 00zB")});
        QVERIFY(SansHorodatage(Lit(banc.fichier))
                    .endsWith(perdu + "JJ/MM/AAAA hh:mm:ss ** SN deja attribues, sautes: 00zA -> "
                                      "00zB\r\n"));
    }

    // A lock whose owner is gone does not block the series.
    void verrouAbandonne_data() {
        QTest::addColumn<QByteArray>("verrou");
        QTest::addColumn<int>("ageS");
        QTest::newRow("proprietaire mort sur ce poste")
            << "999999\ncalvanet\n" + QSysInfo::machineHostName().toUtf8() + "\n"
            << 0;
        QTest::newRow("autre machine, plus de 30 s")
            << QByteArray("4242\ncalvanet\nautre-machine-calvanet\n") << 60;
        // A station killed while it made its lock: nobody named in it.
        QTest::newRow("vide, poste tue en le creant") << QByteArray() << 2;
        QTest::newRow("coupe, poste tue en l'ecrivant") << QByteArray("12") << 2;
    }
    void verrouAbandonne() {
        QFETCH(QByteArray, verrou);
        QFETCH(int, ageS);
        Banc banc;
        Ecrit(banc.fichier, kEnTete00z9);
        const QString cheminVerrou = banc.fichier + ".lock";
        Ecrit(cheminVerrou, verrou);
        if (ageS > 0) {
            QFile f(cheminVerrou);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-ageS),
                                  QFileDevice::FileModificationTime));
        }

        QCOMPARE(banc.suivant(), QString("00zA"));
        banc.aucuneBoite();
        QCOMPARE(SansHorodatage(Lit(banc.fichier)), EnTete("00zA"));
        QVERIFY(!QFile::exists(cheminVerrou));
    }

    // A lock held by a live station, here or elsewhere: after the wait, a
    // clear reason and nothing written.
    void verrouTenu_data() {
        QTest::addColumn<bool>("ici");
        QTest::addColumn<bool>("reservation"); // else a trace line
        QTest::newRow("reservation, poste de cette machine") << true << true;
        QTest::newRow("ligne, autre machine recemment") << false << false;
    }
    void verrouTenu() {
        QFETCH(bool, ici);
        QFETCH(bool, reservation);
        Banc banc;
        Ecrit(banc.fichier, kEnTete00z9);
        const auto prevision = banc.serie.Prevoit();
        QVERIFY(prevision);
        QLockFile tenu(banc.fichier + ".lock");
        if (ici)
            QVERIFY(tenu.tryLock(0));
        else
            Ecrit(banc.fichier + ".lock", "4242\ncalvanet\nautre-machine-calvanet\n");

        const QString raison = "%1 est occupe par un autre poste depuis plus de 5 s (verrou "
                               "%1.lock)\raucun SN attribue, recommencez";
        if (reservation) {
            QCOMPARE(SNdonne(banc.serie.Reserve(*prevision)), kAucun);
            banc.uneBoiteCritique(raison);
        } else {
            QString erreur;
            QVERIFY(!banc.serie.AjouteLigne(LigneRail("00zA"), erreur));
            QCOMPARE(erreur, banc.avecChemin(raison));
            banc.aucuneBoite();
        }
        QCOMPARE(Lit(banc.fichier), kEnTete00z9);
    }

    // Two stations taking numbers from one file at the same time, each
    // overtaken now and then between its forecast and its reservation: every
    // number once, none skipped, the header on the last one.
    void deuxProcessus() {
        QTemporaryDir dossier;
        QVERIFY(dossier.isValid());
        const QString chemin = dossier.filePath("SNrail.txt");
        Ecrit(chemin, "dernier SN: 0000  01/12/2026 10:00:00\r\n");
        constexpr int kParPoste = 25;

        QProcess postes[2];
        for (int i = 0; i < 2; ++i) {
            postes[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
            postes[i].start(QString::fromUtf8(RESERVE_SN_PROCESSUS),
                            {chemin, QString::number(kParPoste), QString::number(i + 1)});
        }
        for (QProcess& p : postes) {
            QVERIFY(p.waitForReadyRead(30000));
            QCOMPARE(p.readLine(), QByteArray("pret\n"));
        }
        Ecrit(chemin + ".go", {});
        int depasses = 0;
        for (QProcess& p : postes) {
            QVERIFY(p.waitForFinished(120000));
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            QCOMPARE(p.exitCode(), 0);
            depasses += p.readAll().trimmed().toInt();
        }
        QVERIFY2(depasses > 0, "the two stations never raced");

        const QByteArray tout = Lit(chemin);
        QVERIFY(tout.endsWith("\r\n"));
        QCOMPARE(tout.count("\r\n"), tout.count('\n'));
        const QStringList lignes = QString::fromLatin1(tout.chopped(2)).split("\r\n");
        QCOMPARE(lignes.size(), 1 + 2 * kParPoste);
        static const QRegularExpression trace(
            QStringLiteral("^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d - 0 [12] SN=(\\S{4}) R08$"));
        QSet<QString> donnes, attendus;
        QString sn = "0000";
        for (int i = 0; i < 2 * kParPoste; ++i)
            attendus.insert(sn = IncrementeSN(sn));
        for (qsizetype i = 1; i < lignes.size(); ++i) {
            const auto m = trace.match(lignes[i]);
            QVERIFY2(m.hasMatch(), qPrintable(lignes[i]));
            donnes.insert(m.captured(1));
        }
        QCOMPARE(donnes, attendus);
        QCOMPARE(donnes.size(), 2 * kParPoste);
        QVERIFY2(lignes.first().startsWith("dernier SN: " + sn + "  "), qPrintable(lignes.first()));
        QVERIFY(!QFile::exists(chemin + ".lock"));
    }
};

QTEST_GUILESS_MAIN(TstSerieSN)
#include "tst_SerieSN.moc"
