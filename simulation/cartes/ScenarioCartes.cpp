#include "ScenarioCartes.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QByteArray Octets(const QJsonValue& v) {
    return v.toString().toLatin1();
}

bool LitCarte(const QJsonObject& o, std::vector<CarteSimulee>& cartes, QString& erreur) {
    CarteSimulee c;
    auto texte = [&](const char* cle, QByteArray& champ) {
        if (o.contains(QLatin1String(cle)))
            champ = Octets(o.value(QLatin1String(cle)));
    };
    auto entier = [&](const char* cle, int& champ) {
        if (o.contains(QLatin1String(cle)))
            champ = o.value(QLatin1String(cle)).toInt(champ);
    };
    auto booleen = [&](const char* cle, bool& champ) {
        if (o.contains(QLatin1String(cle)))
            champ = o.value(QLatin1String(cle)).toBool(champ);
    };
    texte("nom", c.nom);
    texte("sn", c.sn);
    texte("version", c.version);
    texte("apresSN", c.apresSN);
    texte("versionCouche", c.versionCouche);
    texte("presenceEA", c.presenceEA);
    texte("ledsAR", c.ledsAR);
    texte("parasitesAvant", c.parasitesAvant);
    entier("puissanceIRTrouvee", c.puissanceIRTrouvee);
    entier("seuilReceptionIR", c.seuilReceptionIR);
    c.puissanceIR = c.puissanceIRTrouvee == 255 ? 0 : c.puissanceIRTrouvee;
    entier("puissanceIR", c.puissanceIR);
    entier("delaiReponseMs", c.delaiReponseMs);
    entier("coupureApresDecharges", c.coupureApresDecharges);
    booleen("pretIR", c.pretIR);
    booleen("basculeIR", c.basculeIR);
    booleen("muette", c.muette);
    booleen("alimentee", c.alimentee);
    booleen("repondAuDeuxiemeEssai", c.repondAuDeuxiemeEssai);
    booleen("mauvaisCheckSum", c.mauvaisCheckSum);
    booleen("checkSumMinuscule", c.checkSumMinuscule);
    booleen("sansSlash", c.sansSlash);
    booleen("reponseDoublee", c.reponseDoublee);
    for (const QJsonValue v : o.value(QLatin1String("silencePour")).toArray())
        c.silencePour << Octets(v);
    if (o.contains(QLatin1String("alimentation")))
        c.alimentation = o.value(QLatin1String("alimentation")).toDouble(c.alimentation);

    for (const QByteArray* motif : {&c.presenceEA, &c.ledsAR})
        if (motif->size() != 32 || motif->count('0') + motif->count('1') != 32) {
            erreur = QStringLiteral("motif de 32 caracteres 0/1 attendu: ") +
                     QString::fromLatin1(*motif);
            return false;
        }

    const QByteArray meuble = Octets(o.value(QLatin1String("meuble")));
    if (!meuble.isEmpty() && meuble.size() != 1) {
        erreur = QStringLiteral("meuble: une lettre attendue");
        return false;
    }
    if (o.contains(QLatin1String("nombre"))) {
        const int nombre = o.value(QLatin1String("nombre")).toInt();
        const int premier = o.value(QLatin1String("premier")).toInt(1);
        if (meuble.isEmpty() || nombre < 1 || premier < 1 || premier + nombre - 1 > 207) {
            erreur = QStringLiteral("nombre/premier/meuble incorrects");
            return false;
        }
        for (int i = 0; i < nombre; ++i) {
            CarteSimulee copie = c;
            copie.nom = NomCarteSimulee(meuble.at(0), premier + i);
            copie.sn = c.sn.left(1) + QByteArray::number(premier + i).rightJustified(3, '0');
            cartes.push_back(copie);
        }
        return true;
    }
    if (!meuble.isEmpty()) {
        const int numero = o.value(QLatin1String("numero")).toInt(1);
        c.nom = NomCarteSimulee(meuble.at(0), numero);
    }
    cartes.push_back(c);
    return true;
}

} // namespace

bool LitScenarioCartes(const QByteArray& json, ScenarioCartes& scenario, QString* erreur) {
    QString raison;
    QJsonParseError e{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &e);
    if (!doc.isObject()) {
        raison = QStringLiteral("JSON illisible: ") + e.errorString();
    } else {
        const QJsonObject o = doc.object();
        scenario = ScenarioCartes{};
        scenario.cadence9600 = o.value(QLatin1String("cadence9600")).toBool(false);
        scenario.intervalleAppelMs = o.value(QLatin1String("intervalleAppelMs")).toInt(10);
        for (const QJsonValue v : o.value(QLatin1String("cartes")).toArray()) {
            if (!v.isObject()) {
                raison = QStringLiteral("chaque carte est un objet");
                break;
            }
            if (!LitCarte(v.toObject(), scenario.cartes, raison))
                break;
        }
    }
    if (!raison.isEmpty() && erreur)
        *erreur = raison;
    return raison.isEmpty();
}

bool LitScenarioCartes(const QString& chemin, ScenarioCartes& scenario, QString* erreur) {
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly)) {
        if (erreur)
            *erreur = chemin + QStringLiteral(": ") + f.errorString();
        return false;
    }
    QString raison;
    if (!LitScenarioCartes(f.readAll(), scenario, &raison)) {
        if (erreur)
            *erreur = chemin + QStringLiteral(": ") + raison;
        return false;
    }
    return true;
}

void AppliqueScenario(const ScenarioCartes& scenario, BusSimule& bus) {
    bus.setCadence9600(scenario.cadence9600);
    bus.setIntervalleAppelMs(scenario.intervalleAppelMs);
    bus.modifieCartes([&](std::vector<CarteSimulee>& cartes) { cartes = scenario.cartes; });
}
