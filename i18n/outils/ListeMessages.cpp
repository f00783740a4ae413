// calvanet-listemessages: writes "ListeMessagesCalvanet.txt" from the
// station's own message table, beside a translation database.
//   calvanet-listemessages <base>
// <base> is the translation database (the file named by `ft`). It is created
// empty when it does not exist yet, so that a new installation gets its
// message base by this command and then the menu entry "Creation Base de
// messages" of the station.
#include "BaseTraductions.h"
#include "CreeBaseMessages.h"
#include "FichierTrace.h"
#include "Poste.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

QTextStream& Sortie() {
    static QTextStream s(stderr);
    return s;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2 || arguments[1].startsWith('-')) {
        Sortie() << "usage : calvanet-listemessages <base de traduction>\n"
                    "  ecrit ListeMessagesCalvanet.txt (tous les messages du programme avec\n"
                    "  leur texte francais) a cote de la base, et cree la base vide si elle\n"
                    "  n'existe pas encore."
                 << Qt::endl;
        return 2;
    }
    const QFileInfo base(arguments[1]);
    if (!base.exists()) {
        ErreurBase erreur;
        if (!BaseTraductions::Cree(base.filePath(), &erreur)) {
            Sortie() << base.filePath() << " : base non creee : " << erreur.description << Qt::endl;
            return 1;
        }
        Sortie() << "base de traduction creee (vide) : " << base.filePath() << Qt::endl;
    } else if (!base.isFile()) {
        Sortie() << base.filePath() << " n'est pas un fichier" << Qt::endl;
        return 1;
    }

    const QList<MessageDefaut> messages = MessagesDefaut();
    const QString liste = base.dir().filePath(kListeMessages);
    const VersionLogiciel v = versionLogiciel();
    const QString titre =
        QStringLiteral("Liste des messages Calvanet v%1.%2.%3 (%4) du %5")
            .arg(v.major)
            .arg(v.minor)
            .arg(v.revision)
            .arg(v.commentaire, QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
    QString erreur;
    if (!RemplaceFichierTrace(liste, LignesListeMessages(messages, titre), &erreur)) {
        Sortie() << liste << " : " << erreur << Qt::endl;
        return 1;
    }
    Sortie() << messages.size() << " messages ecrits dans " << liste << Qt::endl;
    return 0;
}
