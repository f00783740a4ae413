#pragma once
// The real main window, offscreen, on the simulated card bus: the bench as
// the operator has it, clicks on the window's own buttons included.
#include "BancCarte.h"
#include "F1posteProgrammation.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class BancFenetre : public BancBus {
public:
    OperateurScripte op;
    QTemporaryDir dossier; // the trace folder (pp=)
    std::unique_ptr<F1posteProgrammation> f;
    std::unique_ptr<HistoriquePoste> vu; // what the window's context showed

    ~BancFenetre() override { arrete(); }

    // Starts the bus, its device linked from the trace folder, then the
    // window on it from a command line naming both, followed by `options`.
    // The demo operators' passwords are the station's; the default logs in
    // operator Y, with no label printer. False, with the reason in the test
    // log, when either cannot start.
    bool demarre(const QString& options = QStringLiteral("op=DEMOY001 portImp=PRN")) {
        qputenv("CALVANET_MOTS_DE_PASSE", QByteArray(CALVANET_MDP_DEMO));
        if (!demarreBus(dossier.filePath(QStringLiteral("carte"))))
            return false;
        f = std::make_unique<F1posteProgrammation>(op);
        vu = std::make_unique<HistoriquePoste>(f->poste());
        f->poste().arretProcessus = [](int) {};
        f->poste().AccelerePauses(PosteTest::kAcceleration);
        try {
            f->Demarre(
                QStringLiteral("pp=%1 com=%2 ").arg(dossier.path(), bus->cheminPeripherique()) +
                options);
        } catch (const FinProgrammeDemandee& fin) {
            qWarning("the window ended at start-up (%d): %s", fin.code,
                     qPrintable(op.boites().join(QStringLiteral(" | "))));
            return false;
        }
        return true;
    }
    // The window first: it may still hold the port open.
    void arrete() {
        arreteVeille();
        if (f)
            f->poste().AccelerePauses(1);
        vu.reset();
        f.reset();
        arreteBus();
    }

    // A mouse click on the window's button `nom`.
    void clique(const char* nom) {
        auto* bouton = f->findChild<QPushButton*>(QString::fromLatin1(nom));
        QVERIFY2(bouton, nom);
        QTest::mouseClick(bouton, Qt::LeftButton);
    }

    Poste& station() override { return f->poste(); }
    const Poste& station() const override { return f->poste(); }
    const HistoriquePoste& historique() const override { return *vu; }
    const OperateurScripte& operateurScripte() const override { return op; }
    QString fichier(const QString& nom) const override { return dossier.filePath(nom); }

protected:
    // The button itself, hidden or not, as a click on it would.
    void appuieCancel() override { f->BtCancel->click(); }
};
