#pragma once
// The station's way of keeping its journal: its own file, then its factory
// server when it has one. The store itself is Journal.h.
#include "Journal.h"

class Poste;
struct ServeurJournal;

namespace Journal {

// The journal file: the environment variable CALVANET_JOURNAL when set, else
// journal-<host>.sqlite under $XDG_DATA_HOME/calvanet (~/.local/share/calvanet).
// A context may carry its own (FixeChemin), as tests and the demo do.
QString Chemin(const Poste& poste);
void FixeChemin(Poste& poste, const QString& chemin);

// Its file, then its server when it has one (FixeServeur). False only when
// the record could not be kept at all.
bool Enregistre(Poste& poste, const PassageEnregistre& passage, QString* erreur);
bool Enregistre(Poste& poste, const QList<PassageEnregistre>& passages, QString* erreur);
bool Enregistre(Poste& poste, const QList<PassageEnregistre>& passages,
                const AttributionEnregistree& attribution, QString* erreur);

// "1.2.13": this program's version, as each run records it.
QString VersionPoste();
// The SHA-256 (hexadecimal) of the firmware file the station programs
// (fp=), read again only when the file's time or size changed; empty when
// the file cannot be read.
QString EmpreinteFirmware(Poste& poste);

// From bd=: every record of this station goes to the server from now on.
void FixeServeur(Poste& poste, const ServeurJournal& serveur);

} // namespace Journal
