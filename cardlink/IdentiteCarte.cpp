#include "IdentiteCarte.h"

#include "LiaisonCarte.h"
#include "ModuleTraductions.h"
#include "Windows1252.h"

bool LitCodeNom(const QByteArray& reponse, int& code) {
    if (reponse.isEmpty())
        return false;
    code = 0;
    for (const char c : reponse) {
        if (c < '0' || c > '9')
            return false;
        code = code * 10 + (c - '0');
        if (code > 255)
            return false;
    }
    return true;
}

QByteArray AdresseNomCarte(const QString& nom) {
    QByteArray adresse = VersWindows1252(nom.left(1));
    const QChar second = nom.size() > 1 ? nom.at(1) : QChar();
    adresse += (second >= QLatin1Char('0') && second <= QLatin1Char('9'))
                   ? static_cast<char>(second.unicode())
                   : '0';
    return adresse;
}

QString NomDesCellules(const QByteArray& cellule1, const QByteArray& cellule2) {
    int code1 = 0;
    if (!LitCodeNom(cellule1, code1))
        return {};
    QString nom = DepuisWindows1252(QByteArray(1, static_cast<char>(code1)));
    if (cellule1.size() == 3) {
        int code2 = 0;
        if (!LitCodeNom(cellule2, code2))
            return {};
        nom += QLatin1Char('-') + QString::number(code2 - 48);
    }
    return nom;
}

NomStocke LitNomCarte(Poste& poste, const QByteArray& adresse) {
    NomStocke lu;
    const QByteArray nom1 = EnvoiEtReponseMorvane2(poste, "W" + adresse + "L01", 500);
    if (EstErreur(nom1)) {
        lu.erreur = nom1;
        return lu;
    }
    int code1 = 0;
    if (!LitCodeNom(nom1, code1))
        return lu;
    QByteArray nom2;
    if (nom1.size() == 3) {
        nom2 = EnvoiEtReponseMorvane2(poste, "W" + adresse + "L02", 500);
        if (EstErreur(nom2)) {
            lu.erreur = nom2;
            return lu;
        }
    }
    lu.nom = NomDesCellules(nom1, nom2);
    return lu;
}

void DecodeIdentite(const QByteArray& reponse, IdentiteCarte& id) {
    // version "[" SN ... "]" layer-board version (2 hex digits, optional)
    const qsizetype ouvrant = reponse.indexOf('[');
    const qsizetype fermant = ouvrant < 0 ? -1 : reponse.indexOf(']', ouvrant + 1);
    if (ouvrant < 0 || fermant < 0) {
        // Not an identity we can read by position: keep what names the
        // firmware, and no serial number rather than a wrong one.
        id.version = DepuisWindows1252(ouvrant < 0 ? reponse : reponse.left(ouvrant));
        return;
    }
    id.version = DepuisWindows1252(reponse.left(ouvrant));
    id.sn = DepuisWindows1252(reponse.mid(ouvrant + 1, qMin<qsizetype>(4, fermant - ouvrant - 1)));
    if (reponse.size() > fermant + 1)
        id.versionCouche =
            QString::number(ConvHexDec(DepuisWindows1252(reponse.mid(fermant + 1, 2))));
}

IdentiteCarte IdentifieCarte(Poste& poste, const QByteArray& adresse) {
    IdentiteCarte id;
    QString& version = id.version;
    poste.ArretDemande = false;
    PortCarteOuvert port(poste);

    QByteArray reponse;
    bool trouvee = false;
    for (int n = 1; n <= 9; ++n) {
        poste.AfficheInfo(QStringLiteral("Essai connection carte (%1) ...").arg(n));
        poste.Message(Msg[49] + QStringLiteral(" (%1)").arg(n), 0, QStringLiteral("RECHERCHE"));
        reponse = EnvoiEtReponseMorvane2(poste, QByteArrayLiteral("V") + adresse, 200);
        if (!EstErreur(reponse)) {
            trouvee = true;
            break;
        }
    }

    if (!trouvee) {
        poste.AfficheInfo(Msg[50]);
        version = DepuisWindows1252(reponse);
    } else {
        DecodeIdentite(reponse, id);
        if (const NomStocke lu = LitNomCarte(poste, adresse); !lu.nom.isEmpty())
            id.nom = lu.nom;
    }

    port.ferme();
    poste.FermeMessage();
    poste.AfficheInfo(QString());
    return id;
}
