#include "CertificatMeuble.h"

#include "AuPremierPlan.h"
#include "OperateurQt.h"
#include "Poste.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPaintEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QSaveFile>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

const QString kTitre = QStringLiteral("Certificat du meuble");
const QString kAucun = QStringLiteral("—");

// The page is laid out in points on the printable width of an A4 sheet with
// 12 mm margins, then mapped onto whatever rect the painter is given, so the
// preview is the PDF page at another size.
constexpr qreal kMargeMm = 12;
constexpr qreal kLargeurA4Mm = 210, kHauteurA4Mm = 297;
constexpr qreal kLargeurPoints = (kLargeurA4Mm - 2 * kMargeMm) * 72 / 25.4;

QString DateLocale(const QDateTime& date) {
    return date.isValid() ? date.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm"))
                          : kAucun;
}

QString DateIso(const QDateTime& date) {
    return date.toUTC().toString(Qt::ISODate);
}

QString LigneMeuble(const MeubleHistorique& m) {
    return QStringLiteral("Meuble ") + m.meuble + QStringLiteral(", du plateau ") +
           QString::number(m.premier) + QStringLiteral(" au ") + QString::number(m.dernier);
}

QString LigneAttribution(const MeubleHistorique& m) {
    return QStringLiteral("Attribué le ") + DateLocale(m.dateAttribution) +
           QStringLiteral(" par l'opérateur ") + m.operateurAttribution +
           QStringLiteral(" (poste ") + m.posteAttribution + QStringLiteral(")");
}

// A run's three cells: date, station, outcome; a dash alone when none.
QStringList CellulesPassage(const std::optional<PassageHistorique>& p) {
    if (!p)
        return {kAucun, QString(), QString()};
    return {DateLocale(p->debut), p->poste, IssueAffichee(p->issue)};
}

// A tray of the range that no card took shows a dash for its card.
QStringList CellulesPlateau(const PlateauMeuble& p) {
    return QStringList{QString::number(p.plateau), p.sn.isEmpty() ? kAucun : p.sn, p.versionFW}
           << CellulesPassage(p.dernierTestPlateau) << CellulesPassage(p.derniereAttributionSN)
           << p.marque();
}

const QStringList& EnTeteColonnes() {
    static const QStringList e{QStringLiteral("Plateau"),  QStringLiteral("SN carte"),
                               QStringLiteral("Firmware"), QStringLiteral("Date"),
                               QStringLiteral("Poste"),    QStringLiteral("Issue"),
                               QStringLiteral("Date"),     QStringLiteral("Poste"),
                               QStringLiteral("Issue"),    QStringLiteral("Marque")};
    return e;
}
// The two runs' headers, each over its three columns from `premiere`.
struct Groupe {
    QString texte;
    int premiere;
};
const QList<Groupe> kGroupes{{QStringLiteral("Dernier test plateau"), 3},
                             {QStringLiteral("Attribution SN"), 6}};

struct Ligne {
    QString texte;
    qreal taille; // points
    bool gras;
};

QJsonValue JsonPassage(const std::optional<PassageHistorique>& p) {
    if (!p)
        return QJsonValue::Null;
    return QJsonObject{{QStringLiteral("date"), DateIso(p->debut)},
                       {QStringLiteral("poste"), p->poste},
                       {QStringLiteral("issue"), TexteIssue(p->issue)}};
}

QString CheminJson(const QString& cheminPdf) {
    const QString pdf = QStringLiteral(".pdf");
    return cheminPdf.endsWith(pdf, Qt::CaseInsensitive) ? cheminPdf.chopped(pdf.size()) + ".json"
                                                        : cheminPdf + ".json";
}

// The sheet on screen: a white A4 page, the certificate on its printable part.
class ApercuCertificat : public QWidget {
public:
    ApercuCertificat(const MeubleHistorique& meuble, const QDateTime& edition, QWidget* parent)
        : QWidget(parent), meuble_(meuble), edition_(edition) {
        setMinimumSize(210, 297);
    }
    QSize sizeHint() const override { return {440, 622}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter peintre(this);
        peintre.setRenderHint(QPainter::Antialiasing);
        peintre.setRenderHint(QPainter::TextAntialiasing);
        peintre.fillRect(rect(), palette().window());
        const QRectF zone = QRectF(rect()).adjusted(8, 8, -8, -8);
        const qreal echelle = std::min(zone.width() / kLargeurA4Mm, zone.height() / kHauteurA4Mm);
        QRectF feuille(0, 0, kLargeurA4Mm * echelle, kHauteurA4Mm * echelle);
        feuille.moveCenter(zone.center());
        peintre.fillRect(feuille, Qt::white);
        peintre.setPen(Qt::gray);
        peintre.drawRect(feuille);
        const qreal marge = kMargeMm * echelle;
        PeintCertificat(peintre, feuille.adjusted(marge, marge, -marge, -marge), meuble_, edition_);
    }

private:
    const MeubleHistorique& meuble_;
    const QDateTime& edition_;
};

} // namespace

