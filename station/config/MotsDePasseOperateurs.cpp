#include "MotsDePasseOperateurs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>

#include <sodium.h>

namespace {

const QString kEnteteArgon2 = QStringLiteral("argon2id");
const QString kEntetePbkdf2 = QStringLiteral("pbkdf2-sha256"); // files written before, still read
constexpr int kTailleEmpreinte = 32;
constexpr int kTailleSel = crypto_pwhash_SALTBYTES;

QString Invalide(const QString& chemin, int ligne, const QString& raison) {
    QString texte = QStringLiteral("fichier des mots de passe operateurs invalide : ") + chemin;
    if (ligne > 0)
        texte += QStringLiteral(" (ligne %1 : %2)").arg(ligne).arg(raison);
    else
        texte += QStringLiteral(" (") + raison + QStringLiteral(")");
    return texte;
}

bool Base64Strict(const QString& texte, QByteArray* octets) {
    auto r =
        QByteArray::fromBase64Encoding(texte.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!r)
        return false;
    *octets = *r;
    return true;
}

} // namespace

const std::array<DroitsOperateur, 19>& TableOperateurs() {
    static const std::array<DroitsOperateur, 19> table = {{
        {u'Y', true, true, true, true},    {u'1', true, true, true, true},
        {u'2', true, true, true, true},    {u'3', true, true, false, false},
        {u'4', true, true, false, false},  {u'5', true, true, false, false},
        {u'6', true, true, false, false},  {u'7', false, true, false, false},
        {u'8', false, true, false, false}, {u'9', false, true, false, false},
        {u'A', false, true, false, false}, {u'B', false, true, false, false},
        {u'C', false, false, true, false}, {u'D', false, false, true, false},
        {u'E', false, false, true, false}, {u'F', false, false, true, false},
        {u'G', false, false, false, true}, {u'H', false, false, false, true},
        {u'I', false, false, false, true},
    }};
    return table;
}

std::optional<DroitsOperateur> DroitsDuCode(QChar code) {
    for (const auto& d : TableOperateurs())
        if (d.code == code)
            return d;
    return std::nullopt;
}

QString CheminFichierMotsDePasse(const QString& fichierSysteme, const QString& dossierProgramme) {
    const QString variable = qEnvironmentVariable("CALVANET_MOTS_DE_PASSE");
    if (!variable.isEmpty())
        return variable;
    if (QFileInfo::exists(fichierSysteme))
        return fichierSysteme;
    const QString aCote =
        QDir(dossierProgramme.isEmpty() ? QCoreApplication::applicationDirPath() : dossierProgramme)
            .filePath(QStringLiteral("operateurs.mdp"));
    return QFileInfo::exists(aCote) ? aCote : fichierSysteme;
}

QByteArray FichierMotsDePasse::Derive(const QString& motDePasse, const Parametres& p) {
    const QByteArray texte = motDePasse.toUpper().toUtf8();
    if (p.algorithme == Algorithme::Pbkdf2)
        return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, texte, p.sel,
                                                  p.iterations, kTailleEmpreinte);
    QByteArray cle(kTailleEmpreinte, Qt::Uninitialized);
    if (sodium_init() < 0 || p.sel.size() != kTailleSel ||
        crypto_pwhash(reinterpret_cast<unsigned char*>(cle.data()), kTailleEmpreinte,
                      texte.constData(), static_cast<unsigned long long>(texte.size()),
                      reinterpret_cast<const unsigned char*>(p.sel.constData()),
                      static_cast<unsigned long long>(p.iterations),
                      static_cast<size_t>(p.memoireKio) * 1024, crypto_pwhash_ALG_ARGON2ID13) != 0)
        return {}; // out of memory: matches no digest
    return cle;
}

bool FichierMotsDePasse::FormeValide(const QString& motDePasse) {
    static const QRegularExpression forme(QStringLiteral("^[A-Z0-9]{7,8}$"));
    return forme.match(motDePasse.toUpper()).hasMatch();
}

