// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MainWindow.h"

#include "BoardView.h"
#include "Fonts.h"
#include "GameOverDialog.h"
#include "KeyMapping.h"
#include "OnlineScreen.h"

#include <QActionGroup>
#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <random>

using namespace zirvel;

namespace {

// Layout in pixels of the client area below the menu bar.
constexpr QSize ClientSize{674, 452};
constexpr QPoint BoardOrigin{16, 40};
constexpr QColor Background{64, 64, 64};
constexpr int CountdownInterval = 700;

std::size_t slot(Player player) {
    return player == Player::One ? 0 : 1;
}

QLabel* makeCounter(QWidget* parent, Player player, int left) {
    auto* label = new QLabel(QStringLiteral("0"), parent);
    label->setObjectName(QStringLiteral("Label3(%1)").arg(number(player)));
    label->setGeometry(left, 16, 33, 17);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral(
        "QLabel { color: white; background: transparent; border: 1px solid black; }"));
    label->setFont(designFont(QStringLiteral("MS Sans Serif"), 8.25, true));
    label->setToolTip(QStringLiteral("Ilosc punktow gracza nr %1").arg(number(player)));
    return label;
}

void openInDesktop(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

} // namespace

MainWindow::MainWindow(UrlOpener openUrl)
    : openUrl_(openUrl ? std::move(openUrl) : UrlOpener(openInDesktop))
    , seats_(game_, *this, heldKeys_, pads_, std::random_device{}()) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Zirvel 2"));
    timers_.setInterval(Timer::Timer3, CountdownInterval);
    buildClientArea();
    connect(&timers_, &FormTimers::timeout, this,
            [this](Timer timer) { handle([this, timer] { game_.timerElapsed(timer); }); });
    // A move is on screen before the next tick can end the round; then the computer players,
    // if any, see it and act.
    connect(&timers_, &FormTimers::settled, board_, &BoardView::paintChangedCells);
    connect(&timers_, &FormTimers::settled, this, [this] { seats_.timersSettled(); });
    online_ = std::make_unique<OnlineScreen>(*this, openUrl_);
    connect(online_.get(), &OnlineScreen::changed, this, &MainWindow::roomChanged);
    buildMenu();
    buildPlayersMenu();
    roomChanged();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    board_->setFocus();
    pads_.setListening(board_->hasFocus());
    game_.Form_Load();
}

// The online screen goes first: leaving its room still paints into this window.
MainWindow::~MainWindow() {
    online_.reset();
}

void MainWindow::buildClientArea() {
    auto* client = new QWidget(this);
    client->setFixedSize(ClientSize);
    client->setAutoFillBackground(true);
    QPalette palette = client->palette();
    palette.setColor(QPalette::Window, Background);
    client->setPalette(palette);
    setCentralWidget(client);

    board_ = new BoardView(cells_, client);
    board_->setObjectName(QStringLiteral("Label1"));
    board_->move(BoardOrigin);
    board_->installEventFilter(this);

    counters_[slot(Player::One)] = makeCounter(client, Player::One, 16);
    counters_[slot(Player::Two)] = makeCounter(client, Player::Two, 624);

    // Created after the board so that it is drawn above the cells it overlaps.
    countdown_ = new QLabel(QStringLiteral("4"), client);
    countdown_->setObjectName(QStringLiteral("Label2"));
    countdown_->move(312, 56);
    countdown_->setAlignment(Qt::AlignCenter);
    countdown_->setAutoFillBackground(true);
    QPalette countdownPalette = countdown_->palette();
    countdownPalette.setColor(QPalette::Window, Qt::black);
    countdownPalette.setColor(QPalette::WindowText, Qt::white);
    countdown_->setPalette(countdownPalette);
    countdown_->setFont(designFont(QStringLiteral("Arial"), 24, true));
    countdown_->adjustSize();
    countdown_->hide();

    // Only the board takes the keyboard focus, so every key reaches the game.
    for (QWidget* widget : client->findChildren<QWidget*>()) {
        if (widget != board_) {
            widget->setFocusPolicy(Qt::NoFocus);
        }
    }
}

