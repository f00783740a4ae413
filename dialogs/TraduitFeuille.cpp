#include "TraduitFeuille.h"

#include "BaseTraductions.h"
#include "ModuleTraductions.h"
#include "OperateurQt.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextEdit>
#include <algorithm>

namespace {

const char* const kProprieteIndex = "indexControle";

// A caption as Qt shows it: "&&" is one "&", a lone "&" marks a shortcut.
QString Affiche(const QString& legende) {
    QString texte;
    for (qsizetype i = 0; i < legende.size(); ++i) {
        if (legende.at(i) == QLatin1Char('&') && i + 1 < legende.size())
            ++i;
        else if (legende.at(i) == QLatin1Char('&'))
            continue;
        texte += legende.at(i);
    }
    return texte;
}

bool AUneLegende(const QLabel* l) {
    return l->pixmap().isNull() || !l->text().isEmpty();
}

// Texts of a control: caption (or text) and tooltip, as the operator sees them.
struct Textes {
    QString legende;
    QString bulle;
};

Textes Lit(QObject* o, const QString& type) {
    if (auto* a = qobject_cast<QAction*>(o))
        return {Affiche(a->text()), {}};
    if (auto* m = qobject_cast<QMenu*>(o))
        return {Affiche(m->title()), {}};
    auto* w = qobject_cast<QWidget*>(o);
    if (type == QStringLiteral("Image"))
        return {{}, w->toolTip()};
    if (auto* e = qobject_cast<QLineEdit*>(o))
        return {e->text(), w->toolTip()};
    if (auto* e = qobject_cast<QTextEdit*>(o))
        return {e->toPlainText(), w->toolTip()};
    if (auto* e = qobject_cast<QPlainTextEdit*>(o))
        return {e->toPlainText(), w->toolTip()};
    if (auto* c = qobject_cast<QComboBox*>(o))
        return {c->currentText(), w->toolTip()};
    if (auto* b = qobject_cast<QAbstractButton*>(o))
        return {Affiche(b->text()), w->toolTip()};
    if (auto* g = qobject_cast<QGroupBox*>(o))
        return {Affiche(g->title()), w->toolTip()};
    if (auto* l = qobject_cast<QLabel*>(o))
        return {l->buddy() ? Affiche(l->text()) : l->text(), w->toolTip()};
    return {};
}

void Applique(QObject* o, const QString& type, const EnregistrementTraduction& e) {
    const bool legende = !e.Tcaption.trimmed().isEmpty();
    const bool bulle = !e.Ttooltiptext.trimmed().isEmpty();
    if (auto* a = qobject_cast<QAction*>(o)) {
        if (legende)
            a->setText(LegendeLitterale(e.Tcaption));
        return;
    }
    if (auto* m = qobject_cast<QMenu*>(o)) {
        if (legende)
            m->setTitle(LegendeLitterale(e.Tcaption));
        return;
    }
    auto* w = qobject_cast<QWidget*>(o);
    if (bulle)
        w->setToolTip(e.Ttooltiptext);
    if (!legende || type == QStringLiteral("Image"))
        return;
    if (auto* t = qobject_cast<QLineEdit*>(o))
        t->setText(e.Tcaption);
    else if (auto* t = qobject_cast<QTextEdit*>(o))
        t->setPlainText(e.Tcaption);
    else if (auto* t = qobject_cast<QPlainTextEdit*>(o))
        t->setPlainText(e.Tcaption);
    else if (auto* c = qobject_cast<QComboBox*>(o))
        c->setCurrentText(e.Tcaption);
    else if (auto* b = qobject_cast<QAbstractButton*>(o))
        b->setText(LegendeLitterale(e.Tcaption));
    else if (auto* g = qobject_cast<QGroupBox*>(o))
        g->setTitle(LegendeLitterale(e.Tcaption));
    else if (auto* l = qobject_cast<QLabel*>(o))
        l->setText(l->buddy() ? LegendeLitterale(e.Tcaption) : e.Tcaption);
}

bool EstFenetre(const QWidget* w) {
    const Qt::WindowType genre = w->windowType();
    return genre == Qt::Window || genre == Qt::Dialog;
}

bool NomPropre(const QString& nom) {
    return !nom.isEmpty() && !nom.startsWith(QStringLiteral("qt_"));
}

// The window's controls, in the order they were made; windows of their own
// (a help window whose parent is this one) are not controls of it.
void Controles(QObject* parent, QList<QObject*>& liste) {
    for (QObject* enfant : parent->children()) {
        auto* w = qobject_cast<QWidget*>(enfant);
        if (w && EstFenetre(w))
            continue;
        if ((w || qobject_cast<QAction*>(enfant)) && NomPropre(enfant->objectName()))
            liste << enfant;
        Controles(enfant, liste);
    }
}

bool TraduitControles(BaseTraductions& base, QWidget* fenetre, const QString& nom) {
    QList<QObject*> controles;
    Controles(fenetre, controles);
    for (QObject* c : controles) {
        const QString type = TypeControle(c);
        if (type.isEmpty())
            continue;
        const QString nomControle = NomControle(c);
        std::optional<EnregistrementTraduction> trouve;
        if (!base.ChercheControle(nom, type, nomControle, &trouve)) {
            EchecBaseTraduction(base.erreur());
            return false;
        }
        if (trouve) {
            Applique(c, type, *trouve);
            continue;
        }
        const Textes textes = Lit(c, type);
        if (textes.legende.isEmpty() && textes.bulle.isEmpty())
            continue;
        EnregistrementTraduction e;
        e.Tformulaire = nom;
        e.Ttype = type;
        e.Tname = nomControle;
        e.tdefcaption = textes.legende;
        e.tdeftooltiptext = textes.bulle;
        e.tDate = QDateTime::currentDateTime();
        if (!base.Ajoute(e)) {
            EchecBaseTraduction(base.erreur());
            return false;
        }
    }
    return true;
}

// False when the base failed (reported, translation disabled). One
// transaction for the whole window: SQLite locks and checks the file once
// instead of once per control, and the controls recorded are written together.
bool Traduit(BaseTraductions& base, QWidget* fenetre, const QString& nom) {
    if (!base.Commence()) {
        EchecBaseTraduction(base.erreur());
        return false;
    }
    if (!TraduitControles(base, fenetre, nom)) {
        base.Annule();
        return false;
    }
    if (!base.Valide()) {
        EchecBaseTraduction(base.erreur());
        return false;
    }
    return true;
}

} // namespace

