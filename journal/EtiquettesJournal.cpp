#include "EtiquettesJournal.h"

#include "EnvoiJournal.h"
#include "JournalPoste.h"

namespace Journal {

// Sent with the next run or on the sender's idle timer, never at once: a
// server that does not answer must not hold the printer's queue.
bool EnregistreEtiquette(Poste& poste, EtiquetteEnregistree* e, QString* erreur) {
    return EnregistreEtiquette(Chemin(poste), e, erreur, EnvoiJournal::de(poste) != nullptr);
}

bool ChangeEtatEtiquette(Poste& poste, const QString& uid, const QString& etat,
                         const QString& raison, QString* erreur) {
    return ChangeEtatEtiquette(Chemin(poste), uid, etat, raison, erreur,
                               EnvoiJournal::de(poste) != nullptr);
}

} // namespace Journal
