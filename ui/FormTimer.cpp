#include "FormTimer.h"

#include <QTimer>

FormTimer::FormTimer(QObject* parent, const QString& name, std::function<void()> elapsed)
    : timer_(new QTimer(parent)) {
    timer_->setObjectName(name);
    // Precise timers keep their schedule from the previous timeout, so ticks do not drift.
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_, &QTimer::timeout, parent, std::move(elapsed));
}

void FormTimer::setEnabled(bool enabled) {
    if (enabled_ == enabled) {
        return;
    }
    enabled_ = enabled;
    startOrStop();
}

void FormTimer::setInterval(int milliseconds) {
    if (interval_ == milliseconds) {
        return;
    }
    interval_ = milliseconds;
    // A new interval restarts a running timer.
    timer_->setInterval(milliseconds);
    startOrStop();
}

void FormTimer::startOrStop() {
    const bool running = enabled_ && interval_ > 0;
    if (running && !timer_->isActive()) {
        timer_->start(interval_);
    } else if (!running) {
        timer_->stop();
    }
}
