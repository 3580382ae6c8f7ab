#pragma once

// Brings the HTTP client online before a download. The client has no offline mode of its
// own; this prepares it once per process (thread-safe) and may be called any number of
// times.
void SetInternetOnline();
