// The report engine the window's list printing runs on. A program that started the engine
// itself (a host linking the engine, a test) shares it; otherwise the plug-in starts one
// the first time a list is printed and stops it when the window goes.
#pragma once

namespace pq {

// Starts the engine unless one runs; throws what the start-up throws.
void UseListReportEngine();
// Stops the engine the plug-in started, with everything it made (the hidden form and the
// reports on it). An engine the program started is left alone.
void ReleaseListReportEngine();

} // namespace pq
