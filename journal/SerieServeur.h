#pragma once
// The serial-number series arbitrated by the factory server (bd=). Taking an
// SN is one transaction on the server: the series row locked (SELECT ... FOR
// UPDATE, read committed), the next SN after the server's last and the
// caller's floor, skipping any SN given or reserved, written as given, the
// last SN moved on, committed; only then does the SN go into a card. Under
// the row lock two stations cannot read the same last SN, and the unique
// (series, SN) of the given SNs refuses what would slip through.
// Each station holds a reserve of SNs taken from the server in one
// transaction (a block of kBloc, taken again when kSeuil are left), kept in
// its own journal file: while the server does not answer, SNs come from it
// in order, and they are reported to the server when it is back, each once.
// A reserve never used leaves a gap; nothing is ever given twice.
#include "SerieSN.h"
#include "ServeurJournal.h"

#include <QObject>

class Poste;

class ArbitreServeurSN : public QObject, public ArbitreSN {
    Q_OBJECT
public:
    // A child of the context, which deletes it; the context's arbiter
    // (Journal::FixeServeur replaces it).
    ArbitreServeurSN(Poste& poste, const ServeurJournal& serveur);

    Etat Consulte(const QString& serie) override;
    std::optional<QString> Prend(const QString& serie, const QString& depuis,
                                 QString* refus) override;

    // Reports to the server the SNs given from the reserve; the number
    // reported, or -1 with the reason when the server did not take them.
    int Signale(QString* erreur);

    static constexpr int kBloc = 10;
    static constexpr int kSeuil = 3;

private:
    QString fichier() const;
    // The station's unused reserve of the series, in order.
    QStringList reserve(const QString& serie, QString* erreur) const;
    bool completeReserve(const QString& serie, QString* erreur);
    std::optional<QString> deLaReserve(const QString& serie, const QString& panne, QString* refus);

    Poste& poste_;
    ServeurJournal serveur_;
    bool prepare_ = false;
};
