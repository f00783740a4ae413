#pragma once
// The one picture message window of the program: a line of text next to a
// small picture chosen by a key word, shown without blocking the caller,
// closed by an empty message or after an optional time.
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;
class QTimer;

class ShowMsg : public QWidget {
    Q_OBJECT
public:
    static ShowMsg& instance();

    // Shows or updates the window: text (CR line breaks allowed), auto-close
    // time in ms (0 or less leaves the timer as it was), picture key (any
    // letter case) or picture file. Empty text and empty picture close it.
    // Returns whether the window is shown.
    bool Message(const QString& texte, int dureeMs, const QString& image);
    void FermeMessage();

    // The ten stock picture keys, upper case.
    static const QStringList& clesImages();
    static QPixmap imageStock(const QString& cle); // null for an unknown key

    QString texte() const { return texte_; }          // as shown, error note included
    QString cleImage() const { return cleImage_; }    // stock key matched, upper case; else empty
    QString fichierImage() const { return fichier_; } // picture file loaded, else empty
    bool imageAffichee() const;                       // Picture1 holds a picture
    bool minuterieActive() const;
    int intervalleMinuterie() const;

    QLabel* Picture1() const { return picture1_; }
    QPushButton* Command1() const { return command1_; }
    QLabel* Label1() const { return label1_; }

    // Sizes of the resting picture box, at 96 dpi.
    static constexpr int kPictureGauche = 8; // 120 twips
    static constexpr int kPictureHaut = 8;   // 120 twips
    static constexpr int kPictureCote = 32;  // 480 twips
    static constexpr int kMargeTexte = 67;   // 1000 twips

signals:
    void ferme();

private:
    explicit ShowMsg(QWidget* parent = nullptr);
    void chargePicture(const QPixmap& image);
    void remetPicture();
    void dimensionne();

    QLabel* picture1_;
    QPushButton* command1_;
    QLabel* label1_;
    QTimer* timer1_;
    QString texte_;
    QString cleImage_;
    QString fichier_;
    bool charge_ = false;
};
