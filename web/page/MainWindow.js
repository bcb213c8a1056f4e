// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The page's main window: it puts the board, the menu, the game-over dialog, the keys and the
// timers together, shows what the game hands it, and carries out the window's commands. The
// game itself runs in WebAssembly; `Module.page` is what it calls.
class MainWindow {
  constructor() {
    this.listeners = new Listeners();
    this.started = false;
    this.ended = false;
    this.element = $('window');
    this.board = $('board');
    this.countdown = $('Label2');
    // Measurements for the benchmarks; nothing is kept unless they ask.
    this.stats = { recording: false, ticks: [], layouts: [], firstBoard: null,
                   refreshInterval: FormTimers.DefaultRefreshInterval };
    this.boardView = new BoardView(this.board);
    this.roomBar = new RoomBar({ bar: $('room-bar'), status: $('room-status'),
                                 link: $('room-link'), copy: $('room-copy'),
                                 copied: $('room-copied') }, this.listeners);
    this.layout = new WindowLayout({ window: this.element, help: $('help'), room: $('room-bar') },
                                   this.boardView, this.listeners, this.stats);
    this.menu = new MenuBar({ menus: [{ button: $('mnuplik'), menu: $('menu-plik') },
                                      { button: $('mnugracze'), menu: $('menu-gracze') }] },
                            this, this.listeners);
    this.dialog = new GameOverDialog({ frame: $('dialog-frame'), client: $('frmKoniecgry'),
                                       veil: $('veil'), link: $('Label3'), zamknij: $('cmdkoniec'),
                                       counters: [$('Label2(0)'), $('Label2(1)')] },
                                     this, this.listeners);
    this.joinDialog = new JoinDialog({ frame: $('join-frame'), form: $('join-form'),
                                       code: $('join-code'), error: $('join-error'),
                                       cancel: $('join-cancel') }, this, this.listeners);
    this.messages = new MessageBox({ frame: $('message-frame'), text: $('message-text'),
                                     ok: $('message-ok') }, this.listeners);
    this.socket = new RoomSocket(this);
    // Whether the page's server plays online: 'checking', 'yes', 'no', or 'disk' for a page
    // opened from disk.
    this.online = RoomSocket.server() ? 'checking' : 'disk';
    this.roomTimer = null;
    // The menu states the game last gave, which a watcher sees disabled.
    this.menuStates = new Map();
    this.keys = new KeyMapping(this, this.listeners);
    this.pads = new Gamepads(this, this.listeners);
    this.touches = new Touches(this, this.listeners);
    this.awake = new ScreenAwake(this.listeners);
    this.prompt = $('prompt');
    // Whether a game has started, and whether its round runs rather than stands paused.
    this.round = { started: false, running: false };
    this.timers = new FormTimers((...args) => this.game(...args));
  }

  start() {
    this.layout.start();
    this.menu.start();
    this.dialog.start();
    this.joinDialog.start();
    this.messages.start();
    this.roomBar.start();
    this.keys.start();
    this.touches.start();
    this.awake.start();
    this.listeners.on(this.prompt, 'click', () => this.run('nowaGra'));
    Module.page = this.pageInterface();
    Module.onRuntimeInitialized = () => {
      this.started = true;
      Module._zirvel_start(FormTimers.DefaultRefreshInterval);
      if (document.hidden) {
        this.game('set_hidden', 1);
      }
      this.focusBoard();
      this.pads.start();
      this.showRoomMenu();
      RoomSocket.probe((available) => this.onlineFound(available));
      this.stats.firstBoard = performance.now();
      requestAnimationFrame(() => {
        this.stats.firstFrame = performance.now();
        this.timers.measureRefreshInterval((interval) => {
          this.stats.refreshInterval = interval;
          this.game('set_refresh_interval', interval);
        });
      });
    };
  }

  // Calls one of the game's entry points, once it runs and until it has ended.
  game(name, ...args) {
    return this.started && !this.ended ? Module['_zirvel_' + name](...args) : 0;
  }

  // Calls an entry point that reads texts: the game takes each, by its place, while it runs.
  gameWithTexts(name, texts) {
    Module.page.handed = texts;
    try {
      return this.game(name);
    } finally {
      Module.page.handed = [];
    }
  }

