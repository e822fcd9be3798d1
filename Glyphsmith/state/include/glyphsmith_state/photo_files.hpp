#pragma once

#include <QStringList>
#include <QUrl>

namespace glyphsmith_state {

// Whether a file is taken as a photo: its type, told by its name, is an image
// type, or its extension is one of the usual image extensions. Never opens the
// file, so a FIFO or a device cannot block the caller; what is accepted may
// still fail to load.
bool acceptsPhotoFile(const QUrl& url);
// The ten image extensions, lower case, without the dot.
const QStringList& photoFileExtensions();

}  // namespace glyphsmith_state