QAction* MainWindow::addCommand(QMenu* menu, const char* name, const QString& caption,
                                const QKeySequence& shortcut, void (Game::*handler)(),
                                protocol::Command online) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [this, handler, online] {
        if (online_->inRoom()) {
            online_->client().command(online);
            return;
        }
        handle([this, handler] { (game_.*handler)(); });
    });
    return action;
}

// A new round clears the turbo flags; a turbo key held through it keeps its player in turbo.
void MainWindow::handle(const std::function<void()>& handler) {
    handler();
    heldKeys_.pressHeldTurboKeys();
}

void MainWindow::buildMenu() {
    QMenu* plik = menuBar()->addMenu(QStringLiteral("&Plik"));
    plik->setObjectName(QStringLiteral("mnuplik"));
    plik_ = plik;

    nowaGra_ = addCommand(plik, "mnunowagra", QStringLiteral("Nowa gra"),
                          QKeySequence(Qt::CTRL | Qt::Key_N), &Game::mnunowagra_Click,
                          protocol::Command::NowaGra);

    pauza_ = plik->addAction(QStringLiteral("Pauza"));
    pauza_->setObjectName(QStringLiteral("mnupauza"));
    pauza_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    pauza_->setCheckable(true);
    pauza_->setEnabled(false);
    // Qt flips a checkable item before reporting the click; the rule decides from the check
    // mark the user saw, so put it back first.
    connect(pauza_, &QAction::triggered, this, [this](bool checked) {
        pauza_->setChecked(!checked);
        if (online_->inRoom()) {
            online_->client().command(protocol::Command::Pauza);
            return;
        }
        handle([this] { game_.mnupauza_Click(); });
    });

    koniecGry_ = addCommand(plik, "mnukoniecgry", QStringLiteral("Koniec gry"), {},
                            &Game::mnukoniecgry_Click, protocol::Command::KoniecGry);
    plik->addSeparator()->setObjectName(QStringLiteral("sep1"));

    QMenu* speed = plik->addMenu(QStringLiteral("Prędkość gry"));
    speed->setObjectName(QStringLiteral("mnupredkoscgry"));
    auto* speedGroup = new QActionGroup(this);
    const std::array<QString, 4> speedCaptions{QStringLiteral("Wolno"), QStringLiteral("Średnio"),
                                               QStringLiteral("Szybko"),
                                               QStringLiteral("B. Szybko")};
    for (std::int16_t index = 1; index <= 4; ++index) {
        QAction* action = speed->addAction(speedCaptions[static_cast<std::size_t>(index - 1)]);
        action->setObjectName(QStringLiteral("mnuspeed(%1)").arg(index));
        action->setCheckable(true);
        action->setActionGroup(speedGroup);
        connect(action, &QAction::triggered, this, [this, index] {
            if (online_->inRoom()) {
                online_->client().speed(index);
                return;
            }
            handle([this, index] { game_.mnuspeed_Click(index); });
        });
        speeds_[static_cast<std::size_t>(index - 1)] = action;
    }

    plik->addSeparator()->setObjectName(QStringLiteral("sep2"));
    QAction* quit = plik->addAction(QStringLiteral("Koniec"));
    quit->setObjectName(QStringLiteral("mnuKoniec"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    connect(quit, &QAction::triggered, this, &MainWindow::mnuKoniec_Click);
}

void MainWindow::buildPlayersMenu() {
    QMenu* gracze = menuBar()->addMenu(QStringLiteral("&Gracze"));
    gracze->setObjectName(QStringLiteral("mnugracze"));
    const std::array<QString, 4> captions{
        QStringLiteral("Człowiek"), QStringLiteral("Komputer: łatwy"),
        QStringLiteral("Komputer: średni"), QStringLiteral("Komputer: trudny")};
    const std::array<std::optional<opponent::Level>, 4> levels{
        std::nullopt, opponent::Level::Easy, opponent::Level::Medium, opponent::Level::Hard};
    for (Player player : BothPlayers) {
        QMenu* seat =
            gracze->addMenu(player == Player::One ? QStringLiteral("Czerwony – strzałki")
                                                  : QStringLiteral("Niebieski – W A S D"));
        seat->setObjectName(QStringLiteral("mnugracz%1").arg(number(player)));
        seatMenus_[slot(player)] = seat;
        auto* group = new QActionGroup(this);
        for (std::size_t index = 0; index < captions.size(); ++index) {
            QAction* action = seat->addAction(captions[index]);
            action->setObjectName(QStringLiteral("mnugracz%1(%2)").arg(number(player)).arg(index));
            action->setCheckable(true);
            action->setChecked(index == 0);
            action->setActionGroup(group);
            connect(action, &QAction::triggered, this,
                    [this, player, level = levels[index]] { seats_.choose(player, level); });
        }
    }

    gracze->addSeparator()->setObjectName(QStringLiteral("sep3"));
    zaloz_ = gracze->addAction(QStringLiteral("Załóż pokój"));
    zaloz_->setObjectName(QStringLiteral("mnuzaloz"));
    connect(zaloz_, &QAction::triggered, online_.get(), &OnlineScreen::createRoom);
    dolacz_ = gracze->addAction(QStringLiteral("Dołącz do pokoju…"));
    dolacz_->setObjectName(QStringLiteral("mnudolacz"));
    connect(dolacz_, &QAction::triggered, online_.get(), &OnlineScreen::joinRoom);
    opusc_ = gracze->addAction(QStringLiteral("Opuść pokój"));
    opusc_->setObjectName(QStringLiteral("mnuopusc"));
    connect(opusc_, &QAction::triggered, online_.get(), &OnlineScreen::leaveRoom);
}

void MainWindow::roomChanged() {
    const bool idle = online_->client().state() == client::RoomClient::State::Idle;
    const bool inRoom = online_->inRoom();
    zaloz_->setEnabled(idle);
    dolacz_->setEnabled(idle);
    opusc_->setEnabled(inRoom);
    for (QMenu* seat : seatMenus_) {
        seat->setEnabled(!inRoom);
    }
    if (inRoom) {
        nowaGra_->setEnabled(online_->client().commandsAllowed());
    }
}

void MainWindow::enterRoom() {
    Picture picture{cells_,
                    {counterCaption(Player::One), counterCaption(Player::Two)},
                    countdownCaption(),
                    countdownVisible(),
                    {},
                    {},
                    nowaGra_->isEnabled()};
    for (std::size_t index = 0; index < picture.menuEnabled.size(); ++index) {
        const auto item = static_cast<MenuItem>(index);
        picture.menuEnabled[index] = menuEnabled(item);
        picture.menuChecked[index] = menuChecked(item);
        // Until the room's own states come.
        setMenuEnabled(item, false);
    }
    aside_ = std::move(picture);
    timers_.setStandingStill(true);
    heldKeys_.divertTo([this](std::uint16_t keyCode, bool down, KeySource source) {
        online_->client().key(keyCode, down, source);
    });
    for (int index = 1; index <= board::CellCount; ++index) {
        setCellColour(index, colours::Free);
    }
    board_->paintChangedCells();
    setCounterCaption(Player::One, "0");
    setCounterCaption(Player::Two, "0");
    setCountdownVisible(false);
}

void MainWindow::leaveRoom() {
    if (!aside_) {
        return;
    }
    const Picture picture = *std::exchange(aside_, std::nullopt);
    heldKeys_.divertTo(nullptr);
    for (int index = 1; index <= board::CellCount; ++index) {
        setCellColour(index, picture.cells.at(index));
    }
    board_->paintChangedCells();
    setCounterCaption(Player::One, picture.counters[0]);
    setCounterCaption(Player::Two, picture.counters[1]);
    setCountdownCaption(picture.countdown);
    setCountdownVisible(picture.countdownVisible);
    for (std::size_t index = 0; index < picture.menuEnabled.size(); ++index) {
        const auto item = static_cast<MenuItem>(index);
        setMenuEnabled(item, picture.menuEnabled[index]);
        setMenuChecked(item, picture.menuChecked[index]);
    }
    nowaGra_->setEnabled(picture.nowaGraEnabled);
    timers_.setStandingStill(false);
}

void MainWindow::padCommand(PadCommand command) {
    (command == PadCommand::NowaGra ? nowaGra_ : pauza_)->trigger();
}

void MainWindow::mnuKoniec_Click() {
    QApplication::exit(0);
}

void MainWindow::setCellColour(int index, Colour colour) {
    if (cells_.set(index, colour)) {
        board_->cellChanged(index);
    }
}

QLabel* MainWindow::counterLabel(Player player) const {
    return counters_[slot(player)];
}

std::string MainWindow::counterCaption(Player player) const {
    return counterLabel(player)->text().toStdString();
}

void MainWindow::setCounterCaption(Player player, std::string_view caption) {
    counterLabel(player)->setText(
        QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
}

std::string MainWindow::countdownCaption() const {
    return countdown_->text().toStdString();
}

void MainWindow::setCountdownCaption(std::string_view caption) {
    countdown_->setText(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
    countdown_->adjustSize();
}

bool MainWindow::countdownVisible() const {
    return countdown_->isVisibleTo(centralWidget());
}
void MainWindow::setCountdownVisible(bool visible) {
    countdown_->setVisible(visible);
}

bool MainWindow::timerEnabled(Timer which) const {
    return timers_.enabled(which);
}
void MainWindow::setTimerEnabled(Timer which, bool enabled) {
    timers_.setEnabled(which, enabled);
}
int MainWindow::timerInterval(Timer which) const {
    return timers_.interval(which);
}
void MainWindow::setTimerInterval(Timer which, int milliseconds) {
    timers_.setInterval(which, milliseconds);
}

QAction* MainWindow::menuAction(MenuItem item) const {
    switch (item) {
    case MenuItem::Pauza:
        return pauza_;
    case MenuItem::KoniecGry:
        return koniecGry_;
    case MenuItem::Speed1:
    case MenuItem::Speed2:
    case MenuItem::Speed3:
    case MenuItem::Speed4:
        return speeds_[static_cast<std::size_t>(item) - static_cast<std::size_t>(MenuItem::Speed1)];
    }
    return nullptr;
}

bool MainWindow::menuEnabled(MenuItem item) const {
    return menuAction(item)->isEnabled();
}
void MainWindow::setMenuEnabled(MenuItem item, bool enabled) {
    menuAction(item)->setEnabled(enabled);
}
bool MainWindow::menuChecked(MenuItem item) const {
    return menuAction(item)->isChecked();
}
void MainWindow::setMenuChecked(MenuItem item, bool checked) {
    menuAction(item)->setChecked(checked);
}

// Paints synchronously: the window, and every cell that changed since the last paint, except
// that the board first shows the last move for one whole refresh.
void MainWindow::repaintNow() {
    board_->holdLastMove();
    repaint();
}

void MainWindow::showGameOver() {
    GameOverDialog dialog(*this, openUrl_, this);
    // The board loses the keyboard only once the dialog is active; no pad event may come
    // between.
    pads_.setListening(false);
    dialog.exec();
    pads_.setListening(board_->hasFocus());
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (const auto code = virtualKeyCode(event->key(), event->nativeScanCode())) {
        heldKeys_.keyDown(*code, modifierMask(event->modifiers()));
        return;
    }
    // F10 opens the menu, as desktops expect of a window with a menu bar.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::NoModifier) {
        menuBar()->setActiveAction(plik_->menuAction());
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Once the board has lost the keyboard (another window, a menu), the release of a held
    // turbo key would never arrive; let go of both now rather than leave one on for ever.
    //
    // Pads are heard only while the board has the keyboard, as keys are: SDL reports pads
    // whichever window is active, and a pad must not steer a game that the players have left
    // for another program, a menu or the game-over window.
    if (watched == board_ && event->type() == QEvent::FocusOut) {
        heldKeys_.releaseAll();
        pads_.setListening(false);
    }
    if (watched == board_ && event->type() == QEvent::FocusIn) {
        pads_.setListening(true);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::keyReleaseEvent(QKeyEvent* event) {
    // X11 reports a held key as release/press pairs; only the real release lets go of it.
    if (event->isAutoRepeat()) {
        return;
    }
    if (const auto code = virtualKeyCode(event->key(), event->nativeScanCode())) {
        heldKeys_.keyUp(*code, modifierMask(event->modifiers()));
        return;
    }
    QMainWindow::keyReleaseEvent(event);
}