  // What the game calls.
  pageInterface() {
    return {
      armWakeUp: (milliseconds) => this.timers.armWakeUp(milliseconds),
      armHoldEnd: (milliseconds) => this.timers.armHoldEnd(milliseconds),
      paintCell: (index, red, green, blue) => this.boardView.paintCell(index, red, green, blue),
      setCounter: (player, caption) => {
        $(`Label3(${player})`).querySelector('.count').textContent = caption;
      },
      setCountdown: (caption, visible) => {
        this.countdown.textContent = caption;
        this.countdown.hidden = !visible;
      },
      setMenu: (item, enabled, checked) => {
        this.menuStates.set(item, { enabled, checked });
        this.showMenuItem(item);
      },
      setSeat: (player, choice) => {
        for (const item of document.querySelectorAll(`[data-player="${player}"]`)) {
          item.setAttribute('aria-checked', String(Number(item.dataset.choice) === choice));
        }
      },
      showGameOver: (counter1, counter2) => {
        this.menu.close();
        this.game('focus_lost');
        this.dialog.show(counter1, counter2);
        this.showPrompt();
        this.pads.read();
      },
      setRound: (started, running) => this.roundChanged(started, running),
      timerFired: (timer, due, clock) => {
        if (this.stats.recording) {
          this.stats.ticks.push([timer, due, clock]);
        }
      },
      handed: [],
      openSocket: (url) => this.socket.open(url),
      sendSocket: (text) => this.socket.send(text),
      closeSocket: () => this.socket.close(),
      armRoomWakeUp: (milliseconds) => {
        clearTimeout(this.roomTimer);
        this.roomTimer = milliseconds < 0 ? null
            : setTimeout(() => this.game('room_wake_up'), Math.ceil(milliseconds));
      },
      armRoomHoldEnd: (milliseconds) => {
        clearTimeout(this.roomHoldTimer);
        this.roomHoldTimer = setTimeout(() => this.game('room_hold_ended'), Math.ceil(milliseconds));
      },
      roomEntered: () => this.roomEntered(),
      roomLeft: () => this.roomLeft(),
      showRoomStatus: (...status) => {
        this.roomBar.update(...status);
        this.showRoomMenu();
      },
      closeGameOver: () => this.closeGameOver(),
      tell: (message) => {
        this.messages.show(message);
        this.showRoomMenu();
      },
      // The room's socket, for the tests to cut.
      roomSocket: this.socket,
      // Where the board is drawn, in device pixels, for the tests and benchmarks.
      cellSize: () => this.boardView.cellSize,
      boardOrigin: () => this.boardView.origin,
      stats: this.stats,
    };
  }

  focusBoard() {
    this.board.focus({ preventScroll: true });
  }

  // The window's commands, from shortcuts and from the menu.
  run(action) {
    if (action === 'quit') {
      this.quit();
    } else {
      this.game('command', MainWindow.Commands[action]);
    }
  }

  choose(item) {
    if (item.dataset.room) {
      this.roomAction(item.dataset.room);
    } else if (item.dataset.command === 'quit') {
      this.quit();
    } else if (item.dataset.player) {
      this.game('choose_player', Number(item.dataset.player), Number(item.dataset.choice));
    } else {
      this.game('command', Number(item.dataset.command));
    }
  }

  // A game that starts takes the keyboard to the board, wherever Tab had left it, so that every
  // player's key plays; the screen stays awake while a round runs.
  roundChanged(started, running) {
    const starting = started && !this.round.started;
    this.round = { started, running };
    this.showPrompt();
    this.awake.set(running);
    if (starting && !this.menu.isOpen() && !this.dialog.isOpen()) {
      this.focusBoard();
    }
  }

  // A touch screen offers "Nowa gra" while no game runs; the page's style shows it there only.
  showPrompt() {
    this.prompt.hidden = this.round.started || this.dialog.isOpen();
  }

  // Whether a window of the page that takes every key and click is open.
  modalOpen() {
    return this.dialog.isOpen() || this.joinDialog.isOpen();
  }

  // The board loses the keyboard to the menu, as on the desktop.
  menuOpened() {
    this.showRoomMenu();
    this.game('focus_lost');
    this.pads.read();
  }

  menuClosed() {
    this.focusBoard();
    this.pads.read();
  }

