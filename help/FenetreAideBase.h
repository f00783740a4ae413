#pragma once
// What the four help windows share: one label `inf` holding the text, one
// button that closes (and unloads) the window, maybe a picture beside it.
// Each window is a top-level window of its own that never blocks the main one.
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QWidget>

class FenetreAideBase : public QWidget {
    Q_OBJECT
public:
    QLabel* inf() const { return inf_; }
    QLabel* image() const { return image_; } // nullptr when the window has none

protected:
    // `texteFixe` is the label's own caption, translated with the other
    // controls; windows that build their text from the message table pass
    // none and call MetTexte once translated.
    FenetreAideBase(const QString& nom, const QString& titre, const QString& nomBouton,
                    const QString& legendeBouton, const QString& texteFixe, bool avecImage,
                    QWidget* parent);
    void MetTexte(const QString& texte);
    void Traduit();

private:
    QLabel* inf_;
    QPushButton* fermer_;
    QLabel* image_ = nullptr;
    QScrollArea* defilement_;
};
