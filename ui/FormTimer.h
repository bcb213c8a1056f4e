#pragma once

#include <QObject>
#include <functional>

class QTimer;

// A timer with the semantics the rules expect: an enabled flag and an interval that are set
// independently; enabling a running timer or re-applying its interval leaves its schedule
// alone, and a timer without an interval never fires.
class FormTimer {
public:
    FormTimer(QObject* parent, const QString& name, std::function<void()> elapsed);

    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    int interval() const { return interval_; }
    void setInterval(int milliseconds);

private:
    void startOrStop();

    QTimer* timer_;
    bool enabled_ = false;
    int interval_ = 0;
};
