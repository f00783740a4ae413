#include "TestRailsMeuble.h"

#include "AttribueSNrail.h"
#include "ChampsReponse.h"
#include "LiaisonCarte.h"
#include "ModuleTraductions.h"
#include "PassageJournal.h"
#include "SerieSN.h"
#include "Temps.h"
#include "TestPresenceEA.h"
#include "TypesRail.h"
#include "Windows1252.h"

#include <QDateTime>
#include <algorithm>
#include <list>
#include <optional>

namespace {

const QString CR = QStringLiteral("\r");
const QColor kOrangeClair(255, 224, 192);

// What the bench measures for a requested model: the detection window sent
// to the cards and how many EA positions are fired.
struct Fenetre {
    int seuilBas = 0;
    int seuilHaut = 0;
    int positions = 0;
};

std::optional<Fenetre> FenetreDuType(const QString& type) {
    // "R": the model is not known, the window takes in every model.
    if (type == QLatin1String("R"))
        return Fenetre{111, 151, 30};
    const TypeRail* t = TrouveTypeRail(type);
    if (!t)
        return std::nullopt;
    int positions = 16;
    if (type == QLatin1String("R30"))
        positions = 30;
    else if (type == QLatin1String("R11") || type == QLatin1String("R18") ||
             type == QLatin1String("R21"))
        positions = 22;
    return Fenetre{t->seuilBas, t->seuilHaut, positions};
}

struct Cycle {
    int puissancePct;
    int impulsionMs;
    float pauseS;
};
// Five fast cycles, then two slow ones the operator can follow by eye.
constexpr Cycle kCycles[] = {{100, 30, 0}, {100, 30, 0},   {100, 30, 0},  {100, 30, 0},
                             {100, 30, 0}, {80, 100, 0.5}, {80, 100, 0.5}};

QString Texte(const QByteArray& reponse) {
    return DepuisWindows1252(reponse);
}

// The run of one test, from the search to the decision.
class BancRails {
public:
    BancRails(Poste& poste, const QString& type, const Fenetre& fenetre)
        : poste_(poste), type_(type), fenetre_(fenetre) {}

    QString rapport;
    QList<RailBanc> rails;
    // The rail whose failure stopped the bench (-1: none), with its code and text.
    int railEnDefaut = -1;
    QString codeDefaut, texteDefaut;

