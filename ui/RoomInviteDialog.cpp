// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RoomInviteDialog.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* selectable(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

RoomInviteDialog::RoomInviteDialog(const QString& code, const QString& link, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("dlgpokoj"));
    setWindowTitle(QStringLiteral("Pokój założony"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Kod pokoju:"), this));
    QLabel* codeLabel = selectable(QStringLiteral("kod"), code, this);
    QFont large = codeLabel->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    codeLabel->setFont(large);
    layout->addWidget(codeLabel);
    layout->addWidget(new QLabel(
        QStringLiteral("Drugi gracz dołącza tym kodem albo otwiera w przeglądarce link:"), this));
    layout->addWidget(selectable(QStringLiteral("link"), link, this));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* copy =
        buttons->addButton(QStringLiteral("Kopiuj link"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("kopiuj"));
    // Copying leaves the window open: the code may still be read out.
    connect(copy, &QPushButton::clicked, this, [link, copy] {
        QGuiApplication::clipboard()->setText(link);
        copy->setText(QStringLiteral("Skopiowano"));
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
