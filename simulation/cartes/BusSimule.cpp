#include "BusSimule.h"

#include "TrameCarte.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace {

double Maintenant() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// One character at 9600 baud, 10 bits on the line.
constexpr double kDureeCaractereMs = 10.0 * 1000.0 / 9600.0;

// Cards talking at once: the line is wired-AND (a 0 bit wins), and the
// longest talker sets the length.
QByteArray Collision(const QList<QByteArray>& trames) {
    QByteArray r;
    for (const QByteArray& t : trames) {
        if (r.size() < t.size())
            r.append(QByteArray(t.size() - r.size(), '\xff'));
        for (qsizetype i = 0; i < t.size(); ++i)
            r[i] = static_cast<char>(r.at(i) & t.at(i));
    }
    return r;
}

} // namespace

BusSimule::BusSimule() = default;

BusSimule::~BusSimule() {
    stop();
}

bool BusSimule::start(const QString& lien, QString* erreur) {
    if (fil_.joinable())
        return true;
    auto echec = [&](const QString& quoi) {
        if (erreur)
            *erreur = quoi + QStringLiteral(": ") + QString::fromLocal8Bit(strerror(errno));
        if (maitre_ >= 0)
            ::close(maitre_);
        maitre_ = -1;
        return false;
    };
    maitre_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (maitre_ < 0)
        return echec(QStringLiteral("posix_openpt"));
    // A program started meanwhile (a station under test) must not inherit
    // the line's other end: it would pass for the line.
    ::fcntl(maitre_, F_SETFD, FD_CLOEXEC);
    if (grantpt(maitre_) != 0 || unlockpt(maitre_) != 0)
        return echec(QStringLiteral("grantpt/unlockpt"));
    const char* nom = ptsname(maitre_);
    if (!nom)
        return echec(QStringLiteral("ptsname"));
    esclave_ = QString::fromLocal8Bit(nom);

    // Raw line, and the master put in its "slave closed" state, so that the
    // station opening the slave is seen as the hang-up going away.
    const int esclave = ::open(nom, O_RDWR | O_NOCTTY);
    if (esclave < 0)
        return echec(QStringLiteral("open ") + esclave_);
    termios t{};
    if (tcgetattr(esclave, &t) == 0) {
        cfmakeraw(&t);
        cfsetispeed(&t, B9600);
        cfsetospeed(&t, B9600);
        tcsetattr(esclave, TCSANOW, &t);
    }
    ::close(esclave);

    QString nomLien = lien;
    if (nomLien.isEmpty()) {
        if (!dossierLien_)
            dossierLien_ = std::make_unique<QTemporaryDir>();
        if (!dossierLien_->isValid())
            return echec(QStringLiteral("dossier du lien"));
        nomLien = dossierLien_->filePath(QStringLiteral("carte"));
    }
    QDir().mkpath(QFileInfo(nomLien).absolutePath());
    QFile::remove(nomLien);
    if (!QFile::link(esclave_, nomLien)) {
        errno = EEXIST;
        return echec(QStringLiteral("lien ") + nomLien);
    }
    lien_ = nomLien;
    if (pipe2(reveil_, O_CLOEXEC) != 0)
        return echec(QStringLiteral("pipe"));
    fcntl(reveil_[0], F_SETFL, O_NONBLOCK);
    fcntl(reveil_[1], F_SETFL, O_NONBLOCK);
    arret_ = false;
    fil_ = std::thread([this] { boucle(); });
    return true;
}

void BusSimule::stop() {
    if (!fil_.joinable())
        return;
    {
        std::lock_guard<std::mutex> l(verrou_);
        arret_ = true;
    }
    const char c = 0;
    (void)!::write(reveil_[1], &c, 1);
    fil_.join();
    ::close(reveil_[0]);
    ::close(reveil_[1]);
    reveil_[0] = reveil_[1] = -1;
    if (maitre_ >= 0)
        ::close(maitre_);
    maitre_ = -1;
    if (!lien_.isEmpty())
        QFile::remove(lien_);
    lien_.clear();
}

