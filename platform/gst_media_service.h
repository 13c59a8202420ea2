// The media service over GStreamer: one playbin per open device, audio only,
// software volume. The audio sink comes from a factory so tests can play
// into a fake sink that keeps real time; the program uses autoaudiosink,
// which itself falls back to such a sink when no sound server runs.
#pragma once

#include "platform/media_service.h"

#include <functional>
#include <memory>

typedef struct _GstElement GstElement;

namespace platform {

// Returns a new floating element (or bin) to render a device's audio.
using AudioSinkFactory = std::function<GstElement*()>;

std::unique_ptr<MediaService> makeGstMediaService(AudioSinkFactory makeSink = {});

} // namespace platform
