#pragma once
// The cabinet certificate a pharmacy's customer receives: the pharmacy, the
// cabinet, each tray with its card, the card's firmware, its last single tray
// test and SN assignment, the marks of a card never passed on its own, and
// the assignment's date and operator. One painting for the preview on screen
// and the PDF; a JSON file beside the PDF carries the same content for the
// customer's systems.
#include "HistoriqueJournal.h"

#include <QByteArray>
#include <QDateTime>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <functional>

class QLabel;
class QPainter;
class QPushButton;

// Paints the certificate on `page` (device units of the painter), edited at
// `edition`. The same routine for the screen and for the PDF.
void PeintCertificat(QPainter& peintre, const QRectF& page, const MeubleHistorique& meuble,
                     const QDateTime& edition);

// The same content as JSON (UTF-8, indented).
QByteArray JsonCertificat(const MeubleHistorique& meuble, const QDateTime& edition);

// A file name to propose: "certificat-<pharmacie>-<meuble>.pdf", with the
// characters a file system refuses replaced.
QString NomCertificat(const MeubleHistorique& meuble);

// Writes the PDF at `cheminPdf` and the JSON beside it (same name, ".json"),
// each through QSaveFile: both written, or the reason in `erreur` and no
// half-written file left.
bool EcritCertificat(const MeubleHistorique& meuble, const QDateTime& edition,
                     const QString& cheminPdf, QString* erreur);

// "Certificat du meuble": the preview window of the certificate, with a
// button that writes it where the operator chooses and tells where.
QWidget* AfficheCertificat(const MeubleHistorique& meuble, QWidget* parent);

// The window AfficheCertificat opens; its parts are public for the tests.
class FenetreCertificat : public QWidget {
    Q_OBJECT
public:
    explicit FenetreCertificat(const MeubleHistorique& meuble, QWidget* parent = nullptr);

    // Writes the certificate where demandeFichier says (nothing when it gives
    // no name), edited now; the label tells where, a box tells why not.
    void Enregistre();
    // The PDF's name; a save dialog unless replaced (tests).
    std::function<QString()> demandeFichier;

    QPushButton* BtEnregistrerCertificat;
    QLabel* LblEtatCertificat;

private:
    MeubleHistorique meuble_;
    QDateTime edition_;
    QWidget* apercu_;
};
