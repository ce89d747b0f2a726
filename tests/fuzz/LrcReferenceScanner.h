#pragma once

#include <QByteArrayView>
#include <QList>

#include "lyrics/TLRCInfo.h"
#include "lyrics/TLyricItem.h"

namespace vireo::test {

// The LRC scanner's rules applied the plain way (quadratic on some inputs): what
// TLyricHandle::ParseUtf8 must give for every input, fast or not.
void ReferenceParse(QByteArrayView utf8, QList<TLyricItem>& items, TLRCInfo& info);

}  // namespace vireo::test
