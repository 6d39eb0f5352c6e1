#pragma once
// A request to stop from outside (SIGTERM when the session ends or `kill` is used, SIGINT from
// Ctrl+C in a terminal, SIGHUP when the terminal goes away) ends the message loop the ordinary
// way: exec() returns 0 and every window is destroyed as at a normal close, instead of the
// process being killed where it stands.

// Installs the handlers; needs the application object. Returns false (and the signals keep
// their default action) when the notification channel cannot be opened.
bool QuitOnTerminationSignals();
