// The EPL2 interpreter of the virtual printer fed any bytes, in pieces as a
// socket or a serial line hands them over, and the same bytes drawn by the
// renderer as one job.
#include "Fuzz.h"
#include "InterpreteurEPL2.h"

#include <QGuiApplication>

// The renderer draws text: it needs the application's fonts, without a display.
// The application lives as long as the process, so that the font caches it
// holds are not taken for leaks at exit.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(*argc, *argv);
    return 0;
}

// Fontconfig keeps the patterns of every font Qt asked for until FcFini, which
// Qt never calls: not a leak of the renderer.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    if (taille < 1)
        return 0;
    const qsizetype morceau = 1 + donnees[0];
    const QByteArray octets = Octets(donnees + 1, taille - 1);

    InterpreteurEPL2 interpreteur;
    qsizetype imprimees = 0;
    for (qsizetype i = 0; i < octets.size(); i += morceau) {
        const QList<EtiquetteEPL2> lot = interpreteur.ajoute(octets.mid(i, morceau));
        for (const EtiquetteEPL2& e : lot) {
            VERIFIE(e.largeur >= 8 && e.largeur <= 832);
            VERIFIE(e.hauteur >= 8 && e.hauteur <= 2000);
            for (const ChampTexteEPL2& t : e.textes)
                VERIFIE(t.multH >= 1 && t.multH <= 9 && t.multV >= 1 && t.multV <= 9);
        }
        imprimees += lot.size();
    }
    // The same bytes in one piece print the same labels.
    InterpreteurEPL2 entier;
    VERIFIE(entier.ajoute(octets).size() == imprimees);

    // One picture per print command, however many copies it asks for.
    QStringList inconnues;
    const QList<QImage> images = RendTravailEPL2(octets, &inconnues);
    VERIFIE(images.size() <= imprimees && (images.isEmpty() == (imprimees == 0)));
    for (const QImage& image : images)
        VERIFIE(!image.isNull() && image.width() <= 832 && image.height() <= 2000);
    VERIFIE(inconnues.size() <= octets.count('\n'));

    const QStringList champs = ParametresEPL2(DepuisCP1252(octets));
    VERIFIE(!champs.isEmpty());
    return 0;
}
