// The message list file read by the message base tool: any bytes, read as the
// tool reads them (Windows-1252, CR LF or LF).
#include "CreeBaseMessages.h"
#include "FichierFuzz.h"
#include "FichierTrace.h"
#include "Fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    const QString chemin = EcritFichierFuzz("fuzz-liste", donnees, taille);
    bool ok = false;
    const QStringList lignes = LitLignesTrace(chemin, &ok);
    VERIFIE(ok);
    const ListeMessages liste = LitListeMessages(lignes);
    VERIFIE(liste.messages.size() + liste.ignorees.size() <= lignes.size());
    for (const LigneListeMessages& m : liste.messages) {
        VERIFIE(m.numero >= 1 && m.numero <= kNombreMessages);
        VERIFIE(m.nom.size() <= 30);
        // The text ends at the first "|" after its first character.
        VERIFIE(!m.texte.mid(1).contains(QLatin1Char('|')));
    }
    // What the tool writes, it reads back the same (an empty text or one that
    // begins with "|" cannot be written).
    QList<MessageDefaut> ecrits;
    for (const LigneListeMessages& m : liste.messages)
        if (!m.texte.isEmpty() && !m.texte.contains(QLatin1Char('|')))
            ecrits.append({m.numero, m.nom, m.texte});
    const ListeMessages relue =
        LitListeMessages(LignesListeMessages(ecrits, QStringLiteral("titre")));
    VERIFIE(relue.messages.size() == ecrits.size());
    for (qsizetype i = 0; i < ecrits.size(); ++i) {
        VERIFIE(relue.messages[i].numero == ecrits[i].numero);
        VERIFIE(relue.messages[i].nom == ecrits[i].nom);
        VERIFIE(relue.messages[i].texte == ecrits[i].texte);
    }
    return 0;
}
