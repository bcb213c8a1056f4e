// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Pads.h"

#include <QObject>
#include <atomic>
#include <map>
#include <memory>

class DeviceWatch;
union SDL_Event;

// Reads the game controllers SDL knows, on the toolkit's event loop, and hands their states to
// the pad rule. SDL runs for game controllers only: no window, no video, no sound.
//
// Nothing polls. SDL reads a pad's input only when asked to, so each pad's device node is
// watched for input, and a read is asked for when it has some; a pad at rest wakes nothing.
// Hot-plugging is seen as a change in the folder of input devices, which starts a few seconds
// of reads while the system sets the new device up. Events SDL queues by itself, as its own
// virtual pads do, wake a read too.
//
// SDL has one event queue per process, so there is one reader at a time.
class PadReader : public QObject {
    Q_OBJECT

public:
    explicit PadReader(zirvel::Pads& pads, QObject* parent = nullptr);
    ~PadReader() override;

    // Asks SDL for the pads' new input and handles every event it has queued.
    void read();

signals:
    // The rule has handled one of SDL's pad events, which SDL stamped at `timestamp`, in
    // milliseconds of SDL's clock.
    void handled(quint32 timestamp);

private:
    struct Pad;

    static int eventQueued(void* reader, SDL_Event* event);
    void handle(const SDL_Event& event);
    void open(int deviceIndex);
    void close(int instanceId);
    void update(int instanceId, const zirvel::PadSnapshot& state, quint32 timestamp);
    void watchInput(int instanceId, const char* path);

    zirvel::Pads& pads_;
    bool running_ = false;
    bool reading_ = false;
    std::atomic<bool> readAsked_{false};
    std::map<int, std::unique_ptr<Pad>> open_;
    DeviceWatch* devices_ = nullptr;
};
