#include "base/Logging.h"

// Silent by default (QtCriticalMsg and above only would still show, and nothing here logs at
// that level); QT_LOGGING_RULES switches any of them on.
Q_LOGGING_CATEGORY(lcBase, "vireo.base", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcNet, "vireo.net", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcAudio, "vireo.audio", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcLyrics, "vireo.lyrics", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcStore, "vireo.store", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcPlaylist, "vireo.playlist", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcSkin, "vireo.skin", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcDdvcl, "vireo.ddvcl", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcLibrary, "vireo.library", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcApp, "vireo.app", QtCriticalMsg)
