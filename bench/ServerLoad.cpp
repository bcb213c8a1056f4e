// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Simulated players for zirvel2-server, in a process of their own: rooms of two players who
// steer by what their screens show, at random but never into a wall or a trail they can see, as
// a person reacting to each move would. Keys go out only right after a move has been seen, at
// most a press and a release per move, well under the server's limit of messages per connection.
//
// It reports, for a window of play, how soon a key shows on the other player's screen and how
// late each move reaches the screens against the room's tick schedule, for bench/server_load.py,
// which starts the server and reads the server's own figures beside these. Lines on standard
// output: "ready N" once N rooms are seated, "window" and "end" around the measured window, then
// one JSON object of the figures.
//
// The key's time to the screen includes the rules' own wait for the next tick, which a local
// game has too (up to a whole normal tick). What the network and the server add is the rest: the
// time from the tick after the move the player answered, which a local game would show the turn
// at, to the turn on the other screen; a key that misses that tick costs a whole interval. The
// schedule is read off each round's moves: ticks come at exact multiples of the normal interval,
// and the least delayed move of the round marks the grid.
#include "BenchSupport.h"
#include "Board.h"
#include "Codec.h"
#include "Colour.h"
#include "Direction.h"
#include "EpollEventDispatcher.h"
#include "Overloaded.h"
#include "RoomCode.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QUrlQuery>
#include <QWebSocket>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <random>
#include <sys/resource.h>
#include <vector>

using namespace zirvel;
namespace protocol = zirvel::protocol;

namespace {

double nowMs() {
    return static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count()) /
           1e6;
}

std::uint32_t packed(Colour colour) {
    return static_cast<std::uint32_t>(colour.red) << 16 |
           static_cast<std::uint32_t>(colour.green) << 8 | colour.blue;
}

// The normal tick of each speed level, 1 to 4, as the rules have it.
constexpr std::array<double, 5> NormalTick{0, 800, 600, 200, 50};
// The chance of turning on any move when the way ahead is free.
constexpr double TurnChance = 0.1;

// What the whole run gathers.
struct Figures {
    std::vector<double> keyToScreen;     // ms from sending a key to the move on the other screen
    std::vector<double> keyAfterTick;    // the same from the tick it was in time for
    std::vector<double> screenLateness;  // ms a move reached a screen after its tick
    std::vector<double> worstRoomScreen; // each room's p99 of the same
    long long bytes = 0;                 // text received by all clients in the window
    long long wireBytes = 0;             // with the WebSocket frames' headers
    long long messages = 0;
    int crashes = 0;
    int refusals = 0;
    int dropped = 0;
};

// The cell one step ahead, or empty where the step leaves the board or wraps a side edge.
std::optional<int> ahead(int head, Heading heading) {
    const int column = board::columnOf(head);
    if ((heading == Heading::Left && column == 0) ||
        (heading == Heading::Right && column == board::Columns - 1)) {
        return std::nullopt;
    }
    const int next = head + board::step(heading);
    return board::contains(next) ? std::optional<int>(next) : std::nullopt;
}

std::optional<Heading> headingBetween(int from, int to) {
    for (Heading heading : {Heading::Up, Heading::Down, Heading::Left, Heading::Right}) {
        if (ahead(from, heading) == to) {
            return heading;
        }
    }
    return std::nullopt;
}

class Duel;

struct KeyShown {
    double seen;  // the move its player answered with it reached that player's screen
    double sent;  // the key went out
    double shown; // the turn reached the other screen
};

// One connection: a seat's client, or a bare greeted one.
class Client {
public:
    Client(Duel* duel, protocol::Seat seat, Figures& figures)
        : duel_(duel)
        , seat_(seat)
        , figures_(figures) {
        QObject::connect(&socket_, &QWebSocket::textMessageReceived,
                         [this](const QString& text) { received(text); });
        QObject::connect(&socket_, &QWebSocket::connected, [this] {
            // As players' browsers and the desktop game do: keys leave at once.
            if (auto* tcp = socket_.findChild<QAbstractSocket*>()) {
                tcp->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            }
            say(protocol::Hello{protocol::Version});
        });
        QObject::connect(&socket_, &QWebSocket::disconnected, [this] {
            if (!closing) {
                ++figures_.dropped;
            }
        });
    }

    void open(const QUrl& url) { socket_.open(url); }
    void say(const protocol::ClientMessage& message) {
        socket_.sendTextMessage(QString::fromStdString(protocol::encode(message)));
    }
    void close() {
        closing = true;
        socket_.close();
    }

