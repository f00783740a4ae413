#pragma once
// What the cabinet procedures see of their window: the pharmacy fields, the
// tray list, the state label and the progress bar. The window implements it;
// the procedures never touch its widgets.
#include <QString>
#include <QStringList>

class VueMeuble {
public:
    virtual ~VueMeuble();

    virtual QString NomPharma() const = 0;
    virtual QString AdrPharma() const = 0;
    virtual void FocusNomPharma() = 0;

    // The tray list `ListSN`.
    virtual QStringList lignes() const = 0;
    virtual void videListe() = 0;
    virtual void ajouteLigne(const QString& ligne) = 0;
    virtual void changeLigne(int indice, const QString& ligne) = 0;
    virtual void selectionne(int indice) = 0;
    virtual int selection() const = 0; // -1 when no line is selected
    virtual void montreListe(int hauteurTwips) = 0;

    // `LblEtat`.
    virtual void Etat(const QString& texte) = 0;

    // `ProgressBar1`: from 0 to `maximum`, at 0, shown.
    virtual void DebutProgression(int maximum) = 0;
    virtual void Progression(int valeur) = 0;
    virtual void CacheProgression() = 0;

    int nombreLignes() const { return static_cast<int>(lignes().size()); }
};
