// calvanet: the bench station. Its command line is its whole configuration.
#include "F1posteProgrammation.h"
#include "LigneCommande.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(NomProgramme());
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(versionLogiciel().major)
                                            .arg(versionLogiciel().minor)
                                            .arg(versionLogiciel().revision));

    F1posteProgrammation fenetre;
    try {
        fenetre.Demarre(LigneCommande(QCoreApplication::arguments()));
    } catch (const FinProgrammeDemandee& fin) {
        return fin.code;
    }
    fenetre.show();
    return QApplication::exec();
}