  gameOverClosed(resetCounters) {
    this.game('game_over_closed', resetCounters ? 1 : 0);
    this.showPrompt();
    this.focusBoard();
    this.pads.read();
  }

  // Online play: found out once the game runs. An invitation link opens the page straight into
  // its room.
  onlineFound(available) {
    if (this.online === 'checking') {
      this.online = available ? 'yes' : 'no';
    }
    this.showRoomMenu();
    const code = new URLSearchParams(location.search).get(RoomBar.Query);
    if (code !== null) {
      this.joinRoom(JoinDialog.normalise(code));
    }
  }

  roomAction(action) {
    if (action === 'create') {
      this.gameWithTexts('room_create', [RoomSocket.server()]);
    } else if (action === 'join') {
      this.game('focus_lost');
      this.joinDialog.show();
    } else {
      this.game('room_leave');
    }
    this.showRoomMenu();
  }

  joinRoom(code) {
    this.gameWithTexts('room_join', [RoomSocket.server(), code]);
    this.showRoomMenu();
  }

  joinClosed() {
    this.focusBoard();
  }

  roomEntered() {
    this.menu.close();
    this.roomBar.show(true);
    this.layout.fit();
    this.awake.set(true);
    this.showRoomMenu();
  }

  // The room's game-over window closes everywhere once a player has closed it.
  closeGameOver() {
    if (this.dialog.isOpen()) {
      this.dialog.hide();
      this.showPrompt();
      this.focusBoard();
    }
  }

  roomLeft() {
    this.closeGameOver();
    this.roomBar.show(false);
    this.layout.fit();
    this.awake.set(this.round.running);
    // The invitation has been taken up: loading the page again opens the local game.
    if (location.search) {
      history.replaceState(history.state, '', location.pathname + location.hash);
    }
    this.showRoomMenu();
  }

  // Enabled states of the menu as online play has them: a room is created or joined from no
  // room, left from one; the seats are the local game's; a watcher gives no commands.
  showRoomMenu() {
    const idle = this.game('room_state') === 0;
    const reason = MainWindow.Offline[this.online];
    const rooms = [{ item: $('mnuzaloz'), enabled: idle }, { item: $('mnudolacz'), enabled: idle },
                   { item: $('mnuopusc'), enabled: !idle }];
    rooms.forEach(({ item, enabled }) => {
      item.setAttribute('aria-disabled', String(Boolean(reason) || !enabled));
      if (reason) {
        item.title = reason;
      } else {
        item.removeAttribute('title');
      }
    });
    for (const seat of [$('mnugracz1'), $('mnugracz2')]) {
      seat.setAttribute('aria-disabled', String(!idle));
    }
    $('mnunowagra').setAttribute('aria-disabled', String(!this.commandsAllowed()));
    for (const item of this.menuStates.keys()) {
      this.showMenuItem(item);
    }
  }

  commandsAllowed() {
    return !this.started || this.game('room_commands_allowed') !== 0;
  }

  showMenuItem(item) {
    const { enabled, checked } = this.menuStates.get(item);
    this.menu.setItem(document.querySelector(`[data-item="${item}"]`),
                      enabled && this.commandsAllowed(), checked);
  }

  // "Koniec": nothing runs any more. A page may close only a window that a script opened, so
  // where it cannot, it says that the game has ended.
  quit() {
    this.game('quit');
    this.ended = true;
    clearTimeout(this.roomTimer);
    this.timers.stop();
    this.layout.stop();
    this.awake.set(false);
    this.listeners.removeAll();
    window.close();
    for (const element of [this.element, this.board, $('help')]) {
      element.hidden = true;
    }
    $('ended').hidden = false;
  }
}

// The numbers of WebWindow::Command for the shortcuts' commands.
MainWindow.Commands = { nowaGra: 0, pauza: 1 };
// Why the page offers no online play, as its menu items' tooltips say.
MainWindow.Offline = {
  checking: 'Sprawdzam, czy serwer tej strony prowadzi grę przez sieć…',
  no: 'Serwer, z którego otwarto tę stronę, nie prowadzi gry przez sieć.',
  disk: 'Gra przez sieć działa na stronie otwartej z serwera gry, nie z dysku.',
  yes: '',
};

new MainWindow().start();
