#include "Poste.h"

#include "Temps.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>

#ifndef CALVANET_VERSION_MAJOR
#define CALVANET_VERSION_MAJOR 1
#define CALVANET_VERSION_MINOR 2
#define CALVANET_VERSION_PATCH 13
#define CALVANET_VERSION_COMMENTAIRE "8 dec 2026"
#endif

VersionLogiciel versionLogiciel() {
    return {CALVANET_VERSION_MAJOR, CALVANET_VERSION_MINOR, CALVANET_VERSION_PATCH,
            QStringLiteral(CALVANET_VERSION_COMMENTAIRE)};
}

QString NomProgramme() {
    return QStringLiteral("Calvanet");
}

Poste::Poste(Operateur& operateur, QObject* parent) : QObject(parent), operateur_(&operateur) {
    arretProcessus = [](int code) {
        // No unwinding through event handlers: the trace files are closed
        // after every write, so nothing is lost.
        std::fflush(nullptr);
        std::_Exit(code);
    };
}

Poste::~Poste() = default;

void Poste::AfficheInfo(const QString& texte) {
    info_ = texte;
    emit infoAffichee(texte);
}

void Poste::CouleurInfo(const QColor& fond) {
    couleurInfo_ = fond;
}

void Poste::AfficheDernierSN(const QString& texte) {
    dernierSN_ = texte;
}

void Poste::MontreBtCancel(bool visible) {
    cancelVisible_ = visible;
}

void Poste::LegendeBtCancel(const QString& legende) {
    cancelLegende_ = legende;
}

void Poste::CouleurBtCancel(const QColor& couleur) {
    cancelCouleur_ = couleur;
}

bool Poste::Message(const QString& texte, int dureeMs, const QString& image) {
    emit messageAffiche(texte, dureeMs, image);
    return !(texte.isEmpty() && image.isEmpty());
}

void Poste::SurFermeture(std::function<void()> action) {
    fermeture_.push_back(std::move(action));
}

void Poste::ExecuteFermeture() {
    if (fermee_)
        return;
    fermee_ = true;
    for (auto& action : fermeture_)
        action();
    FermeMessage();
}

void Poste::FinProgramme(int code) {
    ++finsDemandees;
    ExecuteFermeture();
    if (arretProcessus)
        arretProcessus(code);
    throw FinProgrammeDemandee{code};
}

void Poste::Execute(const std::function<void()>& action, const QString& nom, bool exclusif) {
    if (!action || termine_)
        return;
    if (exclusif && travailEnCours_) {
        Refus();
        return;
    }
    std::optional<Occupe> occupe;
    if (exclusif)
        occupe.emplace(*this);
    try {
        action();
    } catch (const FinProgrammeDemandee&) {
        // Only reached when the process is not stopped (tests): nothing more runs.
        termine_ = true;
    } catch (const std::exception& e) {
        operateur().Boite(QStringLiteral("Erreur ") + QString::fromLocal8Bit(e.what()) +
                              QStringLiteral("  dans ") + nom,
                          {}, Icone::Critique);
    }
}

void Poste::AccelerePauses(double facteur) {
    FixeAccelerationPauses(facteur);
}
