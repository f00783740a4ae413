#pragma once
// Runs an action on the next modal dialog once it is up, so that a test can
// answer a box that blocks the call under test.
#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

inline void quandModal(std::function<void(QWidget*)> action) {
    auto* minuterie = new QTimer(qApp);
    minuterie->setInterval(10);
    QObject::connect(minuterie, &QTimer::timeout, minuterie, [minuterie, action]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        minuterie->stop();
        minuterie->deleteLater();
        action(modal);
    });
    minuterie->start();
}
