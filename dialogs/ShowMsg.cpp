#include "ShowMsg.h"

#include "OperateurQt.h"
#include "Poste.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace {

// A picture file may be any size; the window stays usable with a large one.
constexpr int kImageFichierMax = 128;

QPointer<ShowMsg> instance_;

void detruitInstance() {
    delete instance_.data();
}

QPixmap toile() {
    QPixmap p(ShowMsg::kPictureCote, ShowMsg::kPictureCote);
    p.fill(Qt::transparent);
    return p;
}

void stylo(QPainter& p, const QColor& c, qreal largeur = 2.0) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(c, largeur, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

// The stock pictures: small drawings, one per key.
QPixmap dessine(const QString& cle) {
    QPixmap px = toile();
    QPainter p(&px);
    if (cle == u"TIMER") { // hourglass
        stylo(p, QColor(90, 60, 20));
        p.setBrush(QColor(250, 235, 180));
        p.drawLine(7, 3, 25, 3);
        p.drawLine(7, 29, 25, 29);
        QPolygonF verre{{9, 4}, {23, 4}, {16, 16}, {23, 28}, {9, 28}, {16, 16}};
        p.drawPolygon(verre);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(220, 170, 40));
        p.drawPolygon(QPolygonF{{12, 9}, {20, 9}, {16, 15}});
        p.drawPolygon(QPolygonF{{16, 21}, {21, 27}, {11, 27}});
    } else if (cle == u"RECHERCHE") { // magnifying glass
        stylo(p, QColor(40, 40, 40), 3);
        p.setBrush(QColor(190, 225, 250));
        p.drawEllipse(QPointF(13, 13), 8.5, 8.5);
        stylo(p, QColor(120, 70, 30), 5);
        p.drawLine(QPointF(19.5, 19.5), QPointF(28, 28));
    } else if (cle == u"INTERDIT") { // no-entry sign
        stylo(p, QColor(200, 0, 0), 1);
        p.setBrush(QColor(210, 20, 20));
        p.drawEllipse(QPointF(16, 16), 14, 14);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 13, 20, 6));
    } else if (cle == u"ABC") {
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(13);
        p.setFont(f);
        stylo(p, QColor(0, 0, 160), 1);
        p.setBrush(QColor(255, 255, 220));
        p.drawRect(QRectF(1.5, 6.5, 29, 19));
        p.drawText(QRect(0, 6, 32, 20), Qt::AlignCenter, QStringLiteral("ABC"));
    } else if (cle == u"NEIGE") { // snowflake
        stylo(p, QColor(40, 120, 220), 2);
        p.translate(16, 16);
        for (int i = 0; i < 6; ++i) {
            p.drawLine(QPointF(0, 0), QPointF(0, -13));
            p.drawLine(QPointF(0, -8), QPointF(-4, -12));
            p.drawLine(QPointF(0, -8), QPointF(4, -12));
            p.rotate(60);
        }
    } else if (cle == u"INIT") { // circular arrow
        stylo(p, QColor(0, 130, 0), 3.5);
        p.drawArc(QRectF(5, 5, 22, 22), 100 * 16, 300 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 130, 0));
        p.drawPolygon(QPolygonF{{12, 0}, {20, 5}, {12, 10}});
    } else if (cle == u"CI") { // integrated circuit
        stylo(p, QColor(150, 150, 150), 2);
        for (int y = 8; y <= 24; y += 4) {
            p.drawLine(3, y, 8, y);
            p.drawLine(24, y, 29, y);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 30, 30));
        p.drawRoundedRect(QRectF(8, 4, 16, 24), 2, 2);
        p.setBrush(QColor(200, 200, 200));
        p.drawEllipse(QPointF(12, 8), 1.5, 1.5);
    } else if (cle == u"CAMCORD") { // camcorder
        stylo(p, QColor(20, 20, 20), 1.5);
        p.setBrush(QColor(70, 70, 80));
        p.drawRoundedRect(QRectF(3, 10, 18, 14), 2, 2);
        p.drawPolygon(QPolygonF{{21, 14}, {29, 9}, {29, 25}, {21, 20}});
        p.setBrush(QColor(120, 180, 240));
        p.drawEllipse(QPointF(9, 17), 3.5, 3.5);
        p.setBrush(QColor(230, 30, 30));
        p.drawEllipse(QPointF(17, 13), 1.5, 1.5);
    } else if (cle == u"THERLFT") { // thermometer
        stylo(p, QColor(60, 60, 60), 1.5);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(12.5, 2.5, 7, 22), 3.5, 3.5);
        p.setBrush(QColor(220, 20, 20));
        p.drawEllipse(QPointF(16, 25), 5.5, 5.5);
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(14.5, 10, 3, 13));
        stylo(p, QColor(60, 60, 60), 1);
        for (int y = 6; y <= 18; y += 4)
            p.drawLine(20, y, 23, y);
    } else if (cle == u"MOON") { // crescent moon
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath disque;
        disque.addEllipse(QPointF(15, 16), 12, 12);
        QPainterPath ombre;
        ombre.addEllipse(QPointF(21, 12), 10, 10);
        p.setPen(QPen(QColor(150, 120, 0), 1));
        p.setBrush(QColor(250, 210, 40));
        p.drawPath(disque.subtracted(ombre));
    } else {
        p.end();
        return {};
    }
    p.end();
    return px;
}

