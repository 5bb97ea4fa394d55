// Ctrl-C (or a termination request) during a tcab run: the first one asks
// the running operation to stop through its events; a second one ends the
// program at once.
#pragma once

namespace tcab {

void WatchForCancel();
bool CancelRequested();
// For tests: behave as if Ctrl-C had been pressed (true) or forget it (false).
void SetCancelRequested(bool requested);

} // namespace tcab
