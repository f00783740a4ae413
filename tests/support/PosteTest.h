#pragma once
// A light station context for testing one workflow: a scripted operator, a
// temporary trace folder, the history of what it showed, and an end of
// program that throws instead of exiting.
#include "HistoriquePoste.h"
#include "OperateurScripte.h"
#include "Poste.h"

#include <QTemporaryDir>
#include <memory>

class PosteTest : public Poste, public HistoriquePoste {
public:
    // Pauses run kAcceleration times faster than the program's; a test of
    // real durations sets 1.
    static constexpr double kAcceleration = 20;
    PosteTest();
    ~PosteTest() override;

    OperateurScripte op;
    QTemporaryDir dossier; // CheminProg points here
    int codeFin = -1;      // the exit status the program would have ended with

    // Path of a file of the trace folder.
    QString fichier(const QString& nom) const;
};
