#pragma once
// The operator password dialog: a heading chosen by the caller, a masked
// entry field, Enter confirms, the close button abandons (Esc does nothing);
// the heading flashes at the caret's rhythm until then.
#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QTimer;

// The text confirmed by the operator, as typed; emptied each time the dialog loads.
extern QString MotPasseSaisi;

class DialogMP : public QDialog {
    Q_OBJECT
public:
    explicit DialogMP(QWidget* parent = nullptr);

    // Loads the dialog, sets its title and heading, shows it modally and
    // returns MotPasseSaisi (empty when abandoned).
    static QString Demande(QWidget* parent, const QString& titre, const QString& entete);

    QLabel* titre() const { return titre_; }
    QLineEdit* TextMP() const { return textMP_; }
    QLabel* Label1() const { return label1_; }
    QTimer* TimerFlash() const { return timerFlash_; }

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void valide();
    void clignote();

    QLabel* titre_;
    QLineEdit* textMP_;
    QLabel* label1_;
    QTimer* timerFlash_;
    bool flash_ = false;
};