QString ligneErreurImage(const QString& fichier) {
    // The station's error numbers for pictures: 53 no such file, 481 not a picture.
    const QFileInfo info(fichier);
    if (!info.exists() || !info.isFile())
        return QStringLiteral("ShowMessage ERREUR n°53 Fichier introuvable");
    return QStringLiteral("ShowMessage ERREUR n°481 Image incorrecte");
}

} // namespace

ShowMsg& ShowMsg::instance() {
    if (!instance_) {
        instance_ = new ShowMsg;
        // Deleted while the application still exists, before its widgets go.
        qAddPostRoutine(detruitInstance);
    }
    return *instance_;
}

const QStringList& ShowMsg::clesImages() {
    static const QStringList cles{QStringLiteral("TIMER"),    QStringLiteral("RECHERCHE"),
                                  QStringLiteral("INTERDIT"), QStringLiteral("ABC"),
                                  QStringLiteral("NEIGE"),    QStringLiteral("INIT"),
                                  QStringLiteral("CI"),       QStringLiteral("CAMCORD"),
                                  QStringLiteral("THERLFT"),  QStringLiteral("MOON")};
    return cles;
}

QPixmap ShowMsg::imageStock(const QString& cle) {
    static QHash<QString, QPixmap> cache;
    const QString k = cle.toUpper();
    if (!clesImages().contains(k))
        return {};
    auto it = cache.find(k);
    if (it == cache.end())
        it = cache.insert(k, dessine(k));
    return *it;
}

ShowMsg::ShowMsg(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("ShowMsg"));
    setWindowTitle(NomProgramme());
    setAccessibleName(QStringLiteral("Message"));
    // The operator keeps typing (or scanning) in the window he works in.
    setAttribute(Qt::WA_ShowWithoutActivating);

    label1_ = new QLabel(this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setTextFormat(Qt::PlainText);
    label1_->hide(); // only measures the text

    command1_ = new QPushButton(this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setAccessibleName(QStringLiteral("Texte du message"));
    command1_->setFocusPolicy(Qt::NoFocus);

    picture1_ = new QLabel(this);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    picture1_->setAccessibleName(QStringLiteral("Image du message"));
    picture1_->setAttribute(Qt::WA_TransparentForMouseEvents);
    picture1_->raise();

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setSingleShot(true);
    connect(timer1_, &QTimer::timeout, this, &ShowMsg::FermeMessage);

    remetPicture();
}

bool ShowMsg::imageAffichee() const {
    return !picture1_->pixmap().isNull();
}

bool ShowMsg::minuterieActive() const {
    return timer1_->isActive();
}

int ShowMsg::intervalleMinuterie() const {
    return timer1_->interval();
}

void ShowMsg::remetPicture() {
    picture1_->clear();
    picture1_->setGeometry(kPictureGauche, kPictureHaut, kPictureCote, kPictureCote);
}

void ShowMsg::chargePicture(const QPixmap& image) {
    QPixmap px = image;
    if (px.width() > kImageFichierMax || px.height() > kImageFichierMax)
        px = px.scaled(kImageFichierMax, kImageFichierMax, Qt::KeepAspectRatio,
                       Qt::SmoothTransformation);
    picture1_->setPixmap(px);
    picture1_->setGeometry(kPictureGauche, kPictureHaut, px.width(), px.height());
}

bool ShowMsg::Message(const QString& texte, int dureeMs, const QString& image) {
    if (!charge_) {
        charge_ = true;
        timer1_->stop();
    }
    texte_ = texte;
    if (dureeMs > 0)
        timer1_->start(dureeMs); // never stopped here: an earlier duration still runs

    if (!image.isEmpty()) {
        const QString cle = image.toUpper();
        cleImage_.clear();
        fichier_.clear();
        if (clesImages().contains(cle)) {
            cleImage_ = cle;
            chargePicture(imageStock(cle));
        } else {
            QImageReader lecteur(image);
            const QImage lue = lecteur.read();
            if (lue.isNull()) {
                remetPicture();
                texte_ += QLatin1Char('\r') + ligneErreurImage(image);
            } else {
                fichier_ = image;
                chargePicture(QPixmap::fromImage(lue));
            }
        }
    } else {
        cleImage_.clear();
        fichier_.clear();
        remetPicture();
    }

    if (texte.isEmpty() && image.isEmpty()) {
        FermeMessage();
        return false;
    }

    const QString affiche = TexteAffichable(texte_);
    label1_->setText(affiche);
    command1_->setText(affiche);
    dimensionne();
    const bool premier = !isVisible();
    if (premier) {
        if (const QScreen* ecran = QGuiApplication::primaryScreen())
            move(ecran->availableGeometry().center() - rect().center());
    }
    show(); // kept above the other windows by its stays-on-top flag
    repaint();
    return true;
}

void ShowMsg::dimensionne() {
    label1_->adjustSize();
    const QRect pic = picture1_->geometry();
    const int largeur = label1_->width() + pic.width() + kMargeTexte + pic.left();
    int hauteur = 2 * pic.top() + pic.height();
    // A text of several lines must not be cut by the one-line height.
    hauteur = std::max(hauteur, label1_->height() + 2 * pic.top());
    command1_->setGeometry(0, 0, largeur, hauteur);
    setFixedSize(largeur, hauteur);
}

void ShowMsg::FermeMessage() {
    repaint();
    hide();
    timer1_->stop();
    // Unloaded: the next message starts from a fresh window.
    charge_ = false;
    texte_.clear();
    cleImage_.clear();
    fichier_.clear();
    label1_->clear();
    command1_->setText(QString());
    remetPicture();
    emit ferme();
}
