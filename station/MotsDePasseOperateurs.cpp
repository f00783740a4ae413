#include "MotsDePasseOperateurs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>

namespace {

const QString kEntete = QStringLiteral("pbkdf2-sha256");
constexpr int kTailleEmpreinte = 32;
constexpr int kTailleSel = 16;

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

QString CheminFichierMotsDePasse() {
    const QString variable = qEnvironmentVariable("CALVANET_MOTS_DE_PASSE");
    if (!variable.isEmpty())
        return variable;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("operateurs.mdp"));
}

QByteArray FichierMotsDePasse::Derive(const QString& motDePasse, const QByteArray& sel,
                                      int iterations) {
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256,
                                              motDePasse.toUpper().toUtf8(), sel, iterations,
                                              kTailleEmpreinte);
}

bool FichierMotsDePasse::FormeValide(const QString& motDePasse) {
    static const QRegularExpression forme(QStringLiteral("^[A-Z0-9]{7,8}$"));
    return forme.match(motDePasse.toUpper()).hasMatch();
}

bool FichierMotsDePasse::Lit(const QString& chemin, QString* erreur) {
    auto echec = [&](const QString& texte) {
        if (erreur)
            *erreur = texte;
        iterations_ = 0;
        sel_.clear();
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

    iterations_ = 0;
    sel_.clear();
    empreintes_.clear();
    QSet<QChar> vus;
    const QList<QByteArray> lignes = contenu.split('\n');
    for (int i = 0; i < lignes.size(); ++i) {
        const QString ligne = QString::fromUtf8(lignes[i]).trimmed();
        const int numero = i + 1;
        if (ligne.isEmpty() || ligne.startsWith(QLatin1Char('#')))
            continue;
        const QStringList champs = ligne.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (iterations_ == 0) {
            bool ok = false;
            if (champs.size() != 3 || champs[0] != kEntete)
                return echec(Invalide(chemin, numero,
                                      QStringLiteral("en-tete attendu : ") + kEntete +
                                          QStringLiteral(" iterations sel")));
            const int n = champs[1].toInt(&ok);
            if (!ok || n < kIterationsMinimum)
                return echec(
                    Invalide(chemin, numero,
                             QStringLiteral("au moins %1 iterations").arg(kIterationsMinimum)));
            if (!Base64Strict(champs[2], &sel_) || sel_.size() < 8)
                return echec(Invalide(chemin, numero, QStringLiteral("sel illisible")));
            iterations_ = n;
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
    if (iterations_ == 0)
        return echec(Invalide(chemin, 0, QStringLiteral("fichier vide")));
    if (empreintes_.isEmpty())
        return echec(Invalide(chemin, 0, QStringLiteral("aucun operateur")));
    return true;
}

std::optional<QChar> FichierMotsDePasse::CodeDuMotDePasse(const QString& motDePasse) const {
    if (empreintes_.isEmpty() || motDePasse.isEmpty())
        return std::nullopt;
    const QByteArray cle = Derive(motDePasse, sel_, iterations_);
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
                               const QList<std::pair<QChar, QString>>& motsDePasse, QString* erreur,
                               int iterations) {
    auto echec = [&](const QString& texte) {
        if (erreur)
            *erreur = texte;
        return false;
    };
    if (motsDePasse.isEmpty())
        return echec(QStringLiteral("aucun mot de passe donne"));
    if (iterations < kIterationsMinimum)
        return echec(QStringLiteral("au moins %1 iterations").arg(kIterationsMinimum));
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

    QByteArray sel(kTailleSel, Qt::Uninitialized);
    for (auto& o : sel)
        o = static_cast<char>(QRandomGenerator::system()->bounded(256));

    QByteArray contenu =
        "# Mots de passe des operateurs Calvanet (ecrit par calvanet-motsdepasse)\n";
    contenu +=
        kEntete.toLatin1() + ' ' + QByteArray::number(iterations) + ' ' + sel.toBase64() + '\n';
    // Keep the table's order, so that the file reads like the rights table.
    for (const auto& d : TableOperateurs())
        for (const auto& [code, mdp] : motsDePasse)
            if (code == d.code)
                contenu +=
                    QString(code).toLatin1() + ' ' + Derive(mdp, sel, iterations).toBase64() + '\n';

    QSaveFile f(chemin);
    if (!f.open(QIODevice::WriteOnly) || f.write(contenu) != contenu.size() || !f.commit())
        return echec(chemin + QStringLiteral(" : ") + f.errorString());
    return true;
}
