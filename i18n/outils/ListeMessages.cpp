// calvanet-listemessages: writes "ListeMessagesCalvanet.txt" from the
// station's own message table, beside a translation database.
//   calvanet-listemessages [--remplace] <base>
// <base> is the translation database (the file named by `ft`). It is created
// empty when it does not exist yet, so that a new installation gets its
// message base by this command and then the menu entry "Creation Base de
// messages" of the station. A list already there may be the older station's,
// the only record of its message names: it is replaced only when asked, and
// then kept beside under a dated name.
#include "BaseTraductions.h"
#include "CreeBaseMessages.h"
#include "FichierTrace.h"
#include "Poste.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {

QTextStream& Sortie() {
    static QTextStream s(stderr);
    return s;
}

int Usage() {
    Sortie() << "usage : calvanet-listemessages [--remplace] <base de traduction>\n"
                "  ecrit ListeMessagesCalvanet.txt (tous les messages du programme avec\n"
                "  leur texte francais) a cote de la base, et cree la base vide si elle\n"
                "  n'existe pas encore. Une liste deja la n'est remplacee qu'avec\n"
                "  --remplace, et reste alors a cote sous le nom\n"
                "  ListeMessagesCalvanet-<date de sa derniere modification>.txt."
             << Qt::endl;
    return 2;
}

// The name the old list keeps: its last change in it, so that several
// generations can stay side by side.
QString NomListeGardee(const QFileInfo& liste) {
    const QString nom = liste.completeBaseName() + QLatin1Char('-') +
                        liste.lastModified().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString chemin = liste.dir().filePath(nom + QStringLiteral(".txt"));
    for (int i = 2; QFileInfo::exists(chemin); ++i)
        chemin = liste.dir().filePath(QStringLiteral("%1-%2.txt").arg(nom).arg(i));
    return chemin;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    bool remplace = false;
    QStringList fichiers;
    for (const QString& a : QCoreApplication::arguments().mid(1)) {
        if (a == QStringLiteral("--remplace"))
            remplace = true;
        else if (a.startsWith('-'))
            return Usage();
        else
            fichiers << a;
    }
    if (fichiers.size() != 1)
        return Usage();
    const QFileInfo base(fichiers[0]);
    if (base.exists() && !base.isFile()) {
        Sortie() << base.filePath() << " n'est pas un fichier" << Qt::endl;
        return 1;
    }
    const QFileInfo liste(base.dir().filePath(kListeMessages));
    if (liste.exists() && !remplace) {
        Sortie() << liste.filePath()
                 << " existe deja : rien n'est remplace (avec --remplace, la liste est "
                    "remplacee et l'ancienne gardee a cote)"
                 << Qt::endl;
        return 1;
    }
    if (!base.exists()) {
        ErreurBase erreur;
        if (!BaseTraductions::Cree(base.filePath(), &erreur)) {
            Sortie() << base.filePath() << " : base non creee : " << erreur.description << Qt::endl;
            return 1;
        }
        Sortie() << "base de traduction creee (vide) : " << base.filePath() << Qt::endl;
    }
    if (liste.exists()) {
        const QString gardee = NomListeGardee(liste);
        if (!QFile::copy(liste.filePath(), gardee)) {
            Sortie() << liste.filePath() << " : impossible de la garder sous le nom " << gardee
                     << " : rien n'est remplace" << Qt::endl;
            return 1;
        }
        Sortie() << "ancienne liste gardee : " << gardee << Qt::endl;
    }

    const QList<MessageDefaut> messages = MessagesDefaut();
    const VersionLogiciel v = versionLogiciel();
    const QString titre =
        QStringLiteral("Liste des messages Calvanet v%1.%2.%3 (%4) du %5")
            .arg(v.major)
            .arg(v.minor)
            .arg(v.revision)
            .arg(v.commentaire, QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
    QString erreur;
    if (!RemplaceFichierTrace(liste.filePath(), LignesListeMessages(messages, titre), &erreur)) {
        Sortie() << liste.filePath() << " : " << erreur << Qt::endl;
        return 1;
    }
    Sortie() << messages.size() << " messages ecrits dans " << liste.filePath() << Qt::endl;
    return 0;
}
