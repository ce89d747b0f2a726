#pragma once

#include <QLoggingCategory>

// One logging category per module, all silent unless switched on, e.g.
//   QT_LOGGING_RULES="vireo.*.debug=true"        everything
//   QT_LOGGING_RULES="vireo.audio.info=true"     the engine's dropped failures
// Failures that are dropped by design (a request that failed, a track that could not open, a
// worker job that threw) leave one line in their module's category.
Q_DECLARE_LOGGING_CATEGORY(lcBase)
Q_DECLARE_LOGGING_CATEGORY(lcNet)
Q_DECLARE_LOGGING_CATEGORY(lcAudio)
Q_DECLARE_LOGGING_CATEGORY(lcLyrics)
Q_DECLARE_LOGGING_CATEGORY(lcStore)
Q_DECLARE_LOGGING_CATEGORY(lcPlaylist)
Q_DECLARE_LOGGING_CATEGORY(lcSkin)
Q_DECLARE_LOGGING_CATEGORY(lcDdvcl)
Q_DECLARE_LOGGING_CATEGORY(lcLibrary)
Q_DECLARE_LOGGING_CATEGORY(lcApp)
