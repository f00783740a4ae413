#include "IdentiteCarte.h"

#include "FichierTrace.h"
#include "LiaisonCarte.h"
#include "ModuleTraductions.h"

namespace {

// A name reply: the decimal code of one character, 0 to 255.
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

} // namespace

void IdentifieCarte(Poste& poste, const QByteArray& adresse, QString& nomCarte, QString& version,
                    QString& sn, QString& versionCouche) {
    nomCarte = QStringLiteral("inconnu");
    version.clear();
    sn.clear();
    versionCouche.clear();
    poste.ArretDemande = false;
    OuvrePortCarte(poste, poste.reglages.PortCarte);

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
        // version "[" SN ... "]" layer-board version (2 hex digits, optional)
        const qsizetype ouvrant = reponse.indexOf('[');
        const qsizetype fermant = ouvrant < 0 ? -1 : reponse.indexOf(']', ouvrant + 1);
        if (ouvrant < 0 || fermant < 0) {
            // Not an identity we can read by position: keep what names the
            // firmware, and no serial number rather than a wrong one.
            version = DepuisWindows1252(ouvrant < 0 ? reponse : reponse.left(ouvrant));
        } else {
            version = DepuisWindows1252(reponse.left(ouvrant));
            sn = DepuisWindows1252(
                reponse.mid(ouvrant + 1, qMin<qsizetype>(4, fermant - ouvrant - 1)));
            if (reponse.size() > fermant + 1)
                versionCouche =
                    QString::number(ConvHexDec(DepuisWindows1252(reponse.mid(fermant + 1, 2))));
        }

        int code1 = 0;
        const QByteArray nom1 = EnvoiEtReponseMorvane2(
            poste, QByteArrayLiteral("W") + adresse + QByteArrayLiteral("L01"), 500);
        if (LitCodeNom(nom1, code1)) {
            QString nom = DepuisWindows1252(QByteArray(1, static_cast<char>(code1)));
            bool lu = true;
            if (nom1.size() == 3) {
                int code2 = 0;
                const QByteArray nom2 = EnvoiEtReponseMorvane2(
                    poste, QByteArrayLiteral("W") + adresse + QByteArrayLiteral("L02"), 500);
                lu = LitCodeNom(nom2, code2);
                nom += QLatin1Char('-') + QString::number(code2 - 48);
            }
            if (lu)
                nomCarte = nom;
        }
    }

    FermePortcarte(poste);
    poste.FermeMessage();
    poste.AfficheInfo(QString());
}

void BtVerifConnection_Click(Poste& poste) {
    QString nom, version, sn, couche;
    IdentifieCarte(poste, QByteArrayLiteral("##"), nom, version, sn, couche);
    // CR as everywhere in box texts; the operator's dialogs show it as a line break.
    const QString cr = QStringLiteral("\r");
    QString texte;
    if (!version.startsWith(QLatin1String("Err:"))) {
        texte = Msg[23] + QStringLiteral(" : ") + version + cr + cr;
        texte += cr + QStringLiteral("SN= ") + sn + cr;
        texte += cr + cr + Msg[48] + QStringLiteral(": ") + nom + cr;
        if (!couche.isEmpty())
            texte += cr + QStringLiteral("version Layer Board : ") + couche + cr;
    } else {
        texte = Msg[1] + cr + version;
    }
    poste.operateur().Boite(texte);
}
