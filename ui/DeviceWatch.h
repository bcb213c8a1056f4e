// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>
#include <map>

class QFileSystemWatcher;
class QSocketNotifier;
class QTimer;

// Says when the pads may have something to read, so that nothing polls: a watched device node
// has input, or a device has come or gone in the folder of devices. After such a change the
// wakes go on every 100 ms for three seconds, while the system sets the new device up and
// gives it to the user.
class DeviceWatch : public QObject {
    Q_OBJECT

public:
    // Watches `folder` for devices that come and go; while it does not exist, `outer`, where it
    // will show.
    DeviceWatch(const QString& folder, const QString& outer, QObject* parent = nullptr);
    ~DeviceWatch() override;

    // Watches a device node, open and non-blocking, for input until it is unwatched; the watch
    // closes it then.
    void watchInput(int id, int fd);
    void unwatch(int id);

signals:
    void wake();

private:
    struct Input {
        int fd;
        QSocketNotifier* notifier;
    };

    void drain(int id);
    void devicesChanged();

    QString folder_;
    std::map<int, Input> inputs_;
    QFileSystemWatcher* devices_;
    QTimer* settling_;
    int settlingReads_ = 0;
};