QString BusSimule::cheminPeripherique() const {
    return lien_.isEmpty() ? esclave_ : lien_;
}

void BusSimule::ajouteCarte(const CarteSimulee& carte) {
    std::lock_guard<std::mutex> l(verrou_);
    cartes_.push_back(carte);
}

void BusSimule::modifieCartes(const std::function<void(std::vector<CarteSimulee>&)>& action) {
    std::lock_guard<std::mutex> l(verrou_);
    action(cartes_);
}

std::vector<CarteSimulee> BusSimule::cartes() const {
    std::lock_guard<std::mutex> l(verrou_);
    return cartes_;
}

CarteSimulee BusSimule::carte(int indice) const {
    std::lock_guard<std::mutex> l(verrou_);
    return cartes_.at(static_cast<size_t>(indice));
}

void BusSimule::setCadence9600(bool oui) {
    std::lock_guard<std::mutex> l(verrou_);
    cadence_ = oui;
}

void BusSimule::setIntervalleAppelMs(int ms) {
    std::lock_guard<std::mutex> l(verrou_);
    intervalleAppelMs_ = ms;
}

void BusSimule::rattrape() const {
    // What the station did before this call (closing the port above all)
    // must be in the journal: ask the bus for one pass whose poll starts
    // after this request, and wait for it.
    std::unique_lock<std::mutex> l(verrou_);
    if (!fil_.joinable() || arret_ || reveil_[1] < 0)
        return;
    const quint64 cible = ++demandes_;
    const char c = 'r';
    (void)!::write(reveil_[1], &c, 1);
    change_.wait_for(l, std::chrono::seconds(2), [&] { return servies_ >= cible || arret_; });
}

QList<EvenementBus> BusSimule::journal() const {
    rattrape();
    std::lock_guard<std::mutex> l(verrou_);
    return journal_;
}

QList<QByteArray> BusSimule::commandes() const {
    rattrape();
    std::lock_guard<std::mutex> l(verrou_);
    QList<QByteArray> r;
    for (const auto& e : journal_)
        if (e.genre == EvenementBus::Genre::Trame)
            r << e.commande;
    return r;
}

QList<QByteArray> BusSimule::deroulement() const {
    rattrape();
    std::lock_guard<std::mutex> l(verrou_);
    QList<QByteArray> r;
    for (const auto& e : journal_) {
        switch (e.genre) {
        case EvenementBus::Genre::Ouverture:
            r << QByteArrayLiteral("ouverture");
            break;
        case EvenementBus::Genre::Fermeture:
            r << QByteArrayLiteral("fermeture");
            break;
        case EvenementBus::Genre::Trame:
            r << e.commande;
            break;
        }
    }
    return r;
}

void BusSimule::videJournal() {
    std::lock_guard<std::mutex> l(verrou_);
    journal_.clear();
}

bool BusSimule::attendCommandes(int nombre, int timeoutMs) const {
    std::unique_lock<std::mutex> l(verrou_);
    return change_.wait_for(l, std::chrono::milliseconds(timeoutMs), [&] {
        return std::count_if(journal_.begin(), journal_.end(), [](const EvenementBus& e) {
                   return e.genre == EvenementBus::Genre::Trame;
               }) >= nombre;
    });
}

bool BusSimule::portOuvert() const {
    rattrape();
    std::lock_guard<std::mutex> l(verrou_);
    return ouvert_;
}

void BusSimule::injecte(const QByteArray& octets) {
    if (maitre_ >= 0)
        (void)!::write(maitre_, octets.constData(), static_cast<size_t>(octets.size()));
}

void BusSimule::raccrochePour(const QByteArray& debut) {
    std::lock_guard<std::mutex> l(verrou_);
    raccrochePour_ = debut;
}

void BusSimule::setJournalEcritures(const QString& chemin) {
    std::lock_guard<std::mutex> l(verrou_);
    journalEcritures_ = chemin;
}

void BusSimule::noteEcriture(const QByteArray& ligne) {
    if (journalEcritures_.isEmpty())
        return;
    QFile f(journalEcritures_);
    if (f.open(QIODevice::WriteOnly | QIODevice::Append))
        f.write(ligne + '\n');
}

