#include "FeuilleMeuble.h"

#include "FichierTrace.h"
#include "LiaisonCarte.h"
#include "Plateforme.h"
#include "Windows1252.h"

#include <QDateTime>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

const QString kCreerMeuble = QStringLiteral("Vous devez commencer par creer un meuble");

EnTeteMeuble EnTete(Poste& poste, const Meuble& meuble, VueMeuble& vue) {
    const QDateTime maintenant = QDateTime::currentDateTime();
    EnTeteMeuble e;
    e.nomPharma = vue.NomPharma();
    e.adrPharma = vue.AdrPharma();
    e.nomMeuble = meuble.NomMeuble;
    e.nombrePlateaux = vue.nombreLignes();
    e.premier = meuble.PremierPlateau;
    e.dernier = meuble.DernierPlateau;
    e.date = maintenant.toString(QStringLiteral("dd/MM/yyyy"));
    e.heure = maintenant.toString(QStringLiteral("HH:mm:ss"));
    e.operateur = poste.reglages.CodeUsine + poste.reglages.CodeOperateur;
    return e;
}

QString LigneDate(const EnTeteMeuble& e) {
    return QStringLiteral("le ") + e.date + QStringLiteral(" à ") + e.heure +
           QStringLiteral("  operateur: ") + e.operateur;
}

QString LigneMeuble(const EnTeteMeuble& e) {
    return QStringLiteral("Meuble '") + e.nomMeuble + QStringLiteral("'   ") +
           QString::number(e.nombrePlateaux) + QStringLiteral(" plateau(x)");
}

// Reads every card again under its tray address, line by line of the list.
QList<RangeeCarte> LitCartesMeuble(Poste& poste, const Meuble& meuble, VueMeuble& vue) {
    QList<RangeeCarte> rangees;
    const QStringList lignes = vue.lignes();
    PortCarteOuvert port(poste);
    for (int i = 0; i < lignes.size(); ++i) {
        vue.selectionne(i);
        vue.Progression(i + 1);
        const QString& ligne = lignes.at(i);
        const int n = NumeroPlateau(ligne);
        const bool connu = n >= 0 && n <= Meuble::kPlateauMax;
        rangees << RangeeCarte{
            ligne.left(4),
            DepuisWindows1252(EnvoiEtReponseMorvane2(poste, "V" + AdressePlateau(ligne), 500)),
            connu ? meuble.SNsaisie[static_cast<size_t>(n)] : QString(),
            connu ? meuble.AncienNom[static_cast<size_t>(n)] : QString()};
    }
    return rangees;
}

bool Imprime(QPrinter& imprimante, const QList<LigneFeuille>& lignes) {
    QPainter peintre;
    if (!peintre.begin(&imprimante))
        return false;
    PeintFeuille(peintre, QRectF(QPointF(0, 0), imprimante.pageRect(QPrinter::DevicePixel).size()),
                 lignes);
    return peintre.end();
}

} // namespace

QStringList LignesEnregistrement(const EnTeteMeuble& e, const QList<RangeeCarte>& rangees) {
    QStringList lignes{
        QString(104, QLatin1Char('-')), LigneDate(e),
        QStringLiteral("PHARMACIE : ") + e.nomPharma + QStringLiteral("    ") + e.adrPharma,
        LigneMeuble(e) + QStringLiteral("    du plateau ") + QString::number(e.premier) +
            QStringLiteral(" au ") + QString::number(e.dernier)};
    lignes << TableauCartes(rangees, kLargeurMsgFichier);
    return lignes;
}

QList<LigneFeuille> LignesFeuille(const EnTeteMeuble& e, const QList<RangeeCarte>& rangees) {
    QList<LigneFeuille> l{
        {QString(), 24, true},
        {QString(), 24, true},
        {QStringLiteral("PHARMACIE : "), 24, true},
        {e.nomPharma + QStringLiteral("  "), 36, true},
        {e.adrPharma + QStringLiteral("  "), 36, true},
        {QString(), 36, true},
        {LigneMeuble(e), 36, true},
        {QString(), 36, true},
        {QString(18, QLatin1Char(' ')) + QStringLiteral("du plateau ") +
             QString::number(e.premier) + QStringLiteral(" au ") + QString::number(e.dernier),
         24, true},
        {QString(), 24, true},
        {LigneDate(e), 16, false},
        {QString(), 16, false},
        {QStringLiteral("Feuille d'attribution"), 16, false},
        {QString(), 16, false},
    };
    for (const QString& ligne : TableauCartes(rangees, kLargeurMsgFeuille))
        l << LigneFeuille{ligne, 9, false};
    return l;
}