bool FichierMotsDePasse::LitEnTete(const QStringList& champs, Parametres* p, QString* raison) {
    const QString attendu = QStringLiteral("en-tete attendu : ") + kEnteteArgon2 +
                            QStringLiteral(" passes memoire(Kio) sel, ou ") + kEntetePbkdf2 +
                            QStringLiteral(" iterations sel");
    bool ok = false;
    if (champs.size() == 4 && champs[0] == kEnteteArgon2) {
        p->algorithme = Algorithme::Argon2id;
        p->iterations = champs[1].toInt(&ok);
        bool okMemoire = false;
        p->memoireKio = champs[2].toInt(&okMemoire);
        if (!ok || !okMemoire || p->iterations < kPassesArgon2 ||
            p->memoireKio < kMemoireArgon2Kio || p->memoireKio > kMemoireArgon2MaxKio) {
            *raison = QStringLiteral("au moins %1 passes et %2 Kio (au plus %3 Kio)")
                          .arg(kPassesArgon2)
                          .arg(kMemoireArgon2Kio)
                          .arg(kMemoireArgon2MaxKio);
            return false;
        }
        if (!Base64Strict(champs[3], &p->sel) || p->sel.size() != kTailleSel) {
            *raison = QStringLiteral("sel illisible");
            return false;
        }
        return true;
    }
    if (champs.size() == 3 && champs[0] == kEntetePbkdf2) {
        p->algorithme = Algorithme::Pbkdf2;
        p->iterations = champs[1].toInt(&ok);
        if (!ok || p->iterations < kIterationsMinimum) {
            *raison = QStringLiteral("au moins %1 iterations").arg(kIterationsMinimum);
            return false;
        }
        if (!Base64Strict(champs[2], &p->sel) || p->sel.size() < 8) {
            *raison = QStringLiteral("sel illisible");
            return false;
        }
        return true;
    }
    *raison = attendu;
    return false;
}

bool FichierMotsDePasse::Lit(const QString& chemin, QString* erreur) {
    auto echec = [&](const QString& texte) {
        if (erreur)
            *erreur = texte;
        parametres_ = {};
        empreintes_.clear();
        return false;
    };
    QFile f(chemin);
    if (!f.exists())
        return echec(QStringLiteral("fichier des mots de passe operateurs introuvable : ") +
                     chemin);
    if (!f.open(QIODevice::ReadOnly))
        return echec(Invalide(chemin, 0, f.errorString()));
    const QByteArray contenu = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return echec(Invalide(chemin, 0, f.errorString()));

    parametres_ = {};
    empreintes_.clear();
    bool enTeteLu = false;
    QSet<QChar> vus;
    const QList<QByteArray> lignes = contenu.split('\n');
    for (int i = 0; i < lignes.size(); ++i) {
        const QString ligne = QString::fromUtf8(lignes[i]).trimmed();
        const int numero = i + 1;
        if (ligne.isEmpty() || ligne.startsWith(QLatin1Char('#')))
            continue;
        const QStringList champs = ligne.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (!enTeteLu) {
            QString raison;
            if (!LitEnTete(champs, &parametres_, &raison))
                return echec(Invalide(chemin, numero, raison));
            enTeteLu = true;
            continue;
        }
        if (champs.size() != 2 || champs[0].size() != 1)
            return echec(Invalide(chemin, numero, QStringLiteral("code et empreinte attendus")));
        const QChar code = champs[0].at(0);
        if (!DroitsDuCode(code))
            return echec(
                Invalide(chemin, numero, QStringLiteral("code operateur inconnu : ") + champs[0]));
        if (vus.contains(code))
            return echec(Invalide(chemin, numero,
                                  QStringLiteral("code operateur en double : ") + champs[0]));
        QByteArray empreinte;
        if (!Base64Strict(champs[1], &empreinte) || empreinte.size() != kTailleEmpreinte)
            return echec(Invalide(chemin, numero, QStringLiteral("empreinte illisible")));
        vus.insert(code);
        empreintes_.append({code, empreinte});
    }
    if (!enTeteLu)
        return echec(Invalide(chemin, 0, QStringLiteral("fichier vide")));
    if (empreintes_.isEmpty())
        return echec(Invalide(chemin, 0, QStringLiteral("aucun operateur")));
    return true;
}

