// SPDX-License-Identifier: MIT
#include "core/ipliteral.h"

#include "core/settingstext.h"

#include <QList>

namespace {

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool isScopeCharacter(QChar c)
{
    return (c.unicode() < 0x80 && c.isLetterOrNumber()) || c == u'_' || c == u'-' || c == u'.';
}

// The number of 16-bit groups in one side of "::" (or in a whole address
// without one); -1 when the text is not such a list.
int ipv6GroupCount(QStringView text)
{
    if (text.isEmpty())
        return 0;
    const QList<QStringView> groups = text.split(u':');
    int count = 0;
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const QStringView group = groups.at(i);
        if (i == groups.size() - 1 && group.contains(u'.')) {
            if (!isIpv4Literal(group))
                return -1;
            count += 2;
            continue;
        }
        if (group.isEmpty() || group.size() > 4)
            return -1;
        for (const QChar c : group) {
            if (!isHexDigit(c))
                return -1;
        }
        ++count;
    }
    return count;
}

} // namespace

bool isIpv4Literal(QStringView text)
{
    const QList<QStringView> parts = text.split(u'.');
    if (parts.size() != 4)
        return false;
    for (const QStringView part : parts) {
        if (part.isEmpty() || part.size() > 3 || (part.size() > 1 && part.front() == u'0'))
            return false;
        int value = 0;
        for (const QChar c : part) {
            if (c < u'0' || c > u'9')
                return false;
            value = value * 10 + (c.unicode() - u'0');
        }
        if (value > 255)
            return false;
    }
    return true;
}

bool isIpv6Literal(QStringView text)
{
    const qsizetype percent = text.indexOf(u'%');
    if (percent >= 0) {
        const QStringView scope = text.mid(percent + 1);
        if (scope.isEmpty())
            return false;
        for (const QChar c : scope) {
            if (!isScopeCharacter(c))
                return false;
        }
        text = text.left(percent);
    }

    const qsizetype gap = text.indexOf(u"::");
    if (gap < 0)
        return ipv6GroupCount(text) == 8;
    // A second "::" (also ":::") would leave the zeros' position unknown.
    if (text.indexOf(u"::", gap + 1) >= 0)
        return false;
    const QStringView head = text.left(gap);
    // Only the last group may be a dotted IPv4 address.
    if (head.contains(u'.'))
        return false;
    const int headGroups = ipv6GroupCount(head);
    const int tailGroups = ipv6GroupCount(text.mid(gap + 2));
    // "::" stands for at least one group of zeros.
    return headGroups >= 0 && tailGroups >= 0 && headGroups + tailGroups <= 7;
}

std::optional<quint16> parsePortNumber(QStringView text)
{
    if (const std::optional<int> value = plainWholeNumber(text, 1, 65535))
        return quint16(*value);
    return std::nullopt;
}

std::optional<IpEndpoint> parseIpEndpoint(QStringView text)
{
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon < 0)
        return std::nullopt;
    QStringView address = text.left(colon);
    bool isIpv6 = false;
    if (address.startsWith(u'[') && address.endsWith(u']')) {
        address = address.mid(1, address.size() - 2);
        isIpv6 = true;
    }
    if (isIpv6 ? !isIpv6Literal(address) : !isIpv4Literal(address))
        return std::nullopt;
    const std::optional<quint16> port = parsePortNumber(text.mid(colon + 1));
    if (!port)
        return std::nullopt;
    return IpEndpoint{address.toString(), *port};
}

QString ipEndpointText(const IpEndpoint &endpoint)
{
    const QString address = endpoint.address.contains(u':')
        ? QStringLiteral("[%1]").arg(endpoint.address)
        : endpoint.address;
    return QStringLiteral("%1:%2").arg(address).arg(endpoint.port);
}
