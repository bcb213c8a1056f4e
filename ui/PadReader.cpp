// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PadReader.h"

#include "DeviceWatch.h"

#include <QThread>
#include <SDL.h>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>

using namespace zirvel;

namespace {

// Where a new input device shows, and where that folder shows on a system that has none yet.
const QString InputDevices = QStringLiteral("/dev/input");
const QString Devices = QStringLiteral("/dev");

struct ButtonBit {
    SDL_GameControllerButton button;
    std::uint32_t bit;
};

constexpr ButtonBit ButtonBits[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_UP, padButtons::Up},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, padButtons::Down},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, padButtons::Left},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, padButtons::Right},
    {SDL_CONTROLLER_BUTTON_A, padButtons::South},
    {SDL_CONTROLLER_BUTTON_START, padButtons::Start},
    {SDL_CONTROLLER_BUTTON_BACK, padButtons::Back},
};

std::uint32_t bitOf(std::uint8_t button) {
    for (const ButtonBit& known : ButtonBits) {
        if (known.button == button) {
            return known.bit;
        }
    }
    return 0;
}

// SDL's axes run from -32768 to 32767, its triggers from 0 to 32767.
float normalised(std::int16_t value) {
    return std::max(-1.0F, static_cast<float>(value) / 32767.0F);
}

} // namespace

struct PadReader::Pad {
    SDL_GameController* controller = nullptr;
    PadSnapshot state;
};

PadReader::PadReader(Pads& pads, QObject* parent)
    : QObject(parent)
    , pads_(pads) {
    // SDL leaves the process's signals alone. Pads come through the kernel's event devices,
    // which stay silent while a pad rests, where SDL's own drivers of some pads read them all
    // the time.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_JOYSTICK_HIDAPI, "0");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        qWarning("No gamepads: %s", SDL_GetError());
        return;
    }
    running_ = true;
    SDL_AddEventWatch(&PadReader::eventQueued, this);
    devices_ = new DeviceWatch(InputDevices, Devices, this);
    connect(devices_, &DeviceWatch::wake, this, &PadReader::read);
    // Pads connected before SDL started here, in case another part of the process had
    // started it already and their notices have gone.
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
        if (SDL_IsGameController(index)) {
            open(index);
        }
    }
    // Whatever they have queued is handled once the event loop runs, when the window is ready.
    readAsked_ = true;
    QMetaObject::invokeMethod(this, &PadReader::read, Qt::QueuedConnection);
}

PadReader::~PadReader() {
    if (!running_) {
        return;
    }
    SDL_DelEventWatch(&PadReader::eventQueued, this);
    for (auto& [id, pad] : open_) {
        SDL_GameControllerClose(pad->controller);
    }
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

// Runs on whichever thread queues the event.
int PadReader::eventQueued(void* reader, SDL_Event* /*event*/) {
    auto* self = static_cast<PadReader*>(reader);
    // What SDL queues during a read is handled by that read.
    if (QThread::currentThread() == self->thread() && self->reading_) {
        return 0;
    }
    if (!self->readAsked_.exchange(true)) {
        QMetaObject::invokeMethod(self, &PadReader::read, Qt::QueuedConnection);
    }
    return 0;
}

void PadReader::read() {
    readAsked_ = false;
    if (!running_ || reading_) {
        return;
    }
    reading_ = true;
    SDL_GameControllerUpdate();
    std::array<SDL_Event, 32> events;
    int count = 0;
    while ((count = SDL_PeepEvents(events.data(), static_cast<int>(events.size()), SDL_GETEVENT,
                                   SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0) {
        for (int i = 0; i < count; ++i) {
            handle(events[static_cast<std::size_t>(i)]);
        }
    }
    reading_ = false;
}

void PadReader::handle(const SDL_Event& event) {
    switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
        open(event.cdevice.which);
        break;
    case SDL_CONTROLLERDEVICEREMOVED:
        close(event.cdevice.which);
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        if (const std::uint32_t bit = bitOf(event.cbutton.button); bit != 0) {
            if (auto found = open_.find(event.cbutton.which); found != open_.end()) {
                PadSnapshot state = found->second->state;
                state.buttons =
                    event.cbutton.state == SDL_PRESSED ? state.buttons | bit : state.buttons & ~bit;
                update(found->first, state, event.cbutton.timestamp);
            }
        }
        break;
    case SDL_CONTROLLERAXISMOTION:
        if (auto found = open_.find(event.caxis.which); found != open_.end()) {
            PadSnapshot state = found->second->state;
            const float value = normalised(event.caxis.value);
            switch (event.caxis.axis) {
            case SDL_CONTROLLER_AXIS_LEFTX:
                state.stickX = value;
                break;
            case SDL_CONTROLLER_AXIS_LEFTY:
                state.stickY = value;
                break;
            case SDL_CONTROLLER_AXIS_TRIGGERRIGHT:
                state.rightTrigger = value;
                break;
            default:
                return;
            }
            update(found->first, state, event.caxis.timestamp);
        }
        break;
    default:
        break;
    }
}

void PadReader::update(int instanceId, const PadSnapshot& state, quint32 timestamp) {
    open_.at(instanceId)->state = state;
    pads_.update(instanceId, state);
    emit handled(timestamp);
}

void PadReader::open(int deviceIndex) {
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (controller == nullptr) {
        return;
    }
    const int id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
    if (open_.contains(id)) {
        SDL_GameControllerClose(controller);
        return;
    }
    auto pad = std::make_unique<Pad>();
    pad->controller = controller;
    watchInput(id, SDL_GameControllerPath(controller));
    open_.emplace(id, std::move(pad));
    pads_.connect(id);
}

void PadReader::close(int instanceId) {
    const auto found = open_.find(instanceId);
    if (found == open_.end()) {
        return;
    }
    devices_->unwatch(instanceId);
    SDL_GameControllerClose(found->second->controller);
    open_.erase(found);
    pads_.disconnect(instanceId);
}

// SDL's virtual pads have no device node; whoever drives them makes SDL queue their events.
// The reader's own handle on a pad's node only wakes the reader; SDL reads its own.
void PadReader::watchInput(int instanceId, const char* path) {
    if (path == nullptr || !QByteArray(path).startsWith("/dev/")) {
        return;
    }
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        qWarning("Gamepad %s cannot be watched (%s): it is read only when something else wakes "
                 "the reader",
                 path, strerror(errno));
        return;
    }
    devices_->watchInput(instanceId, fd);
}
