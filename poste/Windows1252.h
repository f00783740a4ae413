#pragma once
// Card names, printer bytes and trace files are Windows-1252, as the other
// stations and the cards read them.
#include <QByteArray>
#include <QString>

QByteArray VersWindows1252(const QString& texte); // unmappable characters become "?"
QString DepuisWindows1252(const QByteArray& octets);
