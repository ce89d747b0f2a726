#pragma once

#include <QString>
#include <functional>

namespace vireo::test {

// Absolute path of a file under tests/data.
QString DataPath(const QString& name);

// Runs the Qt event loop until pred() holds or timeoutMs passes; returns pred().
// Queued results from worker threads are delivered while it waits.
bool WaitUntil(const std::function<bool()>& pred, int timeoutMs = 5000);

// Runs the event loop for ms milliseconds.
void Pump(int ms);

// A player settings file (Vireo.xml) with the given elements of its Window section. Its online
// lyric service and archive search point at a closed loopback port, so that a player under test
// never asks a public service; a test that serves them writes its own addresses.
QByteArray PlayerSettingsXml(const QString& windowElements = QString());
// Writes it into dataDir (created when missing); false when it cannot be written.
bool WritePlayerSettings(const QString& dataDir, const QString& windowElements = QString());

}  // namespace vireo::test
