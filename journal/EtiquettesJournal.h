#pragma once
// The label jobs of the journal: every job the station sent to its printer,
// its own labels and those it printed for other stations, with its bytes as
// sent, so that a label can be seen again and reprinted exactly. A job that
// waits for its printer is in the journal before it waits: the next start of
// the station prints it. Written to the station's file like the runs, then
// sent to its factory server; a job's state changes (waiting, then printed)
// are sent again.
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

class Poste;

// A job's state as stored: "en_attente" (waiting for its printer), "envoi"
// (being handed to it), "imprime" (the printer took it), "perdu" (with its
// reason).
namespace EtatEtiquette {
inline const QString enAttente = QStringLiteral("en_attente");
inline const QString envoi = QStringLiteral("envoi");
inline const QString imprime = QStringLiteral("imprime");
inline const QString perdu = QStringLiteral("perdu");
} // namespace EtatEtiquette

struct EtiquetteEnregistree {
    qint64 id = 0;
    QString uid;     // made when first written, when empty
    QDateTime quand; // UTC: when the job came to the link
    QString poste, usine, operateur;
    QString client; // the station served, by its address; empty: the station's own
    QString cible;  // the printer target
    QString sn, codeProduit;
    QByteArray octets;
    QString etat = EtatEtiquette::enAttente;
    QString raison;
    QDateTime quandEtat; // UTC: when it took its state
    // A reprint: the original's uid, why, and its number among the original's.
    QString reimpressionDe, motif;
    int rang = 0;
};

// "imprimée", "en attente", "perdue : <reason>": the state as the operator reads it.
QString TexteEtatEtiquette(const QString& etat, const QString& raison);

namespace Journal {

// Writes a new job (its uid made when empty, given back in `e`), marked to
// send when `aEnvoyer`.
bool EnregistreEtiquette(const QString& chemin, EtiquetteEnregistree* e, QString* erreur,
                         bool aEnvoyer);
// A job's new state.
bool ChangeEtatEtiquette(const QString& chemin, const QString& uid, const QString& etat,
                         const QString& raison, QString* erreur, bool aEnvoyer);
// The jobs of the file still waiting for their printer, oldest first.
bool EtiquettesEnAttente(const QString& chemin, QList<EtiquetteEnregistree>* etiquettes,
                         QString* erreur);
// The jobs caught while being handed to the printer when the station ended:
// whether they printed is not known, so they are marked lost (never printed
// twice); their number, or -1.
int CloturerEnvoisInterrompus(const QString& chemin, QString* erreur, bool aEnvoyer);

// The station's way: its file, then its server when it has one.
bool EnregistreEtiquette(Poste& poste, EtiquetteEnregistree* e, QString* erreur);
bool ChangeEtatEtiquette(Poste& poste, const QString& uid, const QString& etat,
                         const QString& raison, QString* erreur);

// The labels of a unit (by its SN), with their reprints, oldest first; an
// open connection of the journal's reader.
bool EtiquettesDeSN(const QSqlDatabase& db, const QString& sn,
                    QList<EtiquetteEnregistree>* etiquettes, QString* erreur);

} // namespace Journal
