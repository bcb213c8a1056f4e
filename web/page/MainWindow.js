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
    this.layout = new WindowLayout({ window: this.element, help: $('help') },
                                   this.boardView, this.listeners, this.stats);
    this.menu = new MenuBar({ menus: [{ button: $('mnuplik'), menu: $('menu-plik') },
                                      { button: $('mnugracze'), menu: $('menu-gracze') }] },
                            this, this.listeners);
    this.dialog = new GameOverDialog({ frame: $('dialog-frame'), client: $('frmKoniecgry'),
                                       veil: $('veil'), link: $('Label3'), zamknij: $('cmdkoniec'),
                                       counters: [$('Label2(0)'), $('Label2(1)')] },
                                     this, this.listeners);
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
      setMenu: (item, enabled, checked) =>
        this.menu.setItem(document.querySelector(`[data-item="${item}"]`), enabled, checked),
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
    if (item.dataset.command === 'quit') {
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

  // The board loses the keyboard to the menu, as on the desktop.
  menuOpened() {
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

  // "Koniec": nothing runs any more. A page may close only a window that a script opened, so
  // where it cannot, it says that the game has ended.
  quit() {
    this.game('quit');
    this.ended = true;
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

new MainWindow().start();
