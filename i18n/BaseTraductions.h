#pragma once
// The translation store: one SQLite file holding the table `Traductions`
// (one record per message and per translatable control of each window).
// It knows tables and records, never widgets. Every value reaches SQL as a
// bound parameter, so a name holding a quote is only a name.
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// The record, field by field as named in the table.
struct EnregistrementTraduction {
    QString Tformulaire;
    QString Ttype;
    QString Tname;
    QString Tcaption;
    QString Ttooltiptext;
    QString tdefcaption;
    QString tdeftooltiptext;
    QString tcommentaire;
    QDateTime tDate;
    bool tFlagpassage = false;
    qint64 id = 0; // the row, for the changes of the message base tool
};

// A failure of the store: the database's own number and text.
struct ErreurBase {
    int numero = 0;
    QString description;
};

class BaseTraductions {
public:
    enum class Ouverture { Ouverte, Introuvable, FichierJet, Erreur };

    // Fields of `Traductions`, in the order of the table created by the station.
    static const QStringList kChamps;
    // Form name of the message records.
    static const QString kModuleMsg;

    explicit BaseTraductions(const QString& chemin);
    ~BaseTraductions();
    BaseTraductions(const BaseTraductions&) = delete;
    BaseTraductions& operator=(const BaseTraductions&) = delete;

    // Opens an existing store and checks its table and fields. Never creates
    // a file: a missing one is Introuvable, an Access (Jet) file FichierJet.
    Ouverture Ouvre();
    // Creates a new empty store (table and index); refuses an existing file.
    static bool Cree(const QString& chemin, ErreurBase* erreur);
    // Whether the file begins like an Access (Jet or ACE) database.
    static bool EstFichierJet(const QString& chemin);

    const QString& chemin() const { return chemin_; }
    const ErreurBase& erreur() const { return erreur_; }

    // Message records (form "ModuleMsg", type "msg…") whose translation is
    // not empty, in table order. nullopt on failure (see erreur()).
    std::optional<QList<EnregistrementTraduction>> MessagesTraduits();
    // Every message record ("ModuleMsg", type "msg…"), ordered by type.
    std::optional<QList<EnregistrementTraduction>> Messages();

    // Message records of this type ("msg00017"), in table order.
    std::optional<QList<EnregistrementTraduction>> MessagesDuType(const QString& type);

    // The first record of this control; `trouve` stays empty when there is none.
    // Window, type and control names are matched without regard to case.
    bool ChercheControle(const QString& formulaire, const QString& type, const QString& nom,
                         std::optional<EnregistrementTraduction>* trouve);
    // The forms (windows) that have records, messages' form included.
    std::optional<QStringList> Formulaires();
    // The first message record of that name.
    bool ChercheMessage(const QString& nom, std::optional<EnregistrementTraduction>* trouve);

    bool Ajoute(const EnregistrementTraduction& e);
    // Rewrites the record e.id with every field of e.
    bool Modifie(const EnregistrementTraduction& e);
    bool Supprime(qint64 id);
    // Marks of the message base tool on every message record.
    bool EffaceMarquesMessages();

    // One transaction around a run of changes: all or nothing on disk.
    bool Commence();
    bool Valide();
    void Annule();

private:
    bool echec(const class QSqlError& e);
    bool verifieTable();
    std::optional<QList<EnregistrementTraduction>>
    selection(const QString& condition, const QVariantList& valeurs, const QString& ordre = {});

    QString chemin_;
    QString connexion_;
    QSqlDatabase db_;
    // ChercheControle runs for every control of every window loaded: its
    // statement is prepared once per opening.
    std::unique_ptr<QSqlQuery> requeteControle_;
    ErreurBase erreur_;
};
