#pragma once
// What a station context was asked to show, in order: its status texts and
// its picture messages. The station itself keeps no history; a test watches it.
#include "Poste.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

struct MessageAffiche {
    QString texte;
    int dureeMs;
    QString image;
};

class HistoriquePoste {
public:
    // A benchmark runs for long: the recent past only.
    static constexpr int kHistoriqueMax = 20000;

    explicit HistoriquePoste(Poste& poste) {
        info_ = QObject::connect(&poste, &Poste::infoAffichee, [this](const QString& texte) {
            if (historiqueInfo.size() >= kHistoriqueMax)
                historiqueInfo.remove(0, kHistoriqueMax / 2);
            historiqueInfo << texte;
        });
        messages_ = QObject::connect(
            &poste, &Poste::messageAffiche,
            [this](const QString& texte, int dureeMs, const QString& image) {
                if (historiqueMessages.size() >= static_cast<size_t>(kHistoriqueMax))
                    historiqueMessages.erase(historiqueMessages.begin(),
                                             historiqueMessages.begin() + kHistoriqueMax / 2);
                historiqueMessages.push_back({texte, dureeMs, image});
            });
    }
    ~HistoriquePoste() {
        QObject::disconnect(info_);
        QObject::disconnect(messages_);
    }
    HistoriquePoste(const HistoriquePoste&) = delete;
    HistoriquePoste& operator=(const HistoriquePoste&) = delete;

    QStringList historiqueInfo;                     // the texts shown, in order
    std::vector<MessageAffiche> historiqueMessages; // the calls, in order

private:
    QMetaObject::Connection info_;
    QMetaObject::Connection messages_;
};
