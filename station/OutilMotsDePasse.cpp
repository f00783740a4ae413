// calvanet-motsdepasse: writes the operator password file of an installation.
//   calvanet-motsdepasse [file]  < lines "code=password"
//   calvanet-motsdepasse [file]    (on a terminal: asks for each operator code)
// The file defaults to the one calvanet reads: $CALVANET_MOTS_DE_PASSE, else
// /etc/calvanet/operateurs.mdp when it exists, else operateurs.mdp beside this
// program when it exists (a build folder), else /etc/calvanet/operateurs.mdp,
// created with its folder (an installation's first run, as root).
#include "MotsDePasseOperateurs.h"
#include "Plateforme.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>

namespace {

QTextStream& Sortie() {
    static QTextStream s(stderr);
    return s;
}

// One line typed without echo when stdin is a terminal.
QString LitCache(QTextStream& entree) {
    bool echoCoupe = false;
    const QString ligne = Plateforme::LitLigneSansEcho(entree, &echoCoupe);
    if (echoCoupe)
        Sortie() << Qt::endl;
    return ligne;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 2 || (arguments.size() == 2 && arguments[1].startsWith('-'))) {
        Sortie() << "usage : calvanet-motsdepasse [fichier]\n"
                    "  lit des lignes code=motdepasse sur l'entree standard (ou les demande),\n"
                    "  ecrit le fichier des mots de passe operateurs (par defaut celui que\n"
                    "  calvanet lit : "
                 << CheminFichierMotsDePasse() << ")." << Qt::endl;
        return 2;
    }
    const QString fichier = arguments.size() == 2 ? arguments[1] : CheminFichierMotsDePasse();
    const QString dossier = QFileInfo(fichier).absolutePath();
    if (!QDir().mkpath(dossier)) {
        Sortie() << "impossible de creer le dossier " << dossier << Qt::endl;
        return 1;
    }

    QTextStream entree(stdin);
    QList<std::pair<QChar, QString>> motsDePasse;
    if (Plateforme::EntreeEstTerminal()) {
        Sortie() << "Mot de passe de chaque code operateur (ENTER vide : pas d'operateur)"
                 << Qt::endl;
        for (const DroitsOperateur& d : TableOperateurs()) {
            // Typed twice, since nothing is shown while typing.
            for (;;) {
                Sortie() << "  code " << d.code << " : " << Qt::flush;
                const QString mdp = LitCache(entree).trimmed();
                if (mdp.isEmpty())
                    break;
                Sortie() << "  code " << d.code << " (encore) : " << Qt::flush;
                if (LitCache(entree).trimmed() == mdp) {
                    motsDePasse.append({d.code, mdp});
                    break;
                }
                Sortie() << "  les deux saisies different, recommencez" << Qt::endl;
            }
        }
    } else {
        int numero = 0;
        while (!entree.atEnd()) {
            const QString ligne = entree.readLine().trimmed();
            ++numero;
            if (ligne.isEmpty() || ligne.startsWith('#'))
                continue;
            const qsizetype egal = ligne.indexOf('=');
            if (egal != 1) {
                Sortie() << "ligne " << numero << " : code=motdepasse attendu" << Qt::endl;
                return 1;
            }
            motsDePasse.append({ligne.at(0).toUpper(), ligne.mid(2).trimmed()});
        }
    }

    QString erreur;
    if (!FichierMotsDePasse::Ecrit(fichier, motsDePasse, &erreur)) {
        Sortie() << erreur << Qt::endl;
        return 1;
    }
    Sortie() << motsDePasse.size() << " operateur(s) ecrit(s) dans " << fichier << Qt::endl;
    return 0;
}