std::optional<QChar> FichierMotsDePasse::CodeDuMotDePasse(const QString& motDePasse) const {
    if (empreintes_.isEmpty() || motDePasse.isEmpty())
        return std::nullopt;
    const QByteArray cle = Derive(motDePasse, parametres_);
    if (cle.size() != kTailleEmpreinte)
        return std::nullopt;
    for (const auto& [code, empreinte] : empreintes_) {
        // Compare every byte so the time taken says nothing about the digest.
        unsigned char difference = 0;
        for (int i = 0; i < kTailleEmpreinte; ++i)
            difference |= static_cast<unsigned char>(cle[i] ^ empreinte[i]);
        if (difference == 0)
            return code;
    }
    return std::nullopt;
}

bool FichierMotsDePasse::Ecrit(const QString& chemin,
                               const QList<std::pair<QChar, QString>>& motsDePasse,
                               QString* erreur) {
    auto echec = [&](const QString& texte) {
        if (erreur)
            *erreur = texte;
        return false;
    };
    if (motsDePasse.isEmpty())
        return echec(QStringLiteral("aucun mot de passe donne"));
    QSet<QChar> codes;
    QSet<QString> textes;
    for (const auto& [code, mdp] : motsDePasse) {
        if (!DroitsDuCode(code))
            return echec(QStringLiteral("code operateur inconnu : ") + code);
        if (codes.contains(code))
            return echec(QStringLiteral("code operateur en double : ") + code);
        if (!FormeValide(mdp))
            return echec(QStringLiteral("mot de passe du code ") + code +
                         QStringLiteral(" : 7 ou 8 lettres ou chiffres attendus"));
        if (textes.contains(mdp.toUpper()))
            return echec(QStringLiteral("le mot de passe du code ") + code +
                         QStringLiteral(" est deja celui d'un autre operateur"));
        codes.insert(code);
        textes.insert(mdp.toUpper());
    }

    Parametres p;
    p.algorithme = Algorithme::Argon2id;
    p.iterations = kPassesArgon2;
    p.memoireKio = kMemoireArgon2Kio;
    p.sel = QByteArray(kTailleSel, Qt::Uninitialized);
    for (auto& o : p.sel)
        o = static_cast<char>(QRandomGenerator::system()->bounded(256));

    QByteArray contenu =
        "# Mots de passe des operateurs Calvanet (ecrit par calvanet-motsdepasse)\n";
    contenu += kEnteteArgon2.toLatin1() + ' ' + QByteArray::number(p.iterations) + ' ' +
               QByteArray::number(p.memoireKio) + ' ' + p.sel.toBase64() + '\n';
    // Keep the table's order, so that the file reads like the rights table.
    for (const auto& d : TableOperateurs())
        for (const auto& [code, mdp] : motsDePasse)
            if (code == d.code) {
                const QByteArray empreinte = Derive(mdp, p);
                if (empreinte.size() != kTailleEmpreinte)
                    return echec(QStringLiteral("memoire insuffisante pour calculer l'empreinte"));
                contenu += QString(code).toLatin1() + ' ' + empreinte.toBase64() + '\n';
            }

    QSaveFile f(chemin);
    if (!f.open(QIODevice::WriteOnly) || f.write(contenu) != contenu.size() || !f.commit())
        return echec(chemin + QStringLiteral(" : ") + f.errorString());
    return true;
}
