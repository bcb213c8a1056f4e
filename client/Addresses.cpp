// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Addresses.h"

#include "Codec.h"

#include <algorithm>
#include <cctype>

namespace zirvel::client {

namespace {

constexpr std::string_view InviteQuery = "pokoj=";
constexpr std::string_view StartPage = "zirvel2.html";

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char a, char b) { return lower(a) == lower(b); });
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

std::optional<std::string> webSocketUrl(std::string_view server, std::string_view code) {
    server = trimmed(server);
    const struct {
        std::string_view page;
        std::string_view socket;
    } schemes[] = {{"https://", "wss://"}, {"http://", "ws://"}};
    const auto scheme =
        std::find_if(std::begin(schemes), std::end(schemes),
                     [server](const auto& s) { return startsWithNoCase(server, s.page); });
    if (scheme == std::end(schemes)) {
        return std::nullopt;
    }
    server.remove_prefix(scheme->page.size());
    const std::string_view host = server.substr(0, server.find_first_of("/?#"));
    // No user name or password either: nothing but host and port goes into the address.
    if (host.empty() || std::any_of(host.begin(), host.end(), [](char c) {
            return static_cast<unsigned char>(c) <= ' ' || c == '@' || c == '\\';
        })) {
        return std::nullopt;
    }
    std::string url(scheme->socket);
    url += host;
    url += "/ws?room=";
    url += code;
    return url;
}

std::string inviteLink(std::string_view server, std::string_view code) {
    std::string link(trimmed(server));
    if (link.empty() || link.back() != '/') {
        link += '/';
    }
    link += StartPage;
    link += '?';
    link += InviteQuery;
    link += code;
    return link;
}

std::optional<std::string> roomCodeFrom(std::string_view typed) {
    std::string text;
    for (char c : typed) {
        if (!std::isspace(static_cast<unsigned char>(c))) {
            text += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    // In a link the code is the query's `pokoj`, up to the next parameter or the fragment.
    for (const char* separator : {"?", "&"}) {
        std::string parameter = separator;
        for (char c : InviteQuery) {
            parameter += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        if (const std::size_t found = text.find(parameter); found != std::string::npos) {
            const std::size_t start = found + parameter.size();
            text = text.substr(start, text.find_first_of("&#", start) - start);
            break;
        }
    }
    if (!protocol::isRoomCode(text)) {
        return std::nullopt;
    }
    return text;
}

} // namespace zirvel::client
