#pragma once
// The three buttons that hand a card over to an external program: the PIC
// programmer (set-up, or writing the initial program into a blank card) and
// the firmware upload tool. The station starts them and returns at once; the
// operator follows their own windows.
#include "Poste.h"

#include <QString>
#include <QStringList>

// "ICProg SETUP": icprog.exe without argument, from CheminProg.
void BtProgrammateurSETUP_Click(Poste& poste);

// "PROGRAMMER UNE CARTE": icprog.exe -l<FichierProg> -p -i, from CheminProg.
void ProgrammeCarteIcprog(Poste& poste);

// "Uploader Firmware": Televerseur.exe Com=<card port>.
void BtUploader_Click(Poste& poste);

// What the buttons start, for this platform.
QString CheminIcprog(const Reglages& reglages);
QStringList ArgumentsProgrammation(const Reglages& reglages);
QString CheminTeleverseur();
QString ArgumentTeleverseur(const Reglages& reglages); // "Com=12" for port 12

// A command line as the operator would type it, arguments holding blanks
// quoted, for the boxes that name it.
QString LigneDeCommande(const QString& programme, const QStringList& arguments);