QString PoliceFeuille() {
    const QString lucida = QStringLiteral("Lucida Console");
    if (QFontDatabase::families().contains(lucida, Qt::CaseInsensitive))
        return lucida;
    return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

void PeintFeuille(QPainter& peintre, const QRectF& page, const QList<LigneFeuille>& lignes) {
    const QString famille = PoliceFeuille();
    auto police = [&](const LigneFeuille& l) {
        QFont f(famille);
        f.setStyleHint(QFont::Monospace);
        f.setPointSizeF(l.taille);
        f.setBold(l.gras);
        // A pharmacy name too long for the page is written smaller, not cut.
        const qreal largeur = QFontMetricsF(f, peintre.device()).horizontalAdvance(l.texte);
        if (largeur > page.width())
            f.setPointSizeF(l.taille * page.width() / largeur);
        return f;
    };
    qreal hauteur = 0;
    for (const LigneFeuille& l : lignes)
        hauteur += QFontMetricsF(police(l), peintre.device()).lineSpacing();
    // The cabinet sheet is one page, whatever the number of trays.
    const qreal echelle = hauteur > page.height() ? page.height() / hauteur : 1.0;

    peintre.save();
    peintre.translate(page.topLeft());
    peintre.scale(echelle, echelle);
    peintre.setPen(Qt::black);
    qreal y = 0;
    for (const LigneFeuille& l : lignes) {
        const QFont f = police(l);
        const QFontMetricsF m(f, peintre.device());
        peintre.setFont(f);
        if (!l.texte.isEmpty())
            peintre.drawText(QPointF(0, y + m.ascent()), l.texte);
        y += m.lineSpacing();
    }
    peintre.restore();
}

void MemoriseAttribution(Poste& poste, const Meuble& meuble, VueMeuble& vue) {
    Operateur& op = poste.operateur();
    if (vue.nombreLignes() == 0) {
        op.Boite(kCreerMeuble, {}, Icone::Information);
        return;
    }
    vue.Etat(QStringLiteral("Mémorisation en cours ..."));
    const QString chemin =
        Plateforme::CheminDans(poste.reglages.CheminProg, QStringLiteral("AttribMeuble.txt"));
    QString erreur;
    if (!CreeFichierTrace(chemin, &erreur)) {
        // The outcome of each card stays in the tray list for the operator.
        op.Boite(QStringLiteral("Impossible d'ouvrir ") + chemin +
                     QStringLiteral(" pour y ajouter ce meuble : ") + erreur,
                 {}, Icone::Exclamation);
        vue.Etat(QStringLiteral("Meuble non mémorisé"));
        return;
    }
    vue.DebutProgression(vue.nombreLignes());
    const EnTeteMeuble entete = EnTete(poste, meuble, vue);
    const QList<RangeeCarte> rangees = LitCartesMeuble(poste, meuble, vue);
    // One write: a record is never left half written in the shared file.
    const bool ecrit = AjouteLigneTrace(
        chemin, LignesEnregistrement(entete, rangees).join(QStringLiteral("\r\n")), &erreur);
    vue.Etat(ecrit ? QStringLiteral("Fin de mémorisation") : QStringLiteral("Meuble non mémorisé"));
    vue.CacheProgression();
    if (!ecrit)
        op.Boite(QStringLiteral("Le meuble n'a pas pu être ajouté à ") + chemin +
                     QStringLiteral(" : ") + erreur,
                 {}, Icone::Exclamation);
}

void EditeFeuilleMeuble(Poste& poste, const Meuble& meuble, VueMeuble& vue, bool versPdf) {
    Operateur& op = poste.operateur();
    if (vue.nombreLignes() == 0) {
        op.Boite(kCreerMeuble, {}, Icone::Information);
        return;
    }
    vue.Etat(QStringLiteral("Edition en cours ..."));
    vue.DebutProgression(vue.nombreLignes());
    const EnTeteMeuble entete = EnTete(poste, meuble, vue);
    const QList<LigneFeuille> lignes = LignesFeuille(entete, LitCartesMeuble(poste, meuble, vue));
    vue.Etat(QStringLiteral("Fin d'edition"));
    vue.CacheProgression();

    const QString titre = QStringLiteral("Feuille d'attribution meuble ") + meuble.NomMeuble;
    QString raison;
    if (versPdf) {
        raison = QStringLiteral("La feuille");
    } else if (QPrinterInfo::defaultPrinter().isNull()) {
        raison = QStringLiteral("Aucune imprimante n'est installée : la feuille");
    } else {
        QPrinter imprimante(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
        imprimante.setDocName(titre);
        if (Imprime(imprimante, lignes))
            return;
        raison = QStringLiteral("L'impression sur ") + imprimante.printerName() +
                 QStringLiteral(" a échoué : la feuille");
    }

    const QString chemin = Plateforme::CheminDans(
        poste.reglages.CheminProg,
        QStringLiteral("FeuilleMeuble_") + meuble.NomMeuble + QLatin1Char('_') +
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss")) +
            QStringLiteral(".pdf"));
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(chemin);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    pdf.setDocName(titre);
    pdf.setCreator(NomProgramme());
    if (Imprime(pdf, lignes)) {
        op.Boite(raison + QStringLiteral(" du meuble ") + meuble.NomMeuble +
                     QStringLiteral(" est enregistrée dans\r") + chemin,
                 {}, Icone::Information);
    } else {
        QFile::remove(chemin);
        op.Boite(QStringLiteral("La feuille du meuble ") + meuble.NomMeuble +
                     QStringLiteral(" n'a pas pu être enregistrée dans\r") + chemin,
                 {}, Icone::Critique);
    }
}
