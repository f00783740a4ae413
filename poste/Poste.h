#pragma once
// The station context: settings fixed at start-up, the stop flag, the status
// label, the cancel button, the picture message window, the operator and the
// one way out of the program. Workflows only see this, never the widgets.
// The base class keeps the current state of what it is asked to show and
// announces each change; the main window overrides it to show the same on
// screen.
#include "Operateur.h"

#include <QColor>
#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <functional>
#include <vector>

struct Reglages {
    QString CheminProg;     // folder of the programmer and of the trace files, as typed
    QString FichierProg;    // program file written into a blank card
    QString PortCarte;      // "3:9600,n,8,1"
    QString portImp;        // "COM2", "LPT1", "TCP10.0.0.2:6667", a device path, or empty
    QString AdresseImp;     // host of a TCP printer
    QString PortTcpImp;     // port of a TCP printer
    QString portSrv;        // port of this station's label print server, or empty
    QString CodeUsine;      // one character
    QString CodeOperateur;  // one character
    QString NomCarteFuture; // at most 3 characters
    QString BaseTraduction; // translation database in use (file name), empty when none
    bool DroitMeuble = false;
    bool DroitProgrammation = false;
    bool DroitTestRails = false;
    bool DroitTestPlateau = false;
};

// Program version, shown in the title of the password dialog, the status
// label and the version box.
struct VersionLogiciel {
    int major;
    int minor;
    int revision;
    QString commentaire;
};
VersionLogiciel versionLogiciel();
QString NomProgramme(); // "Calvanet": the title of boxes without a title of their own

class LiaisonCarte;
class LiaisonImprimante;
class ServeurImpression;
class EnvoiJournal;
class ArbitreSN;

// Thrown by FinProgramme when the process was not stopped (tests), so that
// nothing after an end path runs.
struct FinProgrammeDemandee {
    int code;
};

// Exit status of the program: a script or a service manager tells a normal
// close from an end after a failure.
inline constexpr int kFinNormale = 0;
inline constexpr int kFinEchec = 1;

class Poste : public QObject {
    Q_OBJECT
public:
    explicit Poste(Operateur& operateur, QObject* parent = nullptr);
    ~Poste() override;

    Reglages reglages;
    bool ArretDemande = false;

    // The links this station owns. Their libraries stand above this one, so
    // each creates its own on first use (LiaisonCarte::de, ...) as a child of
    // the context, which deletes it. The journal's sender is there only when
    // the station has a factory server.
    struct Liens {
        LiaisonCarte* carte = nullptr;
        LiaisonImprimante* imprimante = nullptr;
        ServeurImpression* serveur = nullptr;
        EnvoiJournal* journal = nullptr;
        // The serial-number arbiter of the factory server (a child of the
        // context, as the journal sender).
        ArbitreSN* arbitreSN = nullptr;
    };
    Liens liens;

    // What the services and workflows above keep from one run to the next.
    struct Memoire {
        QString cheminJournal;       // this context's journal file; empty: the default one
        bool journalSignale = false; // the operator was told the journal cannot be written
        QString dernierTypePlateau;  // the rail type last typed for the single tray test
        // The firmware file's fingerprint, computed again when its time changes.
        struct EmpreinteFirmware {
            QString chemin;
            QDateTime modifie;
            qint64 taille = -1;
            QString sha256;
        } firmware;
    };
    Memoire memoire;

    // The job guard: runs a click handler of any window. An end of the
    // program requested inside it stops it there; an unexpected failure is
    // reported and the station goes on. An exclusive one (a card workflow: the
    // card port is one) is refused, with Refus(), while another one runs.
    void Execute(const std::function<void()>& action, const QString& nom, bool exclusif);
    bool travailEnCours() const { return travailEnCours_; }
    // Marks the station busy while it lives, outside any click (the print
    // server waiting for its printer): exclusive jobs are refused meanwhile.
    class Occupe {
    public:
        explicit Occupe(Poste& poste) : poste_(poste), avant_(poste.travailEnCours_) {
            poste_.travailEnCours_ = true;
        }
        ~Occupe() { poste_.travailEnCours_ = avant_; }
        Occupe(const Occupe&) = delete;
        Occupe& operator=(const Occupe&) = delete;

    private:
        Poste& poste_;
        bool avant_;
    };
    // True once an end of the program was requested (tests: the process goes on).
    bool programmeTermine() const { return termine_; }
    // A click refused by the job guard; the program beeps.
    virtual void Refus() {}

    // The clock of timePause: real time in the program; a test may run the
    // pauses `facteur` times faster (20: a 2 s pause lasts 0.1 s).
    void AccelerePauses(double facteur);

    Operateur& operateur() const { return *operateur_; }
    void changeOperateur(Operateur& operateur) { operateur_ = &operateur; }

    // Status label `info`.
    virtual void AfficheInfo(const QString& texte);
    virtual void CouleurInfo(const QColor& fond);
    QString info() const { return info_; }
    QColor couleurInfo() const { return couleurInfo_; }

    // Label `LblDernierSN`.
    virtual void AfficheDernierSN(const QString& texte);
    QString LblDernierSN() const { return dernierSN_; }

    // Button `BtCancel`.
    virtual void MontreBtCancel(bool visible);
    virtual void LegendeBtCancel(const QString& legende);
    virtual void CouleurBtCancel(const QColor& couleur);
    bool BtCancelVisible() const { return cancelVisible_; }
    QString BtCancelLegende() const { return cancelLegende_; }
    QColor BtCancelCouleur() const { return cancelCouleur_; }

    // Picture message window: text, auto-close time in ms (0: none), picture
    // key or file. An empty text with no picture closes it; returns whether
    // the window is shown.
    virtual bool Message(const QString& texte, int dureeMs = 0, const QString& image = {});
    void FermeMessage() { Message(QString(), 0, QString()); }

    // Closing steps (print-server shutdown, message window), registered by the
    // services that need them; run once, in registration order.
    void SurFermeture(std::function<void()> action);
    void ExecuteFermeture();

    // Every "end the program" path: closing steps, then the process stops.
    // When the stop hook returns (tests), FinProgrammeDemandee is thrown.
    [[noreturn]] void FinProgramme(int code);
    std::function<void(int)> arretProcessus;
    int finsDemandees = 0;

signals:
    // Each status text and picture message, as asked, for whoever watches the
    // station (tests keep their history).
    void infoAffichee(const QString& texte);
    void messageAffiche(const QString& texte, int dureeMs, const QString& image);

private:
    Operateur* operateur_;
    QString info_;
    QColor couleurInfo_;
    QString dernierSN_;
    bool cancelVisible_ = false;
    QString cancelLegende_ = QStringLiteral("Arret");
    QColor cancelCouleur_;
    std::vector<std::function<void()>> fermeture_;
    bool fermee_ = false;
    bool travailEnCours_ = false;
    bool termine_ = false;
};