void PeintCertificat(QPainter& peintre, const QRectF& page, const MeubleHistorique& meuble,
                     const QDateTime& edition) {
    // Device units per point of the laid-out page.
    const qreal u = page.width() / kLargeurPoints;
    const qreal dpi = peintre.device()->logicalDpiY();
    auto police = [&](qreal taille, bool gras) {
        QFont f;
        f.setStyleHint(QFont::SansSerif);
        f.setPointSizeF(taille * u * 72 / dpi);
        f.setBold(gras);
        // A spacing too small to see keeps Qt from joining "fi" into one
        // ligature glyph, which PDF readers and searches would not find.
        f.setLetterSpacing(QFont::AbsoluteSpacing, 0.05 * u);
        return f;
    };
    auto metriques = [&](const QFont& f) { return QFontMetricsF(f, peintre.device()); };

    const QList<Ligne> haut{{kTitre, 20, true},
                            {QString(), 10, false},
                            {meuble.pharmacie, 14, true},
                            {meuble.adresse, 11, false},
                            {QString(), 8, false},
                            {LigneMeuble(meuble), 12, true},
                            {LigneAttribution(meuble), 10, false},
                            {QString(), 10, false}};
    const QList<Ligne> bas{{QString(), 10, false},
                           {QStringLiteral("Édité le ") + DateLocale(edition), 9, false}};
    // A line too long for the page (a long pharmacy name) is written smaller, not cut.
    auto policeLigne = [&](const Ligne& l) {
        QFont f = police(l.taille, l.gras);
        const qreal largeur = metriques(f).horizontalAdvance(l.texte);
        if (largeur > page.width())
            f.setPointSizeF(f.pointSizeF() * page.width() / largeur);
        return f;
    };

    const QFont fCellule = police(8, false), fEnTete = police(8, true);
    const QFontMetricsF mCellule = metriques(fCellule), mEnTete = metriques(fEnTete);
    const qreal marge = 3 * u, hauteurRangee = mCellule.lineSpacing() + 2 * marge;
    const QStringList& colonnes = EnTeteColonnes();
    QList<QStringList> rangees;
    for (const PlateauMeuble& p : meuble.plateaux)
        rangees << CellulesPlateau(p);
    QList<qreal> largeurs;
    for (const QString& c : colonnes)
        largeurs << mEnTete.horizontalAdvance(c) + 2 * marge;
    for (const QStringList& r : rangees)
        for (int i = 0; i < r.size(); ++i)
            largeurs[i] = std::max(largeurs[i], mCellule.horizontalAdvance(r.at(i)) + 2 * marge);
    for (const Groupe& g : kGroupes) {
        const qreal manque =
            mEnTete.horizontalAdvance(g.texte) + 2 * marge -
            (largeurs[g.premiere] + largeurs[g.premiere + 1] + largeurs[g.premiere + 2]);
        if (manque > 0)
            largeurs[g.premiere + 2] += manque;
    }
    qreal largeurTable = 0;
    for (qreal l : largeurs)
        largeurTable += l;

    qreal hauteur = (2 + rangees.size()) * hauteurRangee;
    qreal largeur = largeurTable;
    for (const Ligne& l : haut + bas) {
        const QFontMetricsF m = metriques(policeLigne(l));
        hauteur += m.lineSpacing();
        largeur = std::max(largeur, m.horizontalAdvance(l.texte));
    }
    // One page, whatever the number of trays and the length of the texts.
    const qreal echelle =
        std::min({1.0, page.width() / largeur, page.height() / std::max(hauteur, 1.0)});

    peintre.save();
    peintre.translate(page.topLeft());
    peintre.scale(echelle, echelle);
    peintre.setPen(Qt::black);
    qreal y = 0;
    auto ecritLignes = [&](const QList<Ligne>& lignes) {
        for (const Ligne& l : lignes) {
            const QFont f = policeLigne(l);
            const QFontMetricsF m = metriques(f);
            peintre.setFont(f);
            if (!l.texte.isEmpty())
                peintre.drawText(QPointF(0, y + m.ascent()), l.texte);
            y += m.lineSpacing();
        }
    };
    ecritLignes(haut);

    auto ecritRangee = [&](const QStringList& cellules, const QFontMetricsF& m) {
        qreal x = 0;
        for (int i = 0; i < cellules.size(); ++i) {
            peintre.drawText(QPointF(x + marge, y + marge + m.ascent()), cellules.at(i));
            x += largeurs[i];
        }
        y += hauteurRangee;
    };
    const QPen trait(Qt::black, 0.75 * u), filet(Qt::lightGray, 0.5 * u);
    peintre.setPen(trait);
    peintre.drawLine(QPointF(0, y), QPointF(largeurTable, y));
    peintre.setFont(fEnTete);
    for (const Groupe& g : kGroupes) {
        qreal x = 0;
        for (int i = 0; i < g.premiere; ++i)
            x += largeurs[i];
        peintre.drawText(QPointF(x + marge, y + marge + mEnTete.ascent()), g.texte);
        const qreal fin =
            x + largeurs[g.premiere] + largeurs[g.premiere + 1] + largeurs[g.premiere + 2];
        peintre.setPen(filet);
        peintre.drawLine(QPointF(x + marge, y + hauteurRangee),
                         QPointF(fin - marge, y + hauteurRangee));
        peintre.setPen(trait);
    }
    y += hauteurRangee;
    ecritRangee(colonnes, mEnTete);
    peintre.drawLine(QPointF(0, y), QPointF(largeurTable, y));
    peintre.setFont(fCellule);
    for (int r = 0; r < rangees.size(); ++r) {
        if (r > 0) {
            peintre.setPen(filet);
            peintre.drawLine(QPointF(0, y), QPointF(largeurTable, y));
            peintre.setPen(trait);
        }
        ecritRangee(rangees.at(r), mCellule);
    }
    peintre.drawLine(QPointF(0, y), QPointF(largeurTable, y));
    ecritLignes(bas);
    peintre.restore();
}

