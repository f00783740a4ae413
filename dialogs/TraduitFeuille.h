#pragma once
// Every window translates its own controls when it loads: each control is
// looked up in the translation database under (window name, type name,
// control name); a translation found replaces its caption, text or tooltip,
// a control not found yet is recorded there with its French texts so that
// translators get the complete list. The window's own title stays as it is.
//
// A new window calls, once its controls exist (at the end of its
// constructor):   TraduitFeuille(this, QStringLiteral("NomDeLaFenetre"));
// Its controls are found by objectName; Qt's widget kinds are recorded under
// the type names of the older station (TypeControle), so existing records
// still match.
#include <QString>

class QObject;
class QWidget;

// Translates the controls of `fenetre` under the name `nom` (its objectName
// when empty). Does nothing when no translation database is in use.
void TraduitFeuille(QWidget* fenetre, const QString& nom);

// Translates every loaded window named `nom`, or every loaded window when
// `nom` is empty.
void TraduitFeuille(const QString& nom);

// The windows whose controls the database in use already records; empty
// when no database is in use (or it failed: reported, translation disabled).
QStringList FeuillesEnregistrees();

// The type name under which a control is recorded: "TextBox", "ComboBox",
// "Menu", "CommandButton", "CheckBox", "OptionButton", "Label", "Frame",
// "Image"; empty for a control that is never recorded (a list, a timer...).
QString TypeControle(const QObject* controle);

// A member of a control array (several controls of one name) carries its
// index; it is recorded as "Name (index)".
void DefinitIndexControle(QObject* controle, int index);
QString NomControle(const QObject* controle);
