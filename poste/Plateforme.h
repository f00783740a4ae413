#pragma once
// The few places where the station's Windows habits meet the platform it runs
// on. Nothing else in the program may test the platform.
#include <QString>
#include <QStringList>

class QFile;
class QTextStream;

namespace Plateforme {

// Card or printer port given as a number ("3") or a device path
// ("/dev/ttyUSB0"): the device to open. Port N is COMN on Windows and
// /dev/ttyS(N-1) on POSIX systems.
QString PeripheriqueSerie(const QString& port);

// Whether a device exists but this user may not read and write it (as
// opposed to a port held by another program).
bool AccesRefuse(const QString& peripherique);

// Whether a serial device may be opened, as far as other programs go.
enum class EtatPort { Libre, Tenu };

// Before the serial library opens `peripherique`: removes its lock file when
// nobody has the lock or the device open (an empty or spoiled lock, a dead
// owner, a process number now given to another program), since the library
// would take the port for busy until the lock is 30 s old, or for ever.
// Decided by who has the very device (or the lock) open, never by what the
// file says. Tenu when another program really holds the device, with or
// without a lock: the port is busy. The program holding the other end of a
// pseudo-terminal is its line, not a user of the port.
EtatPort LibereVerrouAbandonne(const QString& peripherique);

// The lock file the serial library takes for `peripherique` (empty where
// there is none, as on Windows).
QString FichierVerrouSerie(const QString& peripherique);

// For the operator, after an opening refused for lack of rights: the device,
// then what to do ("Ajoutez l'utilisateur ... au groupe dialout ..." here).
QString ConseilAccesRefuse(const QString& peripherique);

// Parallel port N: LPTN on Windows, /dev/lp(N-1) on POSIX systems.
QString PeripheriqueParallele(int numero);

// True for a value that names a device or file by its path (kept as typed).
bool EstCheminPeripherique(const QString& valeur);

// The default root folder of the station, "C:\morvane\appli" on Windows and
// ~/morvane/appli elsewhere.
QString DossierRacineParDefaut();

// A path as the station writes it (with "\" separators, maybe the Windows
// default root) turned into a path for this platform.
QString CheminLocal(const QString& chemin);

// CheminProg + "\" + file name, for this platform.
QString CheminDans(const QString& dossier, const QString& nomFichier);

// Whether file names differ by letter case here (option values that are
// paths then keep their case).
bool CasseSignificative();

// Opens a text file in the desktop's editor, without waiting.
bool OuvreEditeurTexte(const QString& fichier);

// Starts a program without waiting and without a shell: every argument stays
// one argument. A ".exe" runs through wine when wine is installed on a
// non-Windows system. `erreur` receives a readable reason on failure.
bool LanceProgramme(const QString& programme, const QStringList& arguments,
                    const QString& dossierCourant, QString* erreur = nullptr);

// How the started program shows its first window. Honoured where the system
// lets the caller choose (Windows); elsewhere the program decides.
enum class ModeFenetre { Normale, Reduite };
bool LanceProgramme(const QString& programme, const QStringList& arguments,
                    const QString& dossierCourant, ModeFenetre mode, QString* erreur = nullptr);

// Whether this is Windows: only for what a test expects of the mapping.
bool SurWindows();

// Writes what the file has written (flushed) through to the disk.
bool SynchroniseSurDisque(QFile& fichier);

// Whether the standard input is a terminal (someone typing).
bool EntreeEstTerminal();

// One line of the standard input, not shown while typed when it is a
// terminal; `echoCoupe` tells whether the echo was cut (the typed line end
// was then not shown either).
QString LitLigneSansEcho(QTextStream& entree, bool* echoCoupe);

} // namespace Plateforme