    void Recherche();
    bool MesurePresence();
    bool LitPresence();
    bool Tire();

private:
    void Defaut(int rail, const QString& code, const QString& ligne) {
        railEnDefaut = rail;
        codeDefaut = code;
        texteDefaut = ligne;
        rapport += ligne + CR;
    }
    Poste& poste_;
    QString type_;
    Fenetre fenetre_;
};

void BancRails::Recherche() {
    EnvoiCdeMorvane2(poste_, "?A");
    MontreEtape(poste_, Msg[77] + QStringLiteral(" 'A' ..."));
    int dernier = 0;
    int ignorees = 0;
    for (;;) {
        const QByteArray reponse = LectRepMorvane2(poste_, DelaiRechercheMs(dernier));
        if (EstErreur(reponse))
            break;
        if (reponse.isEmpty())
            continue; // no card number: nothing to address
        dernier = static_cast<unsigned char>(reponse.at(0)) - 48;
        if (rails.size() >= kCartesBancMax) {
            ++ignorees;
            continue;
        }
        RailBanc rail;
        rail.numero = dernier;
        rail.nom = QStringLiteral("A%1").arg(dernier, 2, 10, QLatin1Char('0'));
        rail.adresse = QByteArray("A") + reponse.left(1);
        rails << rail;
    }
    const QString trouves = QString::number(rails.size()) + QStringLiteral(" ") + Msg[78];
    MontreEtape(poste_, trouves);
    rapport += trouves + CR;
    if (ignorees > 0)
        rapport += QString::number(ignorees) +
                   QStringLiteral(" autre(s) reponse(s) ignoree(s): le banc teste ") +
                   QString::number(kCartesBancMax) + QStringLiteral(" cartes au plus") + CR;
}

bool BancRails::MesurePresence() {
    MontreEtape(poste_, Msg[82] + QStringLiteral(" (") + QString::number(rails.size()) +
                            QStringLiteral(")"));
    const QByteArray fenetre =
        DeuxChiffresHex(fenetre_.seuilBas) + DeuxChiffresHex(fenetre_.seuilHaut);
    for (int i = 0; i < rails.size(); ++i) {
        const RailBanc& rail = rails[i];
        const QByteArray reponse =
            EnvoiEtReponseMorvane2(poste_, "I" + rail.adresse + "E" + fenetre, 500);
        if (EstErreur(reponse)) {
            Defaut(i, QStringLiteral("E2"),
                   rail.nom + QStringLiteral(" ") + Msg[83] + QStringLiteral("  ") +
                       Texte(reponse));
            return false;
        }
    }
    return true;
}

bool BancRails::LitPresence() {
    // The cards need this long to measure their 32 outputs.
    timePause(1.5f);
    MontreEtape(poste_, Msg[84]);
    for (int i = 0; i < rails.size(); ++i) {
        RailBanc& rail = rails[i];
        const QByteArray reponse = EnvoiEtReponseMorvane2(poste_, "I" + rail.adresse + "A", 500);
        if (EstErreur(reponse)) {
            Defaut(i, QStringLiteral("E4"),
                   rail.nom + QStringLiteral(" ") + Msg[85] + QStringLiteral("  ") +
                       Texte(reponse));
            return false;
        }
        rail.motif = MotifQuatreOctets(reponse, rail.nombreEA);
        rail.typeTrouve = IdentifieTypeRail(rail.motif, rail.nombreEA);
        rapport += rail.nom + QStringLiteral(" --> ") + rail.typeTrouve + CR;
        // A rail without any EA is only left out; one of another model
        // means the bench was not loaded as asked.
        if (type_ != QLatin1String("R") && rail.nombreEA != 0 && rail.typeTrouve != type_) {
            rapport += rail.nom + QStringLiteral("  ") + Msg[86] + QStringLiteral("  ") +
                       rail.motif + QStringLiteral("   ") + rail.typeTrouve + CR;
            const QString liste = ListeEAnonConformes(rail.motif, type_);
            if (!liste.isEmpty())
                rapport += QStringLiteral("  ") + Msg[185] + QStringLiteral(" ") + liste + CR;
            return false;
        }
    }
    return true;
}

bool BancRails::Tire() {
    poste_.CouleurBtCancel(kOrangeClair);
    poste_.MontreBtCancel(true);
    MontreEtape(poste_, QStringLiteral("test les EA..."));
    rapport += QStringLiteral("test les EAs ...") + CR;
    bool tire = false;
    for (int cycle = 1; cycle <= 7; ++cycle) {
        const Cycle& c = kCycles[cycle - 1];
        for (int i = 0; i < rails.size(); ++i) {
            const RailBanc& rail = rails[i];
            MontreEtape(poste_, QString::number(cycle) + QStringLiteral("/7 ") + rail.nom +
                                    QStringLiteral(" ") + QString::number(c.impulsionMs) +
                                    QStringLiteral("ms ") + QString::number(c.puissancePct) +
                                    QStringLiteral("%   ") + rail.typeTrouve + CR + rail.motif);
            for (int ea = 1; ea <= fenetre_.positions; ++ea) {
                if (rail.motif.size() < 33 - ea || rail.motif.at(32 - ea) != QLatin1Char('1'))
                    continue;
                const QByteArray reponse = EnvoiEtReponseMorvane2(
                    poste_, CommandeTir(rail.adresse, ea, c.impulsionMs, c.puissancePct),
                    c.impulsionMs + 500);
                if (poste_.ArretDemande) {
                    rapport += Msg[87] + CR;
                    return false;
                }
                if (EstErreur(reponse)) {
                    Defaut(i, QStringLiteral("tir"),
                           rail.nom + QStringLiteral(" ") + Msg[88] + QStringLiteral("  ") +
                               Texte(reponse));
                    return false;
                }
                tire = true;
                timePause(c.pauseS);
                // A cancel clicked during the pause fires nothing more.
                if (poste_.ArretDemande) {
                    rapport += Msg[87] + CR;
                    return false;
                }
            }
        }
    }
    if (!tire) {
        rapport += QStringLiteral("NO TEST") + CR;
        return false;
    }
    return true;
}

// The rail is of the model asked: under "R" any known model; a rail without
// EA never is.
bool DuModele(const RailBanc& rail, const QString& type) {
    return type == QLatin1String("R") ? TrouveTypeRail(rail.typeTrouve) != nullptr
                                      : rail.typeTrouve == type;
}

// A rail's record tells what the bench read of it, and the SN it got, once
// the run is over.
void JournaliseRail(PassageJournal& journal, const RailBanc& rail, const QString& type) {
    journal.carte({}, rail.nom);
    journal.position(rail.numero);
    journal.avantEcriture = [&rail, type](PassageJournal& j) {
        j.carte(rail.sn);
        if (rail.motif.isEmpty())
            return;
        j.resultat(rail.nom + QStringLiteral(" --> ") + rail.typeTrouve,
                   MesuresPresenceEA(rail.nombreEA, rail.motif,
                                     type == QLatin1String("R") ? QString() : type, rail.typeTrouve,
                                     DuModele(rail, type)));
    };
}

} // namespace

