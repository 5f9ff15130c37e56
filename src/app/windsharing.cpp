// SPDX-License-Identifier: MIT
#include "windsharing.h"

#include "nmeaoutput.h"
#include "windwindow.h"

#include "core/apperror.h"
#include "core/nmeasettings.h"
#include "core/settingsfile.h"
#include "platform/nmeaserver.h"

#include <QDir>

WindSharing::WindSharing(const SettingsFile &settings, WindWindow &window, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_window(window)
{ }

WindSharing::~WindSharing() = default;

QString WindSharing::start()
{
    NmeaConfig config;
    try {
        const SectionSettings<NmeaConfig> read = readNmeaSection(m_settings);
        if (!read.problems.isEmpty())
            return read.problems.join(QStringLiteral("\n\n"));
        config = read.config;
        if (!config.isOutputOn())
            return {};
        m_server = new NmeaServer(this);
        m_server->open(config);
    } catch (const AppError &error) {
        delete m_server;
        m_server = nullptr;
        return QStringLiteral("%1\n\nThe wind is not shared with other programs until this is "
                              "mended in the settings file %2. The display works as usual.")
            .arg(error.description(), QDir::toNativeSeparators(m_settings.path()));
    }

    m_output = new NmeaOutput(
        config, [server = m_server](const QByteArray &sentence) { server->send(sentence); }, this);
    connect(&m_window, &WindWindow::sampleAccepted, m_output,
            [output = m_output](const WindSample &sample, WindSource source) {
                output->sampleAccepted(sample, source == WindSource::ExampleMode);
            });
    connect(&m_window, &WindWindow::listeningChanged, m_output, [output = m_output](bool on) {
        if (on)
            output->listeningStarted();
        else
            output->listeningStopped();
    });
    connect(&m_window, &WindWindow::exampleModeChanged, m_output, [output = m_output](bool on) {
        if (!on)
            output->exampleModeStopped();
    });
    return {};
}
