#pragma once

#include <QByteArray>
#include <QString>

namespace vireo::fuzz {

// A file of the process's own scratch folder (in memory where the system offers it), for the
// targets whose parser reads from a path.
QString ScratchFile(const QString& name);
void WriteScratch(const QString& path, const QByteArray& bytes);
QByteArray ReadScratch(const QString& path);

}  // namespace vireo::fuzz
