#pragma once
// Serial numbers of the rails of a bench test, from the station's rail series
// "SNrail.txt", with the identification line of each rail's label.
#include "Poste.h"

#include <QList>
#include <QString>

// One card of the rail bench and the rail it carries.
struct RailBanc {
    int numero = 0;     // the card's number on cabinet "A"
    QString nom;        // "A05"
    QByteArray adresse; // "A" + the character of code 48 + numero
    QString motif;      // EA presence pattern, EA 32 first
    int nombreEA = 0;
    QString typeTrouve = QStringLiteral("Rinconnu");
    QString sn; // given by the bench, empty until then
};

// Gives the next SN to every rail of the requested model (kept in its `sn`)
// and adds the attribution section to `rapport`. False when the operator abandoned the
// first-SN entry: the test then ends without its summary.
bool AttribueSNrails(Poste& poste, QList<RailBanc>& rails, const QString& typeDemande,
                     QString& rapport);

// Progress of the bench: in the status label and in the message window.
void MontreEtape(Poste& poste, const QString& texte);
