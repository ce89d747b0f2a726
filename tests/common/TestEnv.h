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

}  // namespace vireo::test