    std::function<void()> onGreeted; // a bare connection's
    bool greeted = false;
    bool seated = false;
    bool closing = false;
    bool measuring = false;
    std::array<std::uint32_t, board::CellCount> cells{};
    int head = 0;
    // This round's arrivals of moves, and keys of the other player it showed.
    std::vector<double> arrivals;
    std::vector<KeyShown> keys;

private:
    void received(const QString& text);

    Duel* duel_;
    protocol::Seat seat_;
    Figures& figures_;
    QWebSocket socket_;
};

// A room and its two players.
class Duel {
public:
    Duel(const QUrl& base, int speed, std::uint32_t seed, Figures& figures)
        : code_(protocol::newRoomCode(protocol::systemRandomBytes))
        , url_(base)
        , interval_(NormalTick.at(static_cast<std::size_t>(speed)))
        , speed_(speed)
        , random_(seed)
        , red_(this, protocol::Seat::Red, figures)
        , blue_(this, protocol::Seat::Blue, figures)
        , figures_(figures) {
        QUrlQuery query;
        query.addQueryItem(QString::fromLatin1(protocol::RoomQuery.data(),
                                               static_cast<int>(protocol::RoomQuery.size())),
                           QString::fromStdString(code_));
        url_.setPath(QString::fromLatin1(protocol::WebSocketPath.data(),
                                         static_cast<int>(protocol::WebSocketPath.size())));
        url_.setQuery(query);
    }

    // Seats red, then blue; `seated` once both are in.
    void open(std::function<void()> seated) {
        seatedCallback_ = std::move(seated);
        red_.open(url_);
    }
    void play() {
        red_.say(protocol::ChooseSpeed{speed_});
        red_.say(protocol::MenuCommand{protocol::Command::NowaGra});
    }
    void measure(bool on) {
        for (Client* client : {&red_, &blue_}) {
            if (!on) {
                endRound(*client, false);
            }
            client->measuring = on;
        }
        if (!on && !screen_.empty()) {
            figures_.worstRoomScreen.push_back(bench::percentile(screen_, 0.99));
        }
    }
    void close() {
        red_.close();
        blue_.close();
    }

    void greeted(Client& client) {
        if (&client == &red_) {
            red_.say(protocol::CreateRoom{code_});
        } else {
            blue_.say(protocol::JoinRoom{code_});
        }
    }
    void welcomed(Client& client) {
        if (&client == &red_) {
            blue_.open(url_);
        } else if (seatedCallback_) {
            std::exchange(seatedCallback_, nullptr)();
        }
    }
    void painted(Client& client, const protocol::Paint& paint, double at);
    // The round's schedule ends with its last move: at a crash, whose new board came on the
    // crash's tick, which may be a fast one, or at the end of the window.
    void endRound(Client& client, bool crashed);

private:
    struct Turn {
        Heading heading;
        double sent;
        double seen; // when the move the key answers reached its player's screen
        int target;
    };
    struct Side {
        Client& client;
        std::uint32_t headColour;
        std::optional<Heading> heading;
        std::optional<Turn> turn; // sent, not yet seen on this side's own screen
    };

    Side& sideOf(Client& client) { return &client == &red_ ? redSide_ : blueSide_; }
    Side& otherOf(Client& client) { return &client == &red_ ? blueSide_ : redSide_; }
    void steer(Side& side, double seen);
    bool free(const Client& client, int head, Heading heading) const {
        const std::optional<int> next = ahead(head, heading);
        return next && client.cells[static_cast<std::size_t>(*next - 1)] == 0;
    }

    std::string code_;
    QUrl url_;
    double interval_;
    int speed_;
    std::mt19937 random_;
    Client red_;
    Client blue_;
    Figures& figures_;
    Side redSide_{red_, packed(colours::Player1Head), std::nullopt, std::nullopt};
    Side blueSide_{blue_, packed(colours::Player2Head), std::nullopt, std::nullopt};
    // Keys on their way to the other screen: the turn, and where it shows there.
    std::array<std::optional<Turn>, 2> inFlight_{};
    std::vector<double> screen_;
    std::function<void()> seatedCallback_;
};

