// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "LatenessReport.h"

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace zirvel::server {

namespace {

// A signal handler may only write to a descriptor: the event loop reads the other end.
int signalPipe[2] = {-1, -1};

void signalled(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
}

} // namespace

LatenessReport::LatenessReport(Lateness& lateness, QObject* parent)
    : QObject(parent)
    , lateness_(lateness) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        std::perror("zirvel2-server: socketpair");
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(signalPipe[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(signalPipe[1], &byte, 1);
        print();
    });
    struct sigaction action {};
    action.sa_handler = signalled;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGUSR1, &action, nullptr);
}

LatenessReport::~LatenessReport() {
    if (!notifier_) {
        return;
    }
    std::signal(SIGUSR1, SIG_DFL);
    notifier_.reset();
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void LatenessReport::print() {
    std::printf("lateness: %llu wake-ups, p50 %.2f ms, p99 %.2f ms, max %.2f ms\n",
                static_cast<unsigned long long>(lateness_.count()), lateness_.percentile(0.5),
                lateness_.percentile(0.99), lateness_.max());
    std::fflush(stdout);
    lateness_.reset();
}

} // namespace zirvel::server
