// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DeviceWatch.h"

#include <QDir>
#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QTimer>
#include <array>
#include <cerrno>
#include <unistd.h>

namespace {

constexpr int SettlingInterval = 100;
constexpr int SettlingReads = 30;

} // namespace

DeviceWatch::DeviceWatch(const QString& folder, const QString& outer, QObject* parent)
    : QObject(parent)
    , folder_(folder)
    , devices_(new QFileSystemWatcher(this))
    , settling_(new QTimer(this)) {
    settling_->setInterval(SettlingInterval);
    connect(settling_, &QTimer::timeout, this, [this] {
        if (--settlingReads_ <= 0) {
            settling_->stop();
        }
        emit wake();
    });
    devices_->addPath(QDir(folder_).exists() ? folder_ : outer);
    connect(devices_, &QFileSystemWatcher::directoryChanged, this, &DeviceWatch::devicesChanged);
}

DeviceWatch::~DeviceWatch() {
    for (auto& [id, input] : inputs_) {
        delete input.notifier;
        ::close(input.fd);
    }
}

void DeviceWatch::watchInput(int id, int fd) {
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    inputs_.emplace(id, Input{fd, notifier});
    connect(notifier, &QSocketNotifier::activated, this, [this, id] { drain(id); });
}

void DeviceWatch::unwatch(int id) {
    const auto found = inputs_.find(id);
    if (found == inputs_.end()) {
        return;
    }
    // This may run from the notifier's own signal.
    found->second.notifier->setEnabled(false);
    found->second.notifier->deleteLater();
    ::close(found->second.fd);
    inputs_.erase(found);
}

// The kernel gives the watch a copy of every input event, which only wakes the reader.
void DeviceWatch::drain(int id) {
    const Input& input = inputs_.at(id);
    std::array<char, 1024> discarded;
    ssize_t got = 0;
    while ((got = ::read(input.fd, discarded.data(), discarded.size())) > 0 ||
           (got < 0 && errno == EINTR)) {
    }
    // A device that has gone reads as an error for ever: the reader learns that it was removed
    // on one of the wakes the change in the device folder starts.
    if (got == 0 || errno != EAGAIN) {
        input.notifier->setEnabled(false);
    }
    emit wake();
}

void DeviceWatch::devicesChanged() {
    if (!devices_->directories().contains(folder_) && QDir(folder_).exists()) {
        devices_->removePaths(devices_->directories());
        devices_->addPath(folder_);
    }
    settlingReads_ = SettlingReads;
    settling_->start();
    emit wake();
}