void Client::received(const QString& text) {
    const double at = nowMs();
    const std::string utf8 = text.toStdString();
    if (measuring) {
        figures_.bytes += static_cast<long long>(utf8.size());
        // A server's frames are unmasked: 2 bytes of header, 4 from 126 bytes on.
        figures_.wireBytes += static_cast<long long>(utf8.size()) + (utf8.size() < 126 ? 2 : 4);
        ++figures_.messages;
    }
    const std::optional<protocol::ServerMessage> message = protocol::decodeServer(utf8);
    if (!message) {
        ++figures_.refusals;
        return;
    }
    std::visit(protocol::Overloaded{
                   [&](const protocol::HelloAnswer&) {
                       greeted = true;
                       if (duel_) {
                           duel_->greeted(*this);
                       } else if (onGreeted) {
                           onGreeted();
                       }
                   },
                   [&](const protocol::Welcome&) {
                       if (!duel_) {
                           return;
                       }
                       seated = true;
                       duel_->welcomed(*this);
                   },
                   [&](const protocol::Paint& paint) {
                       if (!duel_) {
                           return;
                       }
                       for (const protocol::Cell& cell : paint.cells) {
                           cells[static_cast<std::size_t>(cell.index - 1)] = cell.rgb;
                       }
                       duel_->painted(*this, paint, at);
                   },
                   [&](const protocol::Counters&) {
                       if (!duel_) {
                           return;
                       }
                       if (seat_ == protocol::Seat::Red && measuring) {
                           ++figures_.crashes;
                       }
                       duel_->endRound(*this, true);
                   },
                   [&](const protocol::Ping& ping) { say(protocol::Pong{ping.id}); },
                   [&](const protocol::Refused&) { ++figures_.refusals; },
                   [](const auto&) {},
               },
               *message);
}

void Duel::painted(Client& client, const protocol::Paint& paint, double at) {
    if (client.measuring) {
        client.arrivals.push_back(at);
    }
    Side& own = sideOf(client);
    Side& other = otherOf(client);
    std::optional<int> ownHead;
    std::optional<int> otherHead;
    for (const protocol::Cell& cell : paint.cells) {
        if (cell.rgb == own.headColour) {
            ownHead = cell.index;
        } else if (cell.rgb == other.headColour) {
            otherHead = cell.index;
        }
    }
    // The other player's key, as this screen shows it: where it was aimed, or, if it came too
    // late for that tick, one move on.
    std::optional<Turn>& flying = inFlight_[&client == &red_ ? 1 : 0];
    if (otherHead && flying) {
        if (*otherHead == flying->target) {
            if (client.measuring && flying->sent >= 0) {
                client.keys.push_back({flying->seen, flying->sent, at});
            }
            flying.reset();
        } else if (const std::optional<int> next = ahead(*otherHead, flying->heading)) {
            flying->target = *next;
        } else {
            flying.reset();
        }
    }
    if (!ownHead) {
        return;
    }
    const std::optional<Heading> moved = headingBetween(client.head, *ownHead);
    client.head = *ownHead;
    own.heading = moved;
    if (!moved) {
        own.turn.reset(); // a new round's board
        return;
    }
    if (own.turn) {
        if (*moved != own.turn->heading) {
            return; // the turn has not reached the rules yet
        }
        own.turn.reset();
    }
    steer(own, at);
}

void Duel::steer(Side& side, double seen) {
    const Client& client = side.client;
    const Heading heading = *side.heading;
    const bool blocked = !free(client, client.head, heading);
    if (!blocked && std::uniform_real_distribution<double>(0.0, 1.0)(random_) >= TurnChance) {
        return;
    }
    std::vector<Heading> ways;
    for (Heading way : {Heading::Up, Heading::Down, Heading::Left, Heading::Right}) {
        if (way != heading && way != opposite(heading) && free(client, client.head, way)) {
            ways.push_back(way);
        }
    }
    if (ways.empty()) {
        return; // trapped: the crash comes
    }
    const Heading way =
        ways[std::uniform_int_distribution<std::size_t>(0, ways.size() - 1)(random_)];
    protocol::Key key = protocol::Key::Up;
    switch (way) {
    case Heading::Up:
        key = protocol::Key::Up;
        break;
    case Heading::Down:
        key = protocol::Key::Down;
        break;
    case Heading::Left:
        key = protocol::Key::Left;
        break;
    case Heading::Right:
        key = protocol::Key::Right;
        break;
    }
    Client& sender = side.client;
    const double sent = nowMs();
    sender.say(protocol::KeyEvent{key, true, protocol::KeyOrigin::Keyboard});
    sender.say(protocol::KeyEvent{key, false, protocol::KeyOrigin::Keyboard});
    const Turn turn{way, sender.measuring ? sent : -1.0, seen, *ahead(client.head, way)};
    side.turn = turn;
    inFlight_[&side == &redSide_ ? 0 : 1] = turn;
}

