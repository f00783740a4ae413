#pragma once
#include "Poste.h"

#include <QByteArray>
#include <QString>

// Searches the card (up to 9 attempts of "V" + adresse) and reads its identity.
// nomCarte starts as "inconnu"; version receives the "Err:" text when no
// card answers.
void IdentifieCarte(Poste& poste, const QByteArray& adresse, QString& nomCarte, QString& version,
                    QString& sn, QString& versionCouche);

// The "Verif Connection avec la carte" button: IdentifieCarte("##") and its box.
void BtVerifConnection_Click(Poste& poste);
