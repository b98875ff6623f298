"""Player emulator: many digital-signage players in one process, for trying and testing the controller."""