void Duel::endRound(Client& client, bool crashed) {
    std::vector<double>& arrivals = client.arrivals;
    if (crashed && !arrivals.empty()) {
        arrivals.pop_back();
    }
    if (!arrivals.empty()) {
        // The grid through the least delayed move of the round.
        const double first = arrivals.front();
        double earliest = 0.0;
        for (double at : arrivals) {
            const double offset = at - first - std::round((at - first) / interval_) * interval_;
            earliest = std::min(earliest, offset);
        }
        const double origin = first + earliest;
        const auto tickOf = [&](double at) {
            return origin + std::round((at - origin) / interval_) * interval_;
        };
        for (double at : arrivals) {
            const double late = at - tickOf(at);
            figures_.screenLateness.push_back(late);
            screen_.push_back(late);
        }
        // The tick after the move the key answered: where a local game would show the turn.
        for (const KeyShown& key : client.keys) {
            const double due = tickOf(key.seen) + interval_;
            figures_.keyToScreen.push_back(key.shown - key.sent);
            figures_.keyAfterTick.push_back(key.shown - due);
        }
    }
    arrivals.clear();
    client.keys.clear();
    inFlight_[&client == &red_ ? 1 : 0].reset();
}

QJsonObject percentiles(const std::vector<double>& values) {
    return QJsonObject{{QStringLiteral("count"), static_cast<qint64>(values.size())},
                       {QStringLiteral("p50"), bench::percentile(values, 0.5)},
                       {QStringLiteral("p99"), bench::percentile(values, 0.99)}};
}

