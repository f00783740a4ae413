#pragma once
// The journal record of one workflow run, written when the object goes, on
// every path: a workflow makes one at its start and tells it what it learns.
// The outcome, unless the run ended by an exception (interrupted):
//   a failure told with echec() or carteAbsente(): failed;
//   a stop asked by the operator before fin(), or abandon(): abandoned;
//   a failed measurement: failed;
//   fin() reached: passed;
//   otherwise: interrupted (the run stopped short on its own).
// A journal that cannot be written shows one box per station context; the
// run goes on untouched.
#include "Journal.h"

#include <QElapsedTimer>
#include <functional>

class Poste;
class LotJournal;

class PassageJournal {
public:
    // With a `lot`, the record goes to it instead of being written alone.
    PassageJournal(Poste& poste, const QString& flux, LotJournal* lot = nullptr);
    ~PassageJournal();
    PassageJournal(const PassageJournal&) = delete;
    PassageJournal& operator=(const PassageJournal&) = delete;

    // The card as identified; empty values keep what was known.
    void carte(const QString& sn, const QString& nom = {}, const QString& version = {});
    // The place on the bench of the rail this run is about.
    void position(int numero) { p_.position = numero; }
    // A result text as shown, with the measurements read from it.
    void resultat(const QString& texte, const QList<MesureJournal>& mesures = {});
    void mesure(const MesureJournal& mesure);
    void carteAbsente();
    // A failure outside the measurements (a write refused, a trace not kept).
    void echec(const QString& texte, const QString& code);
    // The run reached its normal end.
    void fin() { finAtteinte_ = true; }
    // The operator declined to go on, without the stop button.
    void abandon() { abandon_ = true; }
    // Runs just before the write, on every path: for what is only known at
    // the end of a run that tests several cards at once.
    std::function<void(PassageJournal&)> avantEcriture;

    // The id the record is written with.
    QString uid() const { return p_.uid; }
    // The record as it would be written now.
    PassageEnregistre passage() const;

private:
    Poste& poste_;
    LotJournal* lot_;
    PassageEnregistre p_;
    QElapsedTimer chrono_;
    int exceptions_;
    bool echec_ = false;
    bool finAtteinte_ = false;
    bool abandon_ = false;
};

// The records of runs ended together (the rails of one bench), written in
// one transaction when the lot goes: one opening and one commit instead of
// one per rail. Declared before its PassageJournal objects, so that it goes
// after them.
class LotJournal {
public:
    explicit LotJournal(Poste& poste);
    ~LotJournal();
    LotJournal(const LotJournal&) = delete;
    LotJournal& operator=(const LotJournal&) = delete;
    void ajoute(const PassageEnregistre& passage) { passages_ << passage; }

    // A cabinet assignment written with the runs: each tray takes the
    // outcome of its run (`passageUid`), whatever ended the assignment.
    AttributionEnregistree attribution;

private:
    Poste& poste_;
    QList<PassageEnregistre> passages_;
    int exceptions_;
};
