#pragma once
// The message base tool: brings the message records of the translation
// database in line with the list file "ListeMessagesCalvanet.txt" kept beside
// it, and writes that list from the built-in message table.
#include "ModuleTraductions.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

inline const QString kListeMessages = QStringLiteral("ListeMessagesCalvanet.txt");

// One line of the list: "|msg" + 5 digits + 2 spaces + "|" + the name on 30
// characters + "|" + the French text + "|".
struct LigneListeMessages {
    int numero;
    QString nom;
    QString texte;
};

struct ListeMessages {
    QList<LigneListeMessages> messages;
    QStringList ignorees; // message lines skipped: number out of 1..200 or no closing "|"
};

// Reads the lines of the list; lines that do not begin with "|msg" are not
// messages (a title, a date) and are passed over without a word.
ListeMessages LitListeMessages(const QStringList& lignes);

// The list file's lines for these messages, after a title line.
QStringList LignesListeMessages(const QList<MessageDefaut>& messages, const QString& titre);

// What a run of the tool did.
struct BilanBaseMessages {
    int listes = 0;
    int modifies = 0;
    int crees = 0;
    int supprimes = 0;
    int renommes = 0; // records of a converted base taken by their number
    int ignorees = 0;
};

// Creates the records of new messages, updates the French default of
// reworded ones (tDate), deletes those no longer listed, then shows the
// counts. A message whose name no record bears takes the record of its number
// (renamed, translation kept) when that record's name is not listed. Does
// nothing without a translation database.
void CreeBaseMessages();
// The text of the counts box.
QString TexteBilanBaseMessages(const BilanBaseMessages& bilan);

// The menu entry "Creation Base de messages": defaults, the tool, then the
// translated messages again.
void mnuCreationBaseMessages_Click();
