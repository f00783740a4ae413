#pragma once
// The two documents of an assigned cabinet: the record appended to
// "AttribMeuble.txt" and the printed cabinet sheet. Both read every card again
// under its tray address and lay the cards out in the same table.
#include "Meuble.h"
#include "Poste.h"
#include "VueMeuble.h"

#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;

// End of an assignment: appends the cabinet to "AttribMeuble.txt".
void MemoriseAttribution(Poste& poste, const Meuble& meuble, VueMeuble& vue);

// BtEditFeuilleMeuble: the sheet on the system's default printer, or as a PDF
// in the trace folder when there is none, when printing fails, or when
// `versPdf` asks for it. Run through the job guard: it holds the card port.
void EditeFeuilleMeuble(Poste& poste, const Meuble& meuble, VueMeuble& vue, bool versPdf);

// One printed line of the sheet and its font.
struct LigneFeuille {
    QString texte;
    double taille; // points
    bool gras;
};
// What heads the record and the sheet.
struct EnTeteMeuble {
    QString nomPharma, adrPharma, nomMeuble;
    int nombrePlateaux = 0, premier = 0, dernier = 0;
    QString date, heure, operateur;
};
QStringList LignesEnregistrement(const EnTeteMeuble& entete, const QList<RangeeCarte>& rangees);
QList<LigneFeuille> LignesFeuille(const EnTeteMeuble& entete, const QList<RangeeCarte>& rangees);

// "Lucida Console", or the platform's fixed-width font where it is absent.
QString PoliceFeuille();

// The one routine that draws the sheet, for the printer and the PDF alike:
// the lines top down from the top-left of `page`, the whole scaled down when
// it would not fit one page.
void PeintFeuille(QPainter& peintre, const QRectF& page, const QList<LigneFeuille>& lignes);
