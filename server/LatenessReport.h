// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Lateness.h"

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace zirvel::server {

// On every SIGUSR1, prints one line of how late the server's alarms woke on standard output and
// starts counting afresh: a benchmark signals once to start its window and once to read it.
// One at a time per process.
class LatenessReport : public QObject {
public:
    explicit LatenessReport(Lateness& lateness, QObject* parent = nullptr);
    ~LatenessReport() override;

private:
    void print();

    Lateness& lateness_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace zirvel::server