void say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[]) {
    // Qt's own loop would cost the players more than the server, at two thousand sockets.
    QCoreApplication::setEventDispatcher(new zirvel::server::EpollEventDispatcher);
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated players for zirvel2-server."));
    parser.addHelpOption();
    const QCommandLineOption urlOption(QStringLiteral("url"), QStringLiteral("The server."),
                                       QStringLiteral("URL"),
                                       QStringLiteral("ws://127.0.0.1:8642"));
    const QCommandLineOption roomsOption(QStringLiteral("rooms"), QStringLiteral("Rooms."),
                                         QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption connectionsOption(
        QStringLiteral("connections"), QStringLiteral("Greeted connections in no room instead."),
        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption speedOption(QStringLiteral("speed"), QStringLiteral("1 to 4."),
                                         QStringLiteral("LEVEL"), QStringLiteral("4"));
    const QCommandLineOption warmupOption(QStringLiteral("warmup"),
                                          QStringLiteral("Seconds of play before the window."),
                                          QStringLiteral("S"), QStringLiteral("2"));
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("Seconds measured, or idled."),
                                           QStringLiteral("S"), QStringLiteral("10"));
    const QCommandLineOption idleOption(QStringLiteral("idle"),
                                        QStringLiteral("Seat the rooms and play nothing."));
    parser.addOptions({urlOption, roomsOption, connectionsOption, speedOption, warmupOption,
                       secondsOption, idleOption});
    parser.process(app);

    // Two sockets a room, more than the usual default of open files.
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);

    const QUrl base(parser.value(urlOption));
    const int rooms = std::max(0, parser.value(roomsOption).toInt());
    const int connections = std::max(0, parser.value(connectionsOption).toInt());
    const int speed = std::clamp(parser.value(speedOption).toInt(), 1, 4);
    const double warmup = std::max(0.0, parser.value(warmupOption).toDouble());
    const double seconds = std::max(0.1, parser.value(secondsOption).toDouble());
    const bool idle = parser.isSet(idleOption);

    Figures figures;
    std::vector<std::unique_ptr<Duel>> duels;
    std::vector<std::unique_ptr<Client>> bare;
    // Handshakes a few at a time, as players arrive, not all in one burst.
    constexpr int Opening = 32;
    int seated = 0;
    int opened = 0;
    const double setupStart = nowMs();
    double setupSeconds = 0.0;
    QTimer deadline;
    deadline.setSingleShot(true);

    const auto finish = [&] {
        for (const auto& duel : duels) {
            duel->measure(false);
        }
        say("end");
        const double window = seconds;
        const double clients = 2.0 * static_cast<double>(std::max(1, seated));
        QJsonObject result{
            {QStringLiteral("rooms"), seated},
            {QStringLiteral("speed"), speed},
            {QStringLiteral("seconds"), window},
            {QStringLiteral("setup_seconds"), setupSeconds},
            {QStringLiteral("key_to_screen"), percentiles(figures.keyToScreen)},
            {QStringLiteral("key_after_tick"), percentiles(figures.keyAfterTick)},
            {QStringLiteral("screen_lateness"), percentiles(figures.screenLateness)},
            {QStringLiteral("worst_room_screen_p99"),
             figures.worstRoomScreen.empty() ? 0.0
                                             : *std::max_element(figures.worstRoomScreen.begin(),
                                                                 figures.worstRoomScreen.end())},
            {QStringLiteral("bytes_per_client_second"),
             static_cast<double>(figures.bytes) / clients / window},
            {QStringLiteral("wire_bytes_per_client_second"),
             static_cast<double>(figures.wireBytes) / clients / window},
            {QStringLiteral("messages_per_client_second"),
             static_cast<double>(figures.messages) / clients / window},
            {QStringLiteral("crashes"), figures.crashes},
            {QStringLiteral("refusals"), figures.refusals},
            {QStringLiteral("dropped"), figures.dropped},
        };
        std::printf("%s\n", QJsonDocument(result).toJson(QJsonDocument::Compact).constData());
        std::fflush(stdout);
        for (const auto& duel : duels) {
            duel->close();
        }
        for (const auto& client : bare) {
            client->close();
        }
        QTimer::singleShot(200, &app, &QCoreApplication::quit);
    };

    const auto allSeated = [&] {
        setupSeconds = (nowMs() - setupStart) / 1000.0;
        std::printf("ready %d\n", seated);
        std::fflush(stdout);
        if (idle || duels.empty()) {
            QTimer::singleShot(static_cast<int>(seconds * 1000), &app, [&] {
                for (const auto& duel : duels) {
                    duel->close();
                }
                for (const auto& client : bare) {
                    client->close();
                }
                QTimer::singleShot(200, &app, &QCoreApplication::quit);
            });
            return;
        }
        // Rooms start over up to a second, so that their ticks do not all fall at once.
        const int startSpread = std::min(1000, 10 * static_cast<int>(duels.size()));
        const double spread = startSpread / static_cast<double>(duels.size());
        for (std::size_t i = 0; i < duels.size(); ++i) {
            QTimer::singleShot(static_cast<int>(static_cast<double>(i) * spread), &app,
                               [&duels, i] { duels[i]->play(); });
        }
        // The countdown of the last room, then the warm-up.
        const int start = startSpread + 2800 + static_cast<int>(warmup * 1000);
        QTimer::singleShot(start, &app, [&] {
            say("window");
            for (const auto& duel : duels) {
                duel->measure(true);
            }
            QTimer::singleShot(static_cast<int>(seconds * 1000), Qt::PreciseTimer, &app, finish);
        });
    };

    std::function<void()> openNext;
    openNext = [&] {
        if (opened >= rooms + connections) {
            return;
        }
        const int index = opened++;
        const auto done = [&] {
            ++seated;
            if (seated == rooms + connections) {
                deadline.stop();
                allSeated();
            } else {
                openNext();
            }
        };
        if (index < rooms) {
            duels.push_back(
                std::make_unique<Duel>(base, speed, static_cast<std::uint32_t>(index), figures));
            duels.back()->open(done);
        } else {
            auto client = std::make_unique<Client>(nullptr, protocol::Seat::Watcher, figures);
            Client* raw = client.get();
            bare.push_back(std::move(client));
            QUrl url = base;
            url.setPath(QString::fromLatin1(protocol::WebSocketPath.data(),
                                            static_cast<int>(protocol::WebSocketPath.size())));
            raw->onGreeted = done;
            raw->open(url);
        }
    };
    // What did not get seated in time is reported as such.
    QObject::connect(&deadline, &QTimer::timeout, &app, [&] {
        std::fprintf(stderr, "zirvel2_server_load: only %d of %d seated\n", seated,
                     rooms + connections);
        allSeated();
    });
    deadline.start(120000);
    for (int i = 0; i < Opening; ++i) {
        openNext();
    }
    if (rooms + connections == 0) {
        allSeated();
    }
    return QCoreApplication::exec();
}
