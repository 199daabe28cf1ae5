#pragma once

// Marks on the start-up timeline, to see where the time before the first
// painted picture goes. With ORVANTO_TIMELINE set in the environment each
// mark prints "timeline MILLISECONDS WHAT" to standard error, the time read
// from the monotonic clock that a launcher can read too; unset, a mark costs
// one test of a flag read once. Safe from any thread.

namespace orvanto {

void MarkStartup(const char* what);

} // namespace orvanto
