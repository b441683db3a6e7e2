// Keeps the static libraries non-empty while a subsystem has no sources of its own.
