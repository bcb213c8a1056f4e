// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <SDL.h>

// One of SDL's own virtual pads, with the buttons and axes of a standard game controller, so
// that it reaches the game through SDL's game controller mapping and event queue as a real pad
// does. It is plugged in while it exists; SDL must be running, as it is while a main window
// exists.
class VirtualPad {
public:
    VirtualPad() {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        joystick_ = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
        if (joystick_ == nullptr) {
            qFatal("no virtual pad: %s", SDL_GetError());
        }
    }
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;
    ~VirtualPad() { unplug(); }

    // The number SDL, and so the game, knows the pad by.
    int id() const { return SDL_JoystickInstanceID(joystick_); }

    // Each change reaches SDL's queue at once, as a real pad's report would.
    void button(SDL_GameControllerButton button, bool down) {
        SDL_JoystickSetVirtualButton(joystick_, button, down ? SDL_PRESSED : SDL_RELEASED);
        SDL_JoystickUpdate();
    }
    void axis(SDL_GameControllerAxis axis, Sint16 value) {
        SDL_JoystickSetVirtualAxis(joystick_, axis, value);
        SDL_JoystickUpdate();
    }
    void click(SDL_GameControllerButton pressed) {
        button(pressed, true);
        button(pressed, false);
    }

    void unplug() {
        if (joystick_ == nullptr) {
            return;
        }
        const SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
        SDL_JoystickClose(joystick_);
        joystick_ = nullptr;
        for (int index = 0; index < SDL_NumJoysticks(); ++index) {
            if (SDL_JoystickGetDeviceInstanceID(index) == id) {
                SDL_JoystickDetachVirtual(index);
            }
        }
    }

private:
    SDL_Joystick* joystick_ = nullptr;
};
