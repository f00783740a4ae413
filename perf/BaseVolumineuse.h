#pragma once
// A translation base of the size a long-lived installation reaches: every
// message translated, and the rest records of windows of other stations.
#include <QString>

// Writes a new base of `nombre` records at `chemin` (replacing any file);
// false with the store's reason.
bool CreeBaseVolumineuse(const QString& chemin, int nombre, QString* erreur);
