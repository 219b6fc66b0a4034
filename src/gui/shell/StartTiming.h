// Start-up timing for the benchmark: when YAOXIA_START_NS holds the moment the program was started
// (CLOCK_REALTIME in nanoseconds, set by whoever starts it), the main window's first paint prints
// "main window painted after N ms" to standard output; with YAOXIA_QUIT_WHEN_PAINTED=1 the
// program then ends. Without the variable nothing is watched.
#pragma once

class QWidget;

namespace yx {

void watchFirstPaint(QWidget* frame);

} // namespace yx
