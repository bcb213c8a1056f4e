// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "GameOverDialog.h"

#include "Fonts.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

using namespace zirvel;

// Set by the build, in one place for the whole project.
const QUrl GameOverDialog::AuthorPage(QStringLiteral(ZIRVEL2_HOMEPAGE));

namespace {

constexpr QColor Background{64, 0, 0};
constexpr QColor CaptionText{255, 128, 128};
constexpr QColor Divider{128, 0, 0};

void paint(QWidget* widget, const QColor& background, const QColor& text) {
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    widget->setPalette(palette);
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& caption, QPoint topLeft) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    paint(label, Background, CaptionText);
    label->move(topLeft);
    label->adjustSize();
    return label;
}

QLabel* makeFinalCounter(QWidget* parent, const QString& name, QPoint topLeft) {
    QLabel* label = makeLabel(parent, name, {}, topLeft);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(designFont(QStringLiteral("Georgia"), 15.75, true, QFont::Serif));
    return label;
}

} // namespace

GameOverDialog::GameOverDialog(GameWindow& mainWindow, UrlOpener openUrl, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , mainWindow_(mainWindow)
    , openUrl_(std::move(openUrl)) {
    setObjectName(QStringLiteral("frmKoniecgry"));
    setWindowTitle(QStringLiteral("Koniec gry"));
    setFixedSize(312, 213);
    paint(this, Background, CaptionText);
    // The design's small dialog font, so that "Zamknij" fits its button.
    setFont(designFont(QStringLiteral("MS Sans Serif"), 8.25, false));
    setMouseTracking(true);

    QLabel* first =
        makeLabel(this, QStringLiteral("Label1(0)"), QStringLiteral("Gracz pierwszy"), {48, 24});
    QLabel* second =
        makeLabel(this, QStringLiteral("Label1(1)"), QStringLiteral("Gracz drugii"), {192, 24});
    finalCounters_[0] = makeFinalCounter(this, QStringLiteral("Label2(0)"), {77, 48});
    finalCounters_[1] = makeFinalCounter(this, QStringLiteral("Label2(1)"), {218, 48});

    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setGeometry(150, 16, 5, 169);
    paint(line, Divider, Divider);
    // The divider is part of the background as far as the pointer is concerned.
    line->setAttribute(Qt::WA_TransparentForMouseEvents);

    cmdkoniec_ = new QPushButton(QStringLiteral("Zamknij"), this);
    cmdkoniec_->setObjectName(QStringLiteral("cmdkoniec"));
    cmdkoniec_->setGeometry(256, 192, 49, 17);
    cmdkoniec_->setDefault(true);
    connect(cmdkoniec_, &QPushButton::clicked, this, &GameOverDialog::cmdkoniec_Click);

    link_ = makeLabel(this, QStringLiteral("Label3"), QStringLiteral("Morvid"), {8, 192});
    paint(link_, Qt::black, QColor(0, 0, 255));
    link_->setFont(designFont(QStringLiteral("MS Sans Serif"), 9.75, true));
    link_->adjustSize();
    link_->setCursor(Qt::PointingHandCursor);
    link_->setMouseTracking(true);
    link_->setToolTip(AuthorPage.toString());
    link_->installEventFilter(this);

    // Pointer moves over the other controls belong to neither the window nor the link.
    for (QWidget* widget : std::initializer_list<QWidget*>{first, second, finalCounters_[0],
                                                           finalCounters_[1], cmdkoniec_}) {
        widget->setAttribute(Qt::WA_NoMousePropagation);
    }
    for (QWidget* widget : findChildren<QWidget*>()) {
        if (widget != cmdkoniec_) {
            widget->setFocusPolicy(Qt::NoFocus);
        }
    }
    cmdkoniec_->setFocus();
    if (parent) {
        // Without a frame of its own the toolkit's placement would guess one; centre exactly.
        move(parent->window()->frameGeometry().center() - rect().center());
    }

    Form_Load();
}

void GameOverDialog::Form_Load() {
    // Copies, not links: the window shows the counters as they were when it opened.
    for (Player player : BothPlayers) {
        QLabel* label = finalCounters_[player == Player::One ? 0 : 1];
        label->setText(QString::fromStdString(mainWindow_.counterCaption(player)));
        // Grows to the right from its left edge.
        label->adjustSize();
    }
}

void GameOverDialog::cmdkoniec_Click() {
    if (closed_) {
        closed_(true);
    } else {
        mainWindow_.setCounterCaption(Player::One, "0");
        mainWindow_.setCounterCaption(Player::Two, "0");
    }
    accept();
}

void GameOverDialog::Label3_Click() {
    openUrl_(AuthorPage);
    if (closed_) {
        closed_(false);
    }
    accept();
}

// Together these underline the link exactly while the pointer is on it.
void GameOverDialog::Form_MouseMove() {
    setLinkUnderlined(false);
}

void GameOverDialog::Label3_MouseMove() {
    setLinkUnderlined(true);
}

void GameOverDialog::setLinkUnderlined(bool underlined) {
    QFont font = link_->font();
    font.setUnderline(underlined);
    link_->setFont(font);
}

void GameOverDialog::mouseMoveEvent(QMouseEvent* event) {
    Form_MouseMove();
    QDialog::mouseMoveEvent(event);
}

// A pointer can arrive without moving: a jump, or a window opening under a still pointer. Some
// compositors report that as an arrival alone, so arriving counts as a move over what the
// pointer arrived on.
void GameOverDialog::enterEvent(QEnterEvent* event) {
    if (!childAt(event->position().toPoint())) {
        Form_MouseMove();
    }
    QDialog::enterEvent(event);
}

bool GameOverDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == link_) {
        if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
            Label3_MouseMove();
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
            link_->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
            Label3_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
