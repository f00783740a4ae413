#pragma once
// A translation database in a temporary folder, made and read through the
// store, for the translation tests; the station's translation globals point
// at it while it lives.
#include "BaseTraductions.h"
#include "ModuleTraductions.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

struct BaseTest {
    QTemporaryDir dossier;
    QString fichier;

    // An empty store named `nom` in the folder, in use by the station.
    explicit BaseTest(const QString& nom = QStringLiteral("trad.mdb"), bool creer = true)
        : fichier(nom) {
        if (creer) {
            ErreurBase e;
            if (!BaseTraductions::Cree(chemin(), &e))
                qFatal("store not created: %s", qPrintable(e.description));
        }
        utilise();
    }
    ~BaseTest() {
        FichierTraduction.clear();
        DossierTraduction.clear();
    }

    QString chemin() const { return dossier.filePath(fichier); }
    void utilise() {
        DossierTraduction = dossier.path() + QLatin1Char('/');
        FichierTraduction = fichier;
    }

    void ajoute(const QString& formulaire, const QString& type, const QString& nom,
                const QString& legende, const QString& bulle = {}) {
        BaseTraductions b(chemin());
        QCOMPARE(b.Ouvre(), BaseTraductions::Ouverture::Ouverte);
        EnregistrementTraduction e;
        e.Tformulaire = formulaire;
        e.Ttype = type;
        e.Tname = nom;
        e.Tcaption = legende;
        e.Ttooltiptext = bulle;
        QVERIFY(b.Ajoute(e));
    }

    // The table as the sqlite3 program prints it: one line per record, fields
    // separated by "|", in insertion order.
    QStringList sqlite3(const QString& requete) const {
        QProcess p;
        p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), chemin(), requete});
        if (!p.waitForFinished(10000) || p.exitCode() != 0)
            return {QStringLiteral("sqlite3 failed: ") +
                    QString::fromUtf8(p.readAllStandardError())};
        const QString sortie = QString::fromUtf8(p.readAllStandardOutput());
        return sortie.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
};
