// SPDX-License-Identifier: MIT
#include "feed/windsharing.h"

#include "feed/nmeaoutput.h"
#include "feed/windfeed.h"

#include "core/apperror.h"
#include "core/nmeasettings.h"
#include "core/settingsfile.h"
#include "platform/nmeaserver.h"

#include <QDir>

WindSharing::WindSharing(const SettingsFile &settings, WindFeed &feed, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_feed(feed)
{ }

WindSharing::~WindSharing() = default;

QStringList WindSharing::start()
{
    NmeaConfig config;
    try {
        const SectionSettings<NmeaConfig> read = readNmeaSection(m_settings);
        if (!read.problems.isEmpty())
            return read.problems;
        config = read.config;
        if (!config.isOutputOn())
            return {};
        m_server = new NmeaServer(this);
        m_server->open(config);
    } catch (const AppError &error) {
        delete m_server;
        m_server = nullptr;
        return {QStringLiteral("%1\n\nThe wind is not shared with other programs until this is "
                               "mended in the settings file %2. The display works as usual.")
                    .arg(error.description(), QDir::toNativeSeparators(m_settings.path()))};
    }

    m_output = new NmeaOutput(
        config, [server = m_server](const QByteArray &sentence) { server->send(sentence); }, this);
    connectNmeaOutput(m_feed, *m_output);
    return {};
}
