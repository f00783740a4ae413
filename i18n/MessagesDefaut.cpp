#include "i18n/ModuleTraductions.h"

std::array<QString, kNombreMessages + 1> Msg;

void ChargeMessagesDefaut() {
    for (auto& m : Msg)
        m.clear();
    Msg[1] = QStringLiteral("Votre carte N'EST PAS CONNECTE");
}
