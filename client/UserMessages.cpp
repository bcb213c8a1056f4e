// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "UserMessages.h"

#include <algorithm>
#include <iterator>

namespace zirvel::client {

namespace {

using protocol::Reason;

struct ReasonText {
    Reason reason;
    std::string_view text;
};

// OtherVersion has its own wording, with both versions.
constexpr ReasonText ReasonTexts[] = {
    {Reason::HelloFirst, "Serwer nie zrozumiał gry: błąd protokołu."},
    {Reason::BadMessage, "Serwer nie zrozumiał gry: błąd protokołu."},
    {Reason::NoSuchRoom, "Nie ma pokoju o tym kodzie. Sprawdź kod i spróbuj jeszcze raz."},
    {Reason::RoomFull, "Pokój jest pełny: nie ma w nim już miejsca nawet dla widza."},
    {Reason::InRoom, "Jesteś już w pokoju."},
    {Reason::NotInRoom, "Nie jesteś w żadnym pokoju."},
    {Reason::Watcher, "Widz nie wydaje poleceń."},
    {Reason::Disabled, "To polecenie jest teraz niedostępne."},
    {Reason::NoGameOver, "Okno końca gry jest już zamknięte."},
    {Reason::RoomTaken, "Nie udało się założyć pokoju: każdy wylosowany kod był zajęty. Spróbuj "
                        "jeszcze raz."},
    {Reason::NoSeat, "Twoje miejsce w pokoju już na ciebie nie czeka: minęło 30 sekund albo "
                     "serwer uruchomiono ponownie, a pokoje tego nie przetrwają."},
    {Reason::ServerFull, "Serwer nie przyjmuje teraz nowych pokoi. Spróbuj później."},
};

struct NoticeText {
    Notice notice;
    std::string_view text; // the server's address follows texts that end with a space
};

constexpr NoticeText NoticeTexts[] = {
    {Notice::Unreachable, "Nie można połączyć się z serwerem "},
    {Notice::BadAddress, "Adres serwera musi zaczynać się od http:// albo https://, a podano: "},
    {Notice::ConnectionLost, "Połączenie z serwerem zostało przerwane."},
    {Notice::RejoinFailed,
     "Połączenie z serwerem zostało przerwane i nie udało się wrócić do pokoju."},
    {Notice::Stopping, "Serwer kończy pracę: pokój został zamknięty i nie wróci po ponownym "
                       "uruchomieniu serwera."},
    {Notice::RedLeft, "Gracz czerwony opuścił pokój."},
    {Notice::BlueLeft, "Gracz niebieski opuścił pokój."},
};

} // namespace

std::string messageFor(const protocol::Refused& refused) {
    if (refused.reason == Reason::OtherVersion) {
        return "Serwer używa innej wersji gry online (" + std::to_string(refused.version) +
               ") niż ta gra (" + std::to_string(protocol::Version) +
               "). Zaktualizuj grę albo wybierz inny serwer.";
    }
    const auto found =
        std::find_if(std::begin(ReasonTexts), std::end(ReasonTexts),
                     [&](const ReasonText& entry) { return entry.reason == refused.reason; });
    return std::string(found == std::end(ReasonTexts) ? ReasonTexts[1].text : found->text);
}

std::string messageFor(Notice notice, std::string_view server) {
    const auto found =
        std::find_if(std::begin(NoticeTexts), std::end(NoticeTexts),
                     [&](const NoticeText& entry) { return entry.notice == notice; });
    std::string text(found->text);
    if (text.back() == ' ') {
        text += server;
        text += '.';
    }
    return text;
}

} // namespace zirvel::client
