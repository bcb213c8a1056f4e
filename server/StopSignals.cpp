// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "StopSignals.h"

#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

namespace zirvel::server {

namespace {

sigset_t stopSignals() {
    sigset_t stopSet;
    sigemptyset(&stopSet);
    sigaddset(&stopSet, SIGTERM);
    sigaddset(&stopSet, SIGINT);
    return stopSet;
}

} // namespace

void StopSignals::block() {
    const sigset_t stopSet = stopSignals();
    pthread_sigmask(SIG_BLOCK, &stopSet, nullptr);
}

std::unique_ptr<StopSignals> StopSignals::listen(std::function<void()> received) {
    const sigset_t stopSet = stopSignals();
    const int descriptor = signalfd(-1, &stopSet, SFD_NONBLOCK | SFD_CLOEXEC);
    if (descriptor < 0) {
        return nullptr;
    }
    return std::unique_ptr<StopSignals>(new StopSignals(descriptor, std::move(received)));
}

StopSignals::StopSignals(int descriptor, std::function<void()> received)
    : descriptor_(descriptor)
    , received_(std::move(received))
    , notifier_(descriptor, QSocketNotifier::Read) {
    connect(&notifier_, &QSocketNotifier::activated, this, [this] {
        signalfd_siginfo info;
        while (read(descriptor_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
            received_();
        }
    });
}

StopSignals::~StopSignals() {
    notifier_.setEnabled(false);
    ::close(descriptor_);
}

} // namespace zirvel::server
