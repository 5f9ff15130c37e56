// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Numeric IP addresses as written in settings, checked without the network
// library or any name lookup. What passes here converts to a network address
// as it is.

// Dotted decimal, four numbers 0 to 255 without leading zeros ("010" could
// be read as octal by some tools and decimal by others).
bool isIpv4Literal(QStringView text);

// Hexadecimal groups with at most one "::", optionally ending in a dotted
// IPv4 address and followed by "%scope" (a link-local address names its
// interface that way). No brackets.
bool isIpv6Literal(QStringView text);

// An address and a port as settings give them: "192.168.1.10:10110",
// "[fe80::1%eth0]:10110".
struct IpEndpoint
{
    QString address; // an IPv4 or IPv6 literal, without brackets
    quint16 port = 0;
};

// A port number from 1 to 65535 in plain decimal digits; nothing otherwise
// (a sign, blanks, a fraction, 0).
std::optional<quint16> parsePortNumber(QStringView text);

// "address:port" with a numeric address, an IPv6 address in brackets;
// nothing when the text is not exactly that.
std::optional<IpEndpoint> parseIpEndpoint(QStringView text);

// The endpoint written the way parseIpEndpoint reads it.
QString ipEndpointText(const IpEndpoint &endpoint);