QString TypeControle(const QObject* o) {
    if (auto* a = qobject_cast<const QAction*>(o))
        return a->isSeparator() ? QString() : QStringLiteral("Menu");
    if (qobject_cast<const QMenu*>(o))
        return QStringLiteral("Menu");
    if (qobject_cast<const QLineEdit*>(o) || qobject_cast<const QTextEdit*>(o) ||
        qobject_cast<const QPlainTextEdit*>(o))
        return QStringLiteral("TextBox");
    if (qobject_cast<const QComboBox*>(o))
        return QStringLiteral("ComboBox");
    if (qobject_cast<const QCheckBox*>(o))
        return QStringLiteral("CheckBox");
    if (qobject_cast<const QRadioButton*>(o))
        return QStringLiteral("OptionButton");
    if (qobject_cast<const QAbstractButton*>(o))
        return QStringLiteral("CommandButton");
    if (qobject_cast<const QGroupBox*>(o))
        return QStringLiteral("Frame");
    if (auto* l = qobject_cast<const QLabel*>(o))
        return AUneLegende(l) ? QStringLiteral("Label") : QStringLiteral("Image");
    return {};
}

void DefinitIndexControle(QObject* controle, int index) {
    controle->setProperty(kProprieteIndex, index);
}

QString NomControle(const QObject* controle) {
    const QVariant index = controle->property(kProprieteIndex);
    if (!index.isValid())
        return controle->objectName();
    return controle->objectName() + QStringLiteral(" (%1)").arg(index.toInt());
}

void TraduitFeuille(QWidget* fenetre, const QString& nom) {
    if (FichierTraduction.isEmpty() || !fenetre)
        return;
    const std::unique_ptr<BaseTraductions> base = OuvreBaseTraduction();
    if (base)
        Traduit(*base, fenetre, nom.isEmpty() ? fenetre->objectName() : nom);
}

QStringList FeuillesEnregistrees() {
    if (FichierTraduction.isEmpty())
        return {};
    const std::unique_ptr<BaseTraductions> base = OuvreBaseTraduction();
    if (!base)
        return {};
    const std::optional<QStringList> formulaires = base->Formulaires();
    if (!formulaires) {
        EchecBaseTraduction(base->erreur());
        return {};
    }
    return *formulaires;
}

void TraduitFeuille(const QString& nom) {
    if (FichierTraduction.isEmpty())
        return;
    QList<QWidget*> fenetres;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (EstFenetre(w) && NomPropre(w->objectName()) &&
            (nom.isEmpty() || w->objectName() == nom))
            fenetres << w;
    if (fenetres.isEmpty())
        return;
    // Windows come in no set order from Qt; by name, so a run is repeatable.
    std::stable_sort(fenetres.begin(), fenetres.end(),
                     [](QWidget* a, QWidget* b) { return a->objectName() < b->objectName(); });
    const std::unique_ptr<BaseTraductions> base = OuvreBaseTraduction();
    if (!base)
        return;
    for (QWidget* f : fenetres)
        if (!Traduit(*base, f, f->objectName()))
            return;
}