void BusSimule::journalise(EvenementBus e) {
    e.instantMs = Maintenant();
    if (e.genre == EvenementBus::Genre::Ouverture)
        ouvert_ = true;
    else if (e.genre == EvenementBus::Genre::Fermeture)
        ouvert_ = false;
    journal_ << e;
    change_.notify_all();
}

void BusSimule::planifie(double instant, const QByteArray& octets) {
    if (octets.isEmpty())
        return;
    if (cadence_) {
        for (qsizetype i = 0; i < octets.size(); ++i)
            sorties_.push_back(
                {instant + static_cast<double>(i + 1) * kDureeCaractereMs, octets.mid(i, 1)});
    } else {
        sorties_.push_back({instant, octets});
    }
    std::stable_sort(sorties_.begin(), sorties_.end(),
                     [](const Sortie& a, const Sortie& b) { return a.instant < b.instant; });
}

void BusSimule::envoieDu(double maintenant) {
    auto it = sorties_.begin();
    while (it != sorties_.end() && it->instant <= maintenant) {
        (void)!::write(maitre_, it->octets.constData(), static_cast<size_t>(it->octets.size()));
        ++it;
    }
    sorties_.erase(sorties_.begin(), it);
}

void BusSimule::traiteOctets(const QByteArray& octets) {
    for (const char c : octets) {
        if (c == '\x1b') {
            // A new frame start drops an unfinished one, as a card's receiver does.
            enCours_ = QByteArray(1, c);
            continue;
        }
        if (enCours_.isEmpty())
            continue; // noise outside a frame
        enCours_.append(c);
        if (c == '\r') {
            const QByteArray brut = enCours_;
            enCours_.clear();
            traiteTrame(brut);
        }
    }
}

void BusSimule::traiteTrame(const QByteArray& brut) {
    EvenementBus e;
    e.genre = EvenementBus::Genre::Trame;
    e.brut = brut;
    e.commande = LitTrameCommande(brut, e.checkSumOk);
    std::lock_guard<std::mutex> l(verrou_);
    journalise(e);
    if (!e.checkSumOk || e.commande.isEmpty())
        return;
    if (!raccrochePour_.isEmpty() && e.commande.startsWith(raccrochePour_)) {
        raccroche_ = true;
        return;
    }

    const QByteArray& cde = e.commande;
    const double maintenant = Maintenant();

    // Roll call of a cabinet: each card answers in its own time slot, so
    // that card n is heard n slots after the command.
    if (cde.size() == 2 && cde.at(0) == '?') {
        for (CarteSimulee& c : cartes_) {
            if (c.nom.isEmpty() || c.nom.at(0) != cde.at(1))
                continue;
            const double instant = maintenant + c.delaiReponseMs +
                                   static_cast<double>(c.numero()) * intervalleAppelMs_;
            for (const QByteArray& r : c.repond(cde)) {
                planifie(instant, c.trame(r));
                journal_.last().reponse += c.trame(r);
                if (c.reponseDoublee) {
                    planifie(instant, c.trame(r));
                    journal_.last().reponse += c.trame(r);
                }
            }
        }
        return;
    }

    // Addressed by name, by "##" (whoever is there), or by SN ("vNs", "yNs").
    const bool parSN = (cde.size() == 7 && cde.at(0) == 'v' && cde.mid(1, 2) == "Ns") ||
                       (cde.size() == 9 && cde.at(0) == 'y' && cde.mid(1, 2) == "Ns");
    const QByteArray snVise = cde.right(4);
    const QByteArray adresse = cde.mid(1, 2);
    QList<QByteArray> parCarte; // what each answering card puts on the line
    int delai = 0;
    for (CarteSimulee& c : cartes_) {
        bool visee = false;
        if (parSN)
            visee = snVise == c.sn;
        else
            visee = adresse == QByteArrayLiteral("##") || adresse == QByteArrayLiteral("**") ||
                    adresse == c.nom;
        if (!visee)
            continue;
        const QByteArray nomAvant = c.nom;
        QByteArray octets;
        if (c.octetsImposes.contains(cde) && !c.muette) {
            c.derniereCommande = cde;
            octets = c.octetsImposes.value(cde);
        } else
            for (const QByteArray& r : c.repond(cde)) {
                octets += c.trame(r, cde);
                if (c.reponseDoublee)
                    octets += c.trame(r, cde);
            }
        if (!octets.isEmpty() && cde.size() == 9 && cde.at(0) == 'Y' && c.sn == cde.right(4))
            noteEcriture(nomAvant + ' ' + c.sn + ' ' + c.nom);
        if (octets.isEmpty())
            continue;
        if (parCarte.isEmpty())
            delai = c.delaiReponse(cde);
        parCarte << octets;
    }
    if (parCarte.isEmpty())
        return;
    // Several cards answering at once garble the line.
    journal_.last().reponse = parCarte.size() == 1 ? parCarte.first() : Collision(parCarte);
    planifie(maintenant + delai, journal_.last().reponse);
}