QByteArray JsonCertificat(const MeubleHistorique& meuble, const QDateTime& edition) {
    QJsonArray plateaux;
    for (const PlateauMeuble& p : meuble.plateaux)
        plateaux.append(
            QJsonObject{{QStringLiteral("plateau"), p.plateau},
                        {QStringLiteral("sn"), p.sn},
                        {QStringLiteral("firmware"), p.versionFW},
                        {QStringLiteral("dernierTestPlateau"), JsonPassage(p.dernierTestPlateau)},
                        {QStringLiteral("attributionSN"), JsonPassage(p.derniereAttributionSN)},
                        {QStringLiteral("marque"), p.marque()}});
    const QJsonValue dateAttribution = meuble.dateAttribution.isValid()
                                           ? QJsonValue(DateIso(meuble.dateAttribution))
                                           : QJsonValue(QJsonValue::Null);
    const QJsonObject racine{
        {QStringLiteral("pharmacie"), meuble.pharmacie},
        {QStringLiteral("adresse"), meuble.adresse},
        {QStringLiteral("meuble"), meuble.meuble},
        {QStringLiteral("premierPlateau"), meuble.premier},
        {QStringLiteral("dernierPlateau"), meuble.dernier},
        {QStringLiteral("attribution"),
         QJsonObject{{QStringLiteral("date"), dateAttribution},
                     {QStringLiteral("poste"), meuble.posteAttribution},
                     {QStringLiteral("operateur"), meuble.operateurAttribution}}},
        {QStringLiteral("edition"), DateIso(edition)},
        {QStringLiteral("plateaux"), plateaux}};
    return QJsonDocument(racine).toJson(QJsonDocument::Indented);
}

