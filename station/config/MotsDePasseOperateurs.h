#pragma once
// Operator login: the fixed code -> rights table, and the installation file
// that holds one salted Argon2id digest of each operator's password (files
// of PBKDF2-HMAC-SHA256 digests written before are still read). The
// passwords themselves never appear in the program.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <utility>

struct DroitsOperateur {
    QChar code;
    bool meuble;
    bool programmation;
    bool testRails;
    bool testPlateau;
};

// The 19 operator codes, in the order their passwords are compared.
const std::array<DroitsOperateur, 19>& TableOperateurs();
std::optional<DroitsOperateur> DroitsDuCode(QChar code);

// The password file of this installation: $CALVANET_MOTS_DE_PASSE when set,
// else the system's file when it exists (where the packages put it), else
// "operateurs.mdp" beside the program when it exists (a station run from its
// build folder), else the system's file, which the missing-file message names.
inline constexpr char kFichierMotsDePasseSysteme[] = "/etc/calvanet/operateurs.mdp";
QString CheminFichierMotsDePasse(
    const QString& fichierSysteme = QString::fromLatin1(kFichierMotsDePasseSysteme),
    const QString& dossierProgramme = {});

// Argon2id as the current guidance asks at least: 19 MiB, 2 passes, one lane.
inline constexpr int kPassesArgon2 = 2;
inline constexpr int kMemoireArgon2Kio = 19 * 1024;
inline constexpr int kMemoireArgon2MaxKio = 1024 * 1024; // a file may not ask for more than 1 GiB
inline constexpr int kIterationsMinimum = 200000;        // PBKDF2 files

// File layout (text, UTF-8, "#" lines and blank lines ignored):
//   argon2id <passes> <memory, KiB> <salt, base64>      (or: pbkdf2-sha256 <iterations> <salt>)
//   <operator code> <digest of the upper-cased password, base64>   (one per operator)
class FichierMotsDePasse {
public:
    // False with a readable reason naming the file when it is missing or malformed.
    bool Lit(const QString& chemin, QString* erreur = nullptr);

    // Code of the operator whose password this is (compared in upper case),
    // or nothing. One key derivation whatever the number of operators.
    std::optional<QChar> CodeDuMotDePasse(const QString& motDePasse) const;

    int nombreOperateurs() const { return static_cast<int>(empreintes_.size()); }

    // Whether a text can be an operator password (7 or 8 upper-case letters
    // and digits, once upper-cased).
    static bool FormeValide(const QString& motDePasse);

    // Writes a new file (fresh salt) atomically. Refuses unknown or repeated
    // codes, passwords of the wrong form and a password given to two codes.
    static bool Ecrit(const QString& chemin, const QList<std::pair<QChar, QString>>& motsDePasse,
                      QString* erreur = nullptr);

private:
    enum class Algorithme { Argon2id, Pbkdf2 };
    struct Parametres {
        Algorithme algorithme = Algorithme::Argon2id;
        int iterations = 0; // passes (Argon2id) or iterations (PBKDF2)
        int memoireKio = 0; // Argon2id only
        QByteArray sel;
    };
    static bool LitEnTete(const QStringList& champs, Parametres* p, QString* raison);
    // Empty when the digest cannot be computed (memory refused).
    static QByteArray Derive(const QString& motDePasse, const Parametres& p);

    Parametres parametres_;
    QList<std::pair<QChar, QByteArray>> empreintes_;
};