void BusSimule::boucle() {
    bool raccroche = true; // the slave side is closed (see start)
    for (;;) {
        int attente = -1;
        quint64 demandesAvantPoll = 0;
        {
            std::lock_guard<std::mutex> l(verrou_);
            if (arret_)
                return;
            demandesAvantPoll = demandes_;
            if (!sorties_.empty())
                attente = std::max(
                    0, static_cast<int>(std::ceil(sorties_.front().instant - Maintenant())));
        }
        // While nobody holds the slave, the master reports a hang-up at every
        // poll: look again every 2 ms instead of spinning on it.
        if (raccroche)
            attente = attente < 0 ? 2 : std::min(attente, 2);
        if (demandesAvantPoll > servies_)
            attente = 0; // someone waits for this pass: look, do not sleep
        pollfd fds[2] = {{reveil_[0], POLLIN, 0}, {maitre_, POLLIN, 0}};
        const int n = ::poll(fds, raccroche ? 1 : 2, attente);
        if (n < 0 && errno != EINTR)
            return;
        if (fds[0].revents & POLLIN) {
            char poubelle[64];
            while (::read(reveil_[0], poubelle, sizeof poubelle) > 0) {
            }
        }
        if (raccroche) {
            fds[1].revents = 0;
            ::poll(&fds[1], 1, 0);
        }
        const short ev = fds[1].revents;
        QByteArray recu;
        if (ev & POLLIN) {
            char tampon[512];
            for (;;) {
                const ssize_t lu = ::read(maitre_, tampon, sizeof tampon);
                if (lu <= 0)
                    break;
                recu.append(tampon, lu);
            }
        }
        const bool hup = (ev & POLLHUP) != 0;
        {
            std::lock_guard<std::mutex> l(verrou_);
            if (!ouvert_ && (!hup || !recu.isEmpty()))
                journalise({EvenementBus::Genre::Ouverture, {}, {}, true, 0});
        }
        if (!recu.isEmpty())
            traiteOctets(recu);
        {
            std::lock_guard<std::mutex> l(verrou_);
            if (raccroche_) {
                raccroche_ = false;
                arret_ = true; // nothing more to wait for until start()
                ::close(maitre_);
                maitre_ = -1;
                if (!lien_.isEmpty())
                    QFile::remove(lien_);
                journalise({EvenementBus::Genre::Fermeture, {}, {}, true, 0});
                sorties_.clear();
                enCours_.clear();
                servies_ = std::max(servies_, demandesAvantPoll);
                change_.notify_all();
                return;
            }
        }
        if (hup) {
            std::lock_guard<std::mutex> l(verrou_);
            if (ouvert_)
                journalise({EvenementBus::Genre::Fermeture, {}, {}, true, 0});
            sorties_.clear(); // a closed port hears nothing
            enCours_.clear();
        } else {
            std::lock_guard<std::mutex> l(verrou_);
            envoieDu(Maintenant());
        }
        raccroche = hup;
        {
            std::lock_guard<std::mutex> l(verrou_);
            servies_ = std::max(servies_, demandesAvantPoll);
            change_.notify_all();
        }
    }
}
