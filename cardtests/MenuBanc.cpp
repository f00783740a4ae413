#include "MenuBanc.h"

#include "PassageJournal.h"
#include "TestIR.h"
#include "TestPresenceEA.h"

#include <QColor>

namespace {

// The tests report the identity reply "PLT2 v2.14[0A1Bc]": the record keeps
// the firmware and the SN apart.
void NoteCarte(PassageJournal& journal, const QString& identite) {
    const qsizetype crochet = identite.indexOf(QLatin1Char('['));
    if (crochet < 0)
        journal.carte({}, {}, identite);
    else
        journal.carte(identite.mid(crochet + 1, 4), {}, identite.left(crochet));
}

} // namespace

void mnuTestIRperm_Click(Poste& poste) {
    QString version;
    const QString texte = TestIRPermanent(poste, version);
    poste.operateur().Boite(version + QLatin1Char('\r') + texte);
    poste.CouleurInfo(QColor(255, 255, 255));
    poste.AfficheInfo(QString());
}

void mnuTestIRsansManip_Click(Poste& poste) {
    PassageJournal journal(poste, QStringLiteral("TestIR"));
    QString version;
    QList<MesureJournal> mesures;
    const QString resultat = TestIRAutonome(poste, version, &mesures);
    NoteCarte(journal, version);
    journal.resultat(resultat, mesures);
    journal.fin();
    poste.AfficheInfo(resultat);
    poste.operateur().Boite(version + QLatin1Char('\r') + resultat);
    poste.AfficheInfo(QString());
}

void mnuTestEA_Click(Poste& poste) {
    // Spaces around a typed code are a slip of the keyboard, not a rail type.
    const QString typeDemande =
        poste.operateur()
            .Saisie(QStringLiteral("Type Rail A trouver ? \rR08,R08S,R11,R13,R15,R18,R21,R30"),
                    QString(), QStringLiteral("R08"))
            .trimmed()
            .toUpper();
    if (typeDemande.isEmpty())
        return;
    PassageJournal journal(poste, QStringLiteral("TestPresenceEA"));
    QString version;
    QString motif;
    QString typeTrouve;
    QList<MesureJournal> mesures;
    const QString resultat =
        TestPresenceEA(poste, version, motif, typeDemande, typeTrouve, &mesures);
    NoteCarte(journal, version);
    journal.resultat(resultat, mesures);
    journal.fin();
    poste.AfficheInfo(resultat);
    poste.operateur().Boite(QStringLiteral("version: ") + version + QStringLiteral("\rEA: ") +
                            motif + QStringLiteral("\rmsg: ") + resultat +
                            QStringLiteral("\rtype Rail Trouver: ") + typeTrouve);
    poste.AfficheInfo(QString());
}