QString NomCertificat(const MeubleHistorique& meuble) {
    QString nom = QStringLiteral("certificat-") + meuble.pharmacie + QLatin1Char('-') +
                  meuble.meuble + QStringLiteral(".pdf");
    static const QString refuses = QStringLiteral("\\/:*?\"<>| ");
    for (QChar& c : nom)
        if (refuses.contains(c) || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    return nom;
}

bool EcritCertificat(const MeubleHistorique& meuble, const QDateTime& edition,
                     const QString& cheminPdf, QString* erreur) {
    auto echec = [&](const QString& raison) {
        if (erreur)
            *erreur = raison;
        return false;
    };
    auto echecFichier = [&](const QString& chemin, const QFileDevice& f) {
        return echec(QDir::toNativeSeparators(chemin) + QStringLiteral(" : ") + f.errorString());
    };

    // Composed in memory first: a file appears whole or not at all.
    QByteArray pdf;
    {
        QBuffer tampon(&pdf);
        tampon.open(QIODevice::WriteOnly);
        QPdfWriter ecrivain(&tampon);
        ecrivain.setPageSize(QPageSize(QPageSize::A4));
        ecrivain.setPageMargins(QMarginsF(kMargeMm, kMargeMm, kMargeMm, kMargeMm),
                                QPageLayout::Millimeter);
        ecrivain.setTitle(kTitre + QLatin1Char(' ') + meuble.meuble + QStringLiteral(" — ") +
                          meuble.pharmacie);
        ecrivain.setCreator(NomProgramme());
        QPainter peintre;
        if (!peintre.begin(&ecrivain))
            return echec(QStringLiteral("le PDF n'a pas pu être composé"));
        PeintCertificat(peintre,
                        QRectF(QPointF(0, 0),
                               ecrivain.pageLayout().paintRectPixels(ecrivain.resolution()).size()),
                        meuble, edition);
        if (!peintre.end())
            return echec(QStringLiteral("le PDF n'a pas pu être composé"));
    }
    const QByteArray json = JsonCertificat(meuble, edition);
    const QString cheminJson = CheminJson(cheminPdf);

    // Both opened and written before either is committed; an uncommitted
    // QSaveFile leaves nothing behind.
    QSaveFile fPdf(cheminPdf), fJson(cheminJson);
    if (!fPdf.open(QIODevice::WriteOnly))
        return echecFichier(cheminPdf, fPdf);
    if (!fJson.open(QIODevice::WriteOnly))
        return echecFichier(cheminJson, fJson);
    if (fPdf.write(pdf) != pdf.size())
        return echecFichier(cheminPdf, fPdf);
    if (fJson.write(json) != json.size())
        return echecFichier(cheminJson, fJson);
    if (!fPdf.commit())
        return echecFichier(cheminPdf, fPdf);
    if (!fJson.commit()) {
        QFile::remove(cheminPdf);
        return echecFichier(cheminJson, fJson);
    }
    return true;
}

FenetreCertificat::FenetreCertificat(const MeubleHistorique& meuble, QWidget* parent)
    : QWidget(parent, Qt::Window), meuble_(meuble), edition_(QDateTime::currentDateTime()) {
    setObjectName(QStringLiteral("CertificatMeuble"));
    setWindowTitle(kTitre);
    apercu_ = new ApercuCertificat(meuble_, edition_, this);
    BtEnregistrerCertificat = new QPushButton(QStringLiteral("Enregistrer le PDF"), this);
    BtEnregistrerCertificat->setObjectName(QStringLiteral("BtEnregistrerCertificat"));
    LblEtatCertificat = new QLabel(this);
    LblEtatCertificat->setObjectName(QStringLiteral("LblEtatCertificat"));
    LblEtatCertificat->setWordWrap(true);
    LblEtatCertificat->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* bas = new QHBoxLayout;
    bas->addWidget(LblEtatCertificat, 1);
    bas->addWidget(BtEnregistrerCertificat);
    auto* principal = new QVBoxLayout(this);
    principal->addWidget(apercu_, 1);
    principal->addLayout(bas);

    demandeFichier = [this] {
        QFileDialog dialogue(
            this, kTitre,
            QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                .filePath(NomCertificat(meuble_)),
            QStringLiteral("PDF (*.pdf)"));
        dialogue.setAcceptMode(QFileDialog::AcceptSave);
        dialogue.setDefaultSuffix(QStringLiteral("pdf"));
        if (dialogue.exec() != QDialog::Accepted || dialogue.selectedFiles().isEmpty())
            return QString();
        return dialogue.selectedFiles().constFirst();
    };
    connect(BtEnregistrerCertificat, &QPushButton::clicked, this, [this] { Enregistre(); });
}

void FenetreCertificat::Enregistre() {
    QString chemin = demandeFichier ? demandeFichier() : QString();
    if (chemin.isEmpty())
        return;
    if (!chemin.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        chemin += QStringLiteral(".pdf");
    // The page on screen is the one written.
    edition_ = QDateTime::currentDateTime();
    apercu_->update();
    QString erreur;
    if (!EcritCertificat(meuble_, edition_, chemin, &erreur)) {
        LblEtatCertificat->setText(QStringLiteral("Certificat non écrit"));
        OperateurQt(this).Boite(QStringLiteral("Le certificat n'a pas pu être écrit :\r") + erreur,
                                kTitre, Icone::Exclamation);
        return;
    }
    LblEtatCertificat->setText(QStringLiteral("Certificat écrit : ") +
                               QDir::toNativeSeparators(chemin) + QStringLiteral(" et ") +
                               QDir::toNativeSeparators(CheminJson(chemin)));
}

QWidget* AfficheCertificat(const MeubleHistorique& meuble, QWidget* parent) {
    auto* fenetre = new FenetreCertificat(meuble, parent);
    fenetre->setAttribute(Qt::WA_DeleteOnClose);
    AuPremierPlan(*fenetre);
    return fenetre;
}
