#pragma once

#include <QStringView>

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
