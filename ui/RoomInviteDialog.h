// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDialog>

// Shown once a room is created: its code and the link that opens it in a browser, with a
// button that copies the link for sending to the other player.
class RoomInviteDialog : public QDialog {
    Q_OBJECT

public:
    RoomInviteDialog(const QString& code, const QString& link, QWidget* parent = nullptr);
};
