#pragma once
// The command line is the station's only configuration: items key=value
// separated by spaces, in any order and letter case.
#include <QString>
#include <QStringList>

// Value of option `cle`: found anywhere in the line (even inside another
// word), cut at the first space, upper-cased; `defaut` (trimmed) otherwise.
QString RechParamLigneCde(const QString& ligne, const QString& cle, const QString& defaut);

// The same for a value that names a path (pp, fp, ft): its letter case is kept
// where file names depend on it.
QString RechParamLigneCdeChemin(const QString& ligne, const QString& cle, const QString& defaut);

// The same for a value kept exactly as typed on every platform (bd: a user,
// a password or a database name).
QString RechParamLigneCdeTelQuel(const QString& ligne, const QString& cle, const QString& defaut);

// The same for a port (com, portImp): a device path ("/dev/ttyUSB0") keeps its
// case where file names depend on it, a port name is upper-cased.
QString RechParamLigneCdePort(const QString& ligne, const QString& cle, const QString& defaut);

// The command line as one text, from the program's arguments (program name first).
QString LigneCommande(const QStringList& arguments);

// Text of the command-line help box, each line ended by CR.
QString TexteAideLigneCde();

// Label printer target from the value of `portImp`.
struct CibleImprimante {
    QString portImp; // empty: no label printer
    QString adresse; // "TCP" targets only
    QString portTcp;
};
CibleImprimante AnalysePortImp(const QString& valeur);

// Translation database named by `ft`: ".mdb" added to a name without an
// extension; a bare name lives in the program's folder.
struct BaseTraduction {
    QString dossier; // ends with "\" (or "/" for the program's own folder)
    QString fichier;
};
BaseTraduction AnalyseFt(const QString& valeur, const QString& dossierProgramme);