int DelaiRechercheMs(int numero) {
    // Reaching zero at card 60 would lose every card after it.
    return std::max(100, 1200 - 20 * numero);
}

QByteArray CommandeTir(const QByteArray& adresse, int ea, int impulsionMs, int puissancePct) {
    const int duree = std::clamp(impulsionMs / 10, 1, 255);
    const int puissance = std::clamp(puissancePct * 256 / 100, 1, 255);
    return "E" + adresse + QByteArray(1, static_cast<char>(48 + ea)) + DeuxChiffresHex(duree) +
           DeuxChiffresHex(puissance) + "10";
}

void TestRailsMeuble(Poste& poste) {
    poste.ArretDemande = false;
    QString rapport =
        QStringLiteral("Test RAILS ") + HorodatageTrace(QDateTime::currentDateTime()) + CR;

    const QString type =
        poste.operateur()
            .Saisie(Msg[73] +
                        QStringLiteral(" (R08, R08S, R11, R13, R15, R18, R21 ou R30 ou R "
                                       "pour inconnu)") +
                        CR + CR + Msg[74],
                    Msg[75], QStringLiteral("R15"))
            .trimmed()
            .toUpper();
    const auto fenetre = FenetreDuType(type);
    if (!fenetre)
        return;
    rapport += Msg[76] + QStringLiteral(" : ") + type + QStringLiteral("    ") +
               QString::number(fenetre->seuilBas) + QStringLiteral(" <valeur EA< ") +
               QString::number(fenetre->seuilHaut) + CR;

    BancRails banc(poste, type, *fenetre);
    banc.rapport = rapport;
    LotJournal lot(poste);              // goes after journaux: their records in one write
    std::list<PassageJournal> journaux; // one record per rail, after the bench: it reads the rails
    {
        PortCarteOuvert port(poste);
        banc.Recherche();
        for (const RailBanc& rail : banc.rails)
            JournaliseRail(journaux.emplace_back(poste, QStringLiteral("TestRailsMeuble"), &lot),
                           rail, type);
        if (!banc.rails.isEmpty() && banc.MesurePresence() && banc.LitPresence() && banc.Tire()) {
            const bool oui = poste.operateur().OuiNonRapport(
                banc.rapport, CR + Msg[89] + CR + CR + Msg[90] + CR + Msg[91], {}, Icone::Question);
            if (!oui) {
                banc.rapport += QStringLiteral("ARRET DEMANDE") + CR;
                for (PassageJournal& j : journaux)
                    j.abandon();
            } else if (!AttribueSNrails(poste, banc.rails, type, banc.rapport)) {
                for (PassageJournal& j : journaux)
                    j.abandon();
                port.ferme();
                poste.MontreBtCancel(false);
                poste.CouleurBtCancel(QColor());
                poste.FermeMessage();
                return;
            }
            for (PassageJournal& j : journaux)
                j.fin();
            if (oui) {
                // A rail of the model that the series left without SN.
                auto j = journaux.begin();
                for (const RailBanc& rail : banc.rails) {
                    if (DuModele(rail, type) && rail.sn.isEmpty())
                        j->echec(QStringLiteral("pas de SN: attribution arretee"),
                                 QStringLiteral("serie SN"));
                    ++j;
                }
            }
        } else if (banc.railEnDefaut >= 0) {
            // The other rails were stopped by this one: their runs stay interrupted.
            std::next(journaux.begin(), banc.railEnDefaut)
                ->echec(banc.texteDefaut, banc.codeDefaut);
        }
    }
    poste.AfficheInfo(Msg[99]);
    poste.Message(Msg[99], 2000);
    poste.MontreBtCancel(false);
    poste.CouleurBtCancel(QColor()); // the next workflow shows it plain
    poste.operateur().BoiteRapport(banc.rapport, {}, QStringLiteral("BILAN TEST"),
                                   Icone::Information);
}
